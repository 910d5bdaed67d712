#include "outline/survey_run.h"

#include "document/script_document.h"

namespace outline {

SurveyRun::SurveyRun(const ScriptDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_reader(document)
    , m_run(document, QStringLiteral("outline"))
{
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &SurveyRun::readSome);
}

void SurveyRun::start()
{
    // A copy under way follows the edits by itself, and a survey on the
    // worker of the text as it is now is let finish.
    if (m_slices.isActive() || (m_run.busy() && m_reading == m_document.revision()))
        return;
    restart();
    m_slices.start();
}

void SurveyRun::stop()
{
    if (!m_slices.isActive())
        return;
    m_slices.stop();
    m_reader.release();
    m_run.begin();
    m_run.post([this](const BackgroundRun::Cancel &) { m_builder.reset(); });
}

void SurveyRun::restart()
{
    m_run.begin();
    m_reading = m_document.revision();
    m_fed = 0;
    m_run.post([this](const BackgroundRun::Cancel &) { m_builder = std::make_unique<SurveyBuilder>(); });
}

void SurveyRun::readSome()
{
    // The text changed under the lines the worker has had: it starts again
    // (the copy keeps what is still the document's).
    if (m_reading != m_document.revision())
        restart();
    const bool whole = m_reader.read(QDeadlineTimer(slice));
    const QString &text = m_reader.text();
    // The lines read whole go to the worker, each part a copy of its own.
    if (!whole) {
        const qsizetype lastBreak = text.lastIndexOf(u"\r\n");
        const qsizetype end = lastBreak < 0 ? 0 : lastBreak + 2;
        if (end > m_fed)
            m_run.post([this, part = text.sliced(m_fed, end - m_fed)](const BackgroundRun::Cancel &) {
                m_builder->add(part, false);
            });
        m_fed = std::max(m_fed, end);
        return;
    }
    m_slices.stop();
    m_run.post(
        [this, part = text.sliced(m_fed)](const BackgroundRun::Cancel &) {
            m_builder->add(part, true);
            auto result = std::make_shared<const Survey>(m_builder->finish());
            m_builder.reset();
            return result;
        },
        [this](std::shared_ptr<const Survey> result) {
            m_survey = std::move(result);
            emit finished();
        });
    // Nothing of the text stays here between runs.
    m_reader.release();
}

} // namespace outline

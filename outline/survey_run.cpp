#include "outline/survey_run.h"

#include "document/script_document.h"

namespace outline {

SurveyRun::SurveyRun(const ScriptDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_reader(document)
    , m_worker(QStringLiteral("outline"))
{
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &SurveyRun::readSome);
}

bool SurveyRun::stale() const
{
    return m_surveyed != m_document.revision();
}

void SurveyRun::start()
{
    if (m_surveying) {
        m_again = true;
        return;
    }
    // A copy under way follows the edits by itself.
    if (!m_slices.isActive()) {
        restart();
        m_slices.start();
    }
}

void SurveyRun::stop()
{
    m_slices.stop();
    m_reader.release();
    m_again = false;
    if (!m_surveying)
        m_worker.post([this] { m_builder.reset(); });
}

void SurveyRun::restart()
{
    m_reading = m_document.revision();
    m_fed = 0;
    m_worker.post([this] { m_builder = std::make_unique<SurveyBuilder>(); });
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
    const qsizetype lastBreak = text.lastIndexOf(u"\r\n");
    const qsizetype end = whole ? text.size() : lastBreak < 0 ? 0 : lastBreak + 2;
    if (!whole) {
        if (end > m_fed)
            m_worker.post([this, part = text.sliced(m_fed, end - m_fed)] { m_builder->add(part, false); });
        m_fed = std::max(m_fed, end);
        return;
    }
    m_slices.stop();
    m_surveying = true;
    m_worker.post([this, part = text.sliced(m_fed), revision = m_reading] {
        m_builder->add(part, true);
        auto result = std::make_shared<const Survey>(m_builder->finish());
        m_builder.reset();
        Worker::reply(this, [this, revision, result = std::move(result)]() mutable { done(revision, std::move(result)); });
    });
    // Nothing of the text stays here between runs.
    m_reader.release();
}

void SurveyRun::done(quint64 revision, std::shared_ptr<const Survey> result)
{
    m_surveying = false;
    const bool again = std::exchange(m_again, false);
    if (revision != m_document.revision()) {
        // Of a text that is gone: whoever changed it asks again, or has.
        if (again)
            start();
        return;
    }
    m_survey = std::move(result);
    m_surveyed = revision;
    emit finished();
}

} // namespace outline

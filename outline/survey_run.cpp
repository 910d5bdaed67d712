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
    if (!m_slices.isActive())
        m_slices.start();
}

void SurveyRun::stop()
{
    m_slices.stop();
    m_reader.release();
    m_again = false;
}

void SurveyRun::readSome()
{
    if (!m_reader.read(QDeadlineTimer(slice)))
        return;
    m_slices.stop();
    m_surveying = true;
    // The worker gets the only copy: it goes with the job, and nothing of
    // the text stays here between runs.
    QString text = m_reader.text();
    m_reader.release();
    m_worker.post([this, text = std::move(text), revision = m_document.revision()] {
        auto result = std::make_shared<const Survey>(outline::survey(text));
        Worker::reply(this, [this, revision, result = std::move(result)]() mutable { done(revision, std::move(result)); });
    });
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

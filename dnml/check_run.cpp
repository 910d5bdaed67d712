#include "dnml/check_run.h"

#include "document/script_document.h"
#include "document/text_reader.h"

namespace dnml {

CheckRun::CheckRun(const ScriptDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_worker(QStringLiteral("check"))
{
}

bool CheckRun::stale() const
{
    return m_checked != m_document.revision();
}

void CheckRun::start()
{
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    m_again = false;
    // One copy of the text, taken here; the worker reads only that.
    TextReader reader(m_document);
    m_worker.post([this, text = reader.whole(), revision = m_document.revision()] {
        Worker::reply(this, [this, revision, findings = check(text)]() mutable { done(revision, std::move(findings)); });
    });
}

void CheckRun::done(quint64 revision, std::vector<Finding> findings)
{
    m_running = false;
    if (m_again) {
        start();
        return;
    }
    // The text moved on while the worker ran: these findings are of a text
    // that is gone, and whoever wants the new ones asks again.
    if (revision != m_document.revision())
        return;
    m_checked = revision;
    emit finished(findings);
}

} // namespace dnml

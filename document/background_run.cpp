#include "document/background_run.h"

BackgroundRun::BackgroundRun(const ScriptDocument &document, const QString &name, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_cancel(std::make_shared<Cancel>(false))
    , m_worker(name)
{
}

BackgroundRun::~BackgroundRun()
{
    // The worker, stopped next, finds every job of this run cancelled.
    m_cancel->store(true);
}

void BackgroundRun::begin()
{
    m_cancel->store(true);
    m_cancel = std::make_shared<Cancel>(false);
    m_revision = m_document.revision();
}

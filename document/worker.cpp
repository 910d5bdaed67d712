#include "document/worker.h"

Worker::Worker(const QString &name)
    : m_jobs(std::make_unique<QObject>())
{
    m_thread.setObjectName(name);
    m_jobs->moveToThread(&m_thread);
    m_thread.start();
}

Worker::~Worker()
{
    // Behind the jobs already posted, so that they all run first.
    post([thread = &m_thread] { thread->quit(); });
    m_thread.wait();
}

void Worker::post(std::function<void()> job)
{
    QMetaObject::invokeMethod(m_jobs.get(), std::move(job), Qt::QueuedConnection);
}

void Worker::waitIdle()
{
    QMetaObject::invokeMethod(m_jobs.get(), [] {}, Qt::BlockingQueuedConnection);
}

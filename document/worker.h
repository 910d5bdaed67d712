// Work off the interface thread, in one style throughout the program.
//
// A Worker is one thread that runs the jobs posted to it, one at a time, in
// the order posted. A job takes what it needs by value (an immutable copy
// of the text, say) and never touches an object of the interface thread;
// it hands its result back with reply(), which runs a function on the
// receiver's own thread, later. The owner of a Worker holds it as a member
// declared after everything its jobs use, so that it is destroyed first:
// ~Worker runs the jobs already posted and then stops the thread, and no
// reply can reach a receiver that is gone.
#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

class Worker
{
public:
    explicit Worker(const QString &name);
    ~Worker();
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    void post(std::function<void()> job);
    // Blocks until every job posted so far has run. Not from a job.
    void waitIdle();

    // From a job: runs `function` on the thread of `receiver`, from its
    // event loop.
    template <typename Function>
    static void reply(QObject *receiver, Function function)
    {
        QMetaObject::invokeMethod(receiver, std::move(function), Qt::QueuedConnection);
    }

private:
    QThread m_thread;
    std::unique_ptr<QObject> m_jobs;  // lives in m_thread: jobs are its events
};

// Work on the script off the interface thread, one run at a time: a run
// begins from the text at a revision, its jobs go to a worker of its own,
// and a result comes back (on the interface thread) only while the run is
// the latest and the text has not moved on; otherwise it is dropped. A new
// run cancels the one under way, and so does the end of the BackgroundRun
// (the window closing): a job watches its cancellation and gives up at
// once, so that nobody waits for work nobody wants.
#pragma once

#include "document/script_document.h"
#include "document/worker.h"

#include <QObject>

#include <atomic>
#include <memory>

class BackgroundRun : public QObject
{
public:
    // What a job watches: true once its run is cancelled.
    using Cancel = std::atomic<bool>;

    // Runs over `document`, which must outlive it, on a worker named `name`.
    BackgroundRun(const ScriptDocument &document, const QString &name, QObject *parent = nullptr);
    ~BackgroundRun() override;

    // Begins a run of the text as it is now, cancelling the one under way.
    void begin();
    // Posts a job of the current run: `job(cancel)` runs on the worker, and
    // `deliver(result)` here, if the run is still the latest, not cancelled,
    // and of the text as it is then.
    template <typename Job, typename Deliver>
    void post(Job job, Deliver deliver)
    {
        postJob(std::move(job), std::move(deliver), true);
    }
    // A job whose work is all it does (it feeds a later one, say): it
    // delivers nothing, so the run's text is no less stale for it.
    template <typename Job>
    void post(Job job)
    {
        postJob([job = std::move(job)](const Cancel &cancel) mutable { job(cancel); return true; }, [](bool) {},
                false);
    }

    // Whether jobs are on the worker.
    bool busy() const { return m_pending > 0; }
    // Whether the text changed since the last result delivered.
    bool stale() const { return m_delivered != m_document.revision(); }

private:
    template <typename Job, typename Deliver>
    void postJob(Job job, Deliver deliver, bool delivers);

    const ScriptDocument &m_document;
    std::shared_ptr<Cancel> m_cancel;
    quint64 m_revision = 0;
    quint64 m_delivered = ~quint64(0);
    int m_pending = 0;
    Worker m_worker;  // last: stopped first, its jobs cancelled
};

template <typename Job, typename Deliver>
void BackgroundRun::postJob(Job job, Deliver deliver, bool delivers)
{
    ++m_pending;
    m_worker.post([this, cancel = m_cancel, revision = m_revision, job = std::move(job),
                   deliver = std::move(deliver), delivers]() mutable {
        if (cancel->load()) {
            Worker::reply(this, [this] { --m_pending; });
            return;
        }
        auto result = job(*cancel);
        Worker::reply(this, [this, cancel, revision, result = std::move(result), deliver = std::move(deliver),
                             delivers]() mutable {
            --m_pending;
            if (cancel->load() || revision != m_document.revision())
                return;
            if (delivers)
                m_delivered = revision;
            deliver(std::move(result));
        });
    });
}

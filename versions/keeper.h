// The versions kept off the interface thread. The calls only queue work
// for a worker of the keeper's own and return at once, so that a save
// never waits for a version; what the store finds comes back on the
// interface thread, by a signal or to the function the asker gives.
// Qt Core only.
#pragma once

#include "document/script_file.h"
#include "document/worker.h"
#include "versions/store.h"

#include <QObject>

#include <memory>
#include <optional>

namespace versions {

class Keeper : public QObject
{
    Q_OBJECT

public:
    explicit Keeper(const QString &folder = folderPath(), QObject *parent = nullptr);
    ~Keeper() override;

    void setLimits(Limits limits);
    // Keeps `text` as a version of the file at `path` (absolute), then
    // drops what the limits no longer keep.
    void keepText(const QString &path, const QString &text, Kind kind, const QString &note = {});
    // The same for the bytes of the file (a save's), read as `reading` says.
    void keepBytes(const QString &path, const QByteArray &bytes, scriptfile::Reading reading, Kind kind);
    // The same for the file at `path` as it is at this moment: it is opened
    // now and read on the worker, so a save that replaces it meanwhile
    // changes nothing of what is read. Without `reading`, it is read as its
    // bytes suggest (UTF-8, LF line ends). Nothing for a missing file or
    // one that is no file.
    void keepFile(const QString &path, std::optional<scriptfile::Reading> reading, Kind kind);
    // The file at `to` was saved from the one at `from` (see Store::link).
    void link(const QString &from, const QString &to);

    // Runs `job(store)` on the worker once what is queued is done, then
    // `done(result)` on this keeper's thread.
    template <typename Job, typename Done>
    void ask(Job job, Done done)
    {
        m_worker.post([this, store = m_store.get(), job = std::move(job), done = std::move(done)]() mutable {
            Worker::reply(this, [done = std::move(done), result = job(*store)]() mutable { done(std::move(result)); });
        });
    }

    // Waits until everything queued is done.
    void waitForDisk();

signals:
    // A version of `path` was kept (`added` false: the newest held its text).
    void kept(const QString &path, versions::Kind kind, bool added);
    // A version could not be kept: the sentence to show the author.
    void trouble(const QString &message);

private:
    void post(const QString &path, Kind kind, std::function<Store::Kept(Store &)> keep);

    std::unique_ptr<Store> m_store;  // the worker's alone
    Worker m_worker;                 // last: its jobs are done before the rest goes
};

} // namespace versions

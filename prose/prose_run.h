// The prose check and the unify step on the script as it is now, off the
// interface thread. A run hands the script text to its worker a slice at a
// time from the event loop, one slice a turn while the worker has fewer
// than two, so that neither a keystroke waits behind it nor a copy of the whole
// text is ever held; the worker reads the prose with a MeCab tagger of its
// own. A result comes back only if the text has not changed meanwhile: an
// edit gives a check up (whoever edits asks again) and starts a unify
// afresh. One run at a time; a unify asked for goes before a check.
#pragma once

#include "document/file_access.h"
#include "document/io_error.h"
#include "document/worker.h"
#include "prose/prose_check.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class ScriptDocument;

namespace prose {

class ProseRun : public QObject
{
    Q_OBJECT

public:
    // `document` must outlive the run.
    explicit ProseRun(const ScriptDocument &document, QObject *parent = nullptr);
    ~ProseRun() override;

    // Checks the text as it is now under `rules`, with the writer's list
    // as its file holds it now.
    void check(Rules rules);
    // The replacements that write every use of `group`'s word as `target`
    // in the text as it is now.
    void unify(SpellingGroup group, QString target);
    // Gives a check up, under way or asked for.
    void stop();
    // True while a check is under way or asked for.
    bool checking() const;
    // True when the text changed since the last findings were delivered.
    bool stale() const;

    // Characters of the script read at a go: under a millisecond.
    static constexpr int sliceLength = 1 << 14;

signals:
    // Of the text as it is at this moment; offsets in the script text.
    void checked(const prose::Result &result);
    void unified(const prose::Unified &unified);
    // MeCab or its dictionary cannot be opened: nothing is found, and
    // `reason` says why. Said once.
    void unavailable(const QString &reason);
    // UniDic cannot be opened: 表記ゆれ finds only the writer's list, and
    // `reason` says why. Said once.
    void lemmasUnavailable(const QString &reason);
    // The writer's list is there but was not read (not a regular file, too
    // large, unreadable): checked without it. Said each time the file is
    // found changed and still refused.
    void listRefused(const IoError &error);

private:
    struct Job {
        bool unify = false;
        Rules rules;
        disk::Stamp listStamp;  // of the writer's list when the check was asked for
        SpellingGroup group;
        QString target;
    };
    void begin();
    void feed();
    void edited();
    // Gives the run under way up; a unify is asked for again.
    void abandon();
    void partDone(quint64 generation, bool last);
    // The check wants the text once more, from its start.
    void readAgain(quint64 generation);
    void finish();

    const ScriptDocument &m_document;
    std::optional<Job> m_running;
    std::optional<Job> m_wantCheck;
    std::optional<Job> m_wantUnify;
    quint64 m_generation = 0;  // of the run under way: replies of runs given up are dropped
    quint64 m_revision = 0;    // the text's, when the run began
    quint64 m_checked = ~quint64(0);  // the revision the last findings are of
    qint64 m_position = 0;     // where the next slice starts
    int m_inFlight = 0;        // slices the worker has not finished with
    QTimer m_more;             // reads the next slice on the next turn
    bool m_told = false;       // unavailable() was emitted
    std::optional<Result> m_result;
    std::optional<Unified> m_unified;

    // The worker's alone.
    struct Pass;
    std::unique_ptr<Pass> m_pass;
    Worker m_worker;  // last: stopped before anything its jobs reply to
};

} // namespace prose

// Crash recovery for one document: it journals the document's edits from
// the first one after start, open or save, and at start it offers the text
// of a session that ended without saving. It follows the document alone:
// a whole text that is on disk (opened) or new (started) ends the journal
// until the next edit; a text that is nowhere else (restored, replaced)
// is journalled at once; a save or the end of the document ends it.
#pragma once

#include "document/script_document.h"
#include "document/text_reader.h"
#include "recovery/journal.h"

#include <QObject>

#include <functional>

namespace recovery {

class Recovery : public QObject
{
    Q_OBJECT

public:
    // `document` must outlive the recovery.
    explicit Recovery(ScriptDocument &document, const QString &folder = folderPath());
    // Going away in good order (not a crash): the journal goes with it.
    ~Recovery() override;

    // A question with Yes and No for the author; true for Yes.
    using Ask = std::function<bool(const QString &title, const QString &question)>;
    // Asks about each journal left by a process that is no longer running,
    // newest first, until one is taken: Yes puts its text in the document
    // (which says so with Origin::Restored), No discards it. Journals not
    // asked about stay for the next start. True when a text was restored.
    bool offer(const Ask &ask);

    // Journalling on (the default) or off.
    void setJournalling(bool on);
    Journal &journal() { return m_journal; }

signals:
    // Something went wrong with the journal: the sentence to show the author.
    void trouble(const QString &message);

private:
    void edited(qsizetype offset, qsizetype removed, qsizetype added);
    void replacedWhole(ScriptDocument::Origin origin);
    void beginCopy();
    void copyNextSlice();
    void endJournal();
    void report(const IoResult &result);
    void unavailable(const IoError &error);

    ScriptDocument &m_document;
    Journal m_journal;
    // The copy of the text for a new journal's first record, read a slice
    // at a time; edits made meanwhile are folded into it.
    TextReader m_copy;
    bool m_copying = false;
    QString m_source;
    Leftover m_taken;
    bool m_on = true;
};

} // namespace recovery

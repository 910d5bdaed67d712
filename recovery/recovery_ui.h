// The recovery journal in the window: it journals Text1's edits from the
// first one after start, open or save; at start it offers the text of a
// session that ended without saving; if the journal cannot be written it
// says so once, in the status bar, and editing goes on.
#pragma once

#include "recovery/journal.h"

#include <QObject>

class Dialogs;
class QLabel;
class QMainWindow;
class ScriptEdit;

class Recovery : public QObject
{
    Q_OBJECT

public:
    Recovery(QMainWindow &window, ScriptEdit &text1, Dialogs &dialogs);
    // Going away in good order (not a crash): the journal goes with it.
    ~Recovery() override;

    // Asks about each journal left by a process that is no longer running,
    // newest first, until one is taken: Yes puts its text in Text1 with the
    // caret at the end, No discards it. Journals not asked about stay for
    // the next start.
    void offer();

    // Text1 is about to be replaced by a file's text: not an edit to keep.
    void suspend();
    // Text1 now holds what is in `source` on disk (just opened or saved):
    // the journal ends, and the next edit begins a new one.
    void restart(const QString &source);
    // The author gave the text up: the journal ends.
    void discard();

    // Journalling on (the default) or off.
    void setJournalling(bool on);
    recovery::Journal &journal() { return m_journal; }

private:
    void contentsChange(int position, int removed, int added);
    QString documentText(int position, int length) const;
    void copyNextSlice();
    void endJournal();
    void unavailable(const QString &reason);

    QMainWindow &m_window;
    ScriptEdit &m_text1;
    Dialogs &m_dialogs;
    recovery::Journal m_journal;
    QString m_source;
    recovery::Leftover m_taken;
    // The text being copied for a new journal's first record, up to where
    // the copy has got.
    QString m_copy;
    bool m_copying = false;
    int m_length = 0;
    bool m_listening = true;
    bool m_on = true;
    QLabel *m_notice = nullptr;
};

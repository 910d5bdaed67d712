// What the status bar tells of the script: its file (with a mark while the
// text differs from it; the whole path in the tooltip), the line and the
// column of the caret as the file counts them, the length of the
// selection, and how the file is written (its encoding and line ends). At
// its left, the notices, in a place of their own that none of these ever
// takes, nor a notice theirs: the facts stay in sight while one is up.
// Each stays up long enough to be read, and a screen reader is told of it.
#pragma once

#include "editor/notices.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class ScriptEdit;

class StatusLine : public QWidget
{
    Q_OBJECT

public:
    // `edit` must outlive the line.
    explicit StatusLine(ScriptEdit &edit, QWidget *parent = nullptr);

    // The file the text belongs to (empty for none) and whether the text
    // differs from it.
    void setFile(const QString &path, bool changed);

    // A notice for the author, up for `milliseconds` (at least four
    // seconds; less while others wait behind it). A later notice on the
    // same `topic` takes its place (see Notices).
    void tell(const QString &notice, int milliseconds = 5000, const QString &topic = {});
    // The notice up now; empty when none is.
    QString notice() const { return m_notices.shown(); }

private:
    void showCaret();
    void showForm();
    void showNotice();
    void followNotices();

    ScriptEdit &m_edit;
    QLabel *m_message;
    QLabel *m_file;
    QLabel *m_caret;
    QLabel *m_selection;
    QLabel *m_form;
    Notices m_notices;
    QElapsedTimer m_clock;
    QTimer m_noticeTimer;
};

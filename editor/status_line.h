// What the status bar tells of the script: its file (with a mark while the
// text differs from it; the whole path in the tooltip), the line and the
// column of the caret as the file counts them, the length of the
// selection, and how the file is written (its encoding and line ends).
#pragma once

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

private:
    void showCaret();
    void showForm();

    ScriptEdit &m_edit;
    QLabel *m_file;
    QLabel *m_caret;
    QLabel *m_selection;
    QLabel *m_form;
};

// A copy of the script text (line breaks CR LF, a lone LF inside its line),
// read all at once or a slice at a time from the event loop, so that a
// worker can be given the whole script without the interface waiting. It
// follows the document's edits: by default what an edit changed is read
// again when next asked for and what lies before it is kept; a reader that
// folds edits in patches its copy instead, so that a long copy is never
// thrown back by edits near its start.
#pragma once

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QString>

class ScriptDocument;

class TextReader
{
public:
    enum class Edits { ReadAgain, FoldIn };

    explicit TextReader(const ScriptDocument &document, Edits edits = Edits::ReadAgain);
    ~TextReader();
    TextReader(const TextReader &) = delete;
    TextReader &operator=(const TextReader &) = delete;

    // The whole text as it is now, reading what is missing at once.
    const QString &whole();
    // Reads on, a slice at a time, until the copy is whole or the deadline
    // has passed (one slice at least); true once it is whole. A slice
    // never ends inside a CR LF.
    bool read(QDeadlineTimer deadline);
    bool complete() const;
    // What has been read: the start of the text while incomplete.
    const QString &text() const { return m_text; }
    // Gives the copy up; the next read starts from the beginning.
    void release();

private:
    // The edit being announced: `removed` characters at `offset` gave way
    // to the document's editedText().
    void edited(qsizetype offset, qsizetype removed);

    const ScriptDocument &m_document;
    Edits m_edits;
    QMetaObject::Connection m_editedConnection;
    QMetaObject::Connection m_replacedConnection;
    QString m_text;
    qsizetype m_read = 0;  // how much of m_text is still the document's
};

// The script being written: the one owner of its text. It keeps the text in
// a QTextDocument (which the editor view shows), converts between script
// offsets, in which every line break is CR LF and counts two, and document
// positions, in which it counts one, and announces every change. Everything
// that writes into the text goes through it; everything that reads the
// whole text reads it through a TextReader. Qt Gui only, no widgets.
#pragma once

#include "document/io_error.h"
#include "document/line_breaks.h"
#include "document/script_file.h"

#include <QObject>
#include <QString>
#include <QTextCursor>

#include <span>
#include <vector>

class QTextBlock;
class QTextDocument;

class ScriptDocument : public QObject
{
    Q_OBJECT

public:
    // Why the whole text was replaced.
    enum class Origin {
        Started,   // the starting document of a new script: nothing to keep yet
        Opened,    // a file's text, exactly as on disk
        Restored,  // text kept from a session that ended without saving
        Replaced,  // any other text, not on disk anywhere
    };

    // One replacement inside the text, in document positions.
    struct Edit {
        int start = 0;
        int length = 0;
        QString text;  // script text: CR LF for a line break
    };

    explicit ScriptDocument(QObject *parent = nullptr);
    ~ScriptDocument() override;

    QTextDocument *textDocument() const { return m_text; }

    // A line longer than this is shown in pieces of about this length, so
    // that a keystroke lays out one piece, not the whole line.
    static constexpr int pieceLength = 1024;
    // Whether `block` is a piece that continues the line of the block
    // before it.
    static bool continuesLine(const QTextBlock &block);
    // The script line (from 0) that a document position stands on, and the
    // first block of a line (the last line for one past the end).
    int lineOf(int position) const;
    QTextBlock lineBlock(int line) const;
    // The characters of the text between two positions, not counting the
    // breaks between a line's pieces.
    int characters(int from, int to) const;

    // The whole script text: line breaks CR LF, a lone LF kept as a lone LF.
    QString text() const;
    // Length of the script text (CR LF counts two).
    qsizetype length() const;
    // Number of positions in the document (a line break counts one).
    int positions() const;
    int lineCount() const;

    // Script offset of a document position, and back. An offset past the
    // end goes to the end; one between CR and LF goes before the CR.
    qsizetype toScript(int position) const;
    int toPosition(qsizetype offset) const;

    // The raw text of `length` positions from `position`: block breaks as
    // scriptdoc::blockBreak, a lone LF as scriptdoc::loneLineFeed.
    // The break between two pieces of a line is scriptdoc::pieceBreak.
    QString rawText(int position, int length) const;
    // The same with the pieces of each line joined.
    QString joinedText(int position, int length) const;

    // Script text to the text that the document takes, and the document's
    // raw text back to script text.
    static QString toDocumentText(QStringView script);
    static QString toDocumentText(QString &&script);
    static QString toScriptText(QStringView raw);
    // Text from outside (a paste, a drop) follows the line ends of wherever
    // it came from: the script text in which every kind is a CR LF.
    static QString fromOutside(QStringView text);

    // The one way a fragment enters the text: it replaces the cursor's
    // selection, or goes in at the cursor, as one undo step; the cursor ends
    // right after it with nothing selected.
    void insert(QTextCursor &cursor, QStringView script);
    // Several replacements (ascending, not overlapping) as one edit and one
    // undo step; the cursor ends after the last one.
    void replaceEach(QTextCursor &cursor, std::span<const Edit> edits);
    // Replaces the whole text, which ends the undo history, and announces
    // why. `source` is the file the text belongs to (empty for none).
    void replaceWhole(QStringView script, Origin origin, const QString &source = {});
    // The same from the document's raw text (a journal keeps it so).
    void replaceWholeRaw(const QString &raw, Origin origin, const QString &source);

    // Reads the file at `path` and, when it can be read, puts its text in
    // place (Opened), read as `howToRead` decides from what the file looks
    // like. The result says how it went: an error, or a No, leaves the text
    // as it was; the text read has moved into the document.
    scriptfile::Loaded open(const QString &path, const scriptfile::HowToRead &howToRead = {});
    // How the text was read from its file.
    scriptfile::Reading reading() const { return m_reading; }
    // Writes `bytes` (the text encoded) to `path` atomically; on success the
    // text is the file's from now on.
    IoResult save(const QString &path, const QByteArray &bytes, const scriptfile::Writer &write = {});

    // The file the text was opened from or last saved to, as an absolute
    // path without "." or ".." parts; empty for none.
    QString source() const { return m_source; }
    // Whether the file the text belongs to is no longer the one it was
    // opened from or saved to (its size, time or place changed, or it is
    // gone); false for a text that belongs to no file.
    bool changedOnDisk() const;
    // The file as it is on disk now, to tell it from a later change.
    disk::Stamp diskStamp() const { return disk::stampOf(m_source); }

    // Goes up by one with every change of the text.
    quint64 revision() const { return m_revision; }

    // The author is done with the text: it was saved, or given up.
    void close();

signals:
    // A part of the text changed: `removed` positions at `position` gave
    // way to `added` ones. Exact, whatever the document reported.
    void edited(int position, int removed, int added);
    // A whole replacement of `lines` lines is about to be put in place.
    void replacingWhole(int lines);
    void replacedWhole(ScriptDocument::Origin origin);
    // After every change of the text, edits and whole replacements alike.
    void contentChanged();
    void saved(const QString &path);
    void closed();

private:
    void contentsChange(int position, int removed, int added);
    // Inserts document text at the cursor: every line too long to lay out
    // at each keystroke goes in as pieces, and every line break as a line
    // break, whichever block the cursor is in.
    void insertDocumentText(QTextCursor &cursor, const QString &text);
    // Follows an edit in the list of piece breaks.
    void followPieces(int position, int removed, int added);
    int piecesBefore(int position) const;

    QTextDocument *m_text;
    QString m_source;
    disk::Stamp m_stamp;  // of the source, as it was opened or saved
    scriptfile::Reading m_reading;
    int m_positions = 0;
    quint64 m_revision = 0;
    bool m_replacing = false;
    // The positions of the breaks between pieces, ascending; and whether
    // pieces were made since the last whole replacement (an undo may bring
    // back ones since deleted).
    std::vector<int> m_pieceBreaks;
    bool m_piecesMade = false;
};

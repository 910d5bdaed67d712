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

    // One replacement inside the script text, in script offsets.
    struct Edit {
        qsizetype start = 0;
        qsizetype length = 0;
        QString text;  // script text: CR LF for a line break
    };

    explicit ScriptDocument(QObject *parent = nullptr);
    ~ScriptDocument() override;

    QTextDocument *textDocument() const { return m_text; }

    // --- The script, line by line: what everything beside the view reads.
    // A line's text is the script's, without its CR LF; a lone LF inside it
    // is "\n". Lines and columns count from 0.

    // The whole script text: line breaks CR LF, a lone LF kept as a lone LF.
    QString text() const;
    // `length` characters of the script text from `offset` (clamped to it).
    QString text(qsizetype offset, qsizetype length) const;
    // While edited() is announced: the script text the edit put in.
    QString editedText() const { return scriptText(m_editPosition, m_editAdded); }
    // Length of the script text (CR LF counts two).
    qsizetype length() const;
    int lineCount() const;
    // The text of `line` (0 when out of range: the empty text), or `length`
    // characters of it from `from` (clamped to the line).
    QString lineText(int line, qsizetype from = 0, qsizetype length = -1) const;
    qsizetype lineLength(int line) const;
    // Script offset of the start of `line` (the text's length past the last).
    qsizetype lineStart(int line) const;
    // The line holding a script offset; the CR LF that ends a line is its.
    int lineAt(qsizetype offset) const;

    // --- The view's side, for the editor alone: document positions, in
    // which every block break counts one, and the pieces of long lines.

    // A line at most this long is never cut; a longer one is shown in
    // pieces of about pieceLength, so that a keystroke lays out one piece,
    // not the whole line. (Measured: a keystroke in an uncut line of this
    // length, with its colours, stays within a frame.)
    static constexpr qsizetype cutAbove = 4096;
    static constexpr int pieceLength = 1024;
    // Whether `block` is a piece that continues the line of the block
    // before it.
    bool continuesLine(const QTextBlock &block) const;
    // Whether the block at `position` belongs to a line shown in pieces.
    bool inCutLine(int position) const;
    // Whether any line is shown in pieces now.
    bool hasPieces() const { return !m_pieceBreaks.empty(); }
    // The script line (from 0) that a document position stands on, and the
    // first block of a line (the last line for one past the end).
    int lineOf(int position) const;
    QTextBlock lineBlock(int line) const;
    // The characters of the text between two positions, not counting the
    // breaks between a line's pieces.
    int characters(int from, int to) const;
    // Number of positions in the document (a line break counts one).
    int positions() const;
    // Script offset of a document position, and back. An offset past the
    // end goes to the end; one between CR and LF goes before the CR.
    qsizetype toScript(int position) const;
    int toPosition(qsizetype offset) const;
    // The script text of `length` positions from `position`.
    QString scriptText(int position, int length) const;

    // Text from outside (a paste, a drop) follows the line ends of wherever
    // it came from: the script text in which every kind is a CR LF.
    static QString fromOutside(QStringView text);

    // The one way a fragment enters the text: it replaces the cursor's
    // selection, or goes in at the cursor, as one undo step; the cursor ends
    // right after it with nothing selected.
    void insert(QTextCursor &cursor, QStringView script);
    // Several replacements (ascending by script offset, not overlapping) as
    // one edit and one undo step; the cursor ends after the last one.
    void replaceEach(QTextCursor &cursor, std::span<const Edit> edits);
    // Replaces the whole text, which ends the undo history, and announces
    // why. `source` is the file the text belongs to (empty for none).
    void replaceWhole(QStringView script, Origin origin, const QString &source = {});
    void replaceWhole(QString &&script, Origin origin, const QString &source = {});
    // The script text of the document's raw text as journals of earlier
    // versions kept it: block breaks, a lone LF as U+2028, and U+FDD0
    // between the pieces of a long line, which stood for nothing.
    static QString fromFormerJournal(QStringView raw);

    // Whether every edit is checked against the record of pieces (test
    // builds: set SCRIVLET_CHECK_PIECES=1); a disagreement ends the process.
    static bool checkingPieces();

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
    // A part of the script text changed: `removed` characters at script
    // offset `offset` gave way to `added` ones. Exact, whatever the
    // document reported.
    void edited(qsizetype offset, qsizetype removed, qsizetype added);
    // A whole replacement of `lines` lines is about to be put in place.
    void replacingWhole(int lines);
    void replacedWhole(ScriptDocument::Origin origin);
    // After every change of the text, edits and whole replacements alike.
    void contentChanged();
    void saved(const QString &path);
    void closed();

private:
    // Script text as the document takes it: every line break a "\n" (a block
    // break once in), a lone LF as U+2028, and each character the document
    // cannot hold as itself (U+FDD0 and U+FDD1, which it takes for frame
    // marks, and U+2028 and U+2029, which it takes for its breaks) as a
    // U+FFFD whose character format says which character it stands for.
    struct DocumentText {
        QString text;
        std::vector<std::pair<qsizetype, char16_t>> standIns;  // ascending
    };
    static DocumentText toDocumentText(QStringView script);
    static DocumentText toDocumentText(QString &&script);
    // The script text of the document's raw text from `base` on, leaving
    // out the breaks before pieces at `skipped` (ascending).
    QString scriptOf(QStringView raw, std::span<const int> skipped, int base) const;
    // The character the U+FFFD at `position` stands for (itself when it
    // stands for nothing).
    char16_t standingFor(int position) const;
    void insertText(QTextCursor &cursor, const DocumentText &text, qsizetype from, qsizetype to);
    void contentsChange(int position, int removed, int added);
    // Inserts document text at the cursor, replacing its selection; every
    // line break goes in as a line break, whichever block the cursor is in.
    // The lines it touches are shaped after it, unless `shape` is false;
    // false when there was nothing to shape. `lineBlocks`, when known, is
    // the length of the blocks the cursor's selection starts and ends in.
    bool insertDocumentText(QTextCursor &cursor, const DocumentText &text, bool shape = true, int lineBlocks = -1);
    // Within an edit under way: the lines holding positions `from` to `to`
    // cut into pieces when longer than cutAbove, joined whole when not, and
    // no piece left empty.
    void shapeLines(int from, int to);
    // Shapes the line of `block` near it; returns where it left off.
    int shapeAround(QTextCursor &edit, const QTextBlock &block);
    void cutBlock(QTextCursor &cursor, const QTextBlock &block);
    void replaceWholeText(const DocumentText &text, Origin origin, const QString &source);
    // Joins the block after the break at `at` to the one before it, which
    // keeps whether it continues a line.
    void joinAt(QTextCursor &cursor, int at);
    void setContinues(QTextCursor &cursor, bool continues);
    // Follows an edit in the record of piece breaks.
    void followPieces(int position, int removed, int added);
    int piecesBefore(int position) const;
    bool pieceBreakAt(int at) const;
    // Checks the record against the blocks (see checkingPieces()).
    void checkPieces() const;

    QTextDocument *m_text;
    QString m_source;
    disk::Stamp m_stamp;  // of the source, as it was opened or saved
    scriptfile::Reading m_reading;
    int m_positions = 0;
    qsizetype m_length = 0;
    int m_editPosition = 0;  // of the edit being announced, and the positions it added
    int m_editAdded = 0;
    quint64 m_revision = 0;
    bool m_replacing = false;
    // The positions of the breaks before the pieces that continue a line,
    // ascending: the one record of where pieces are. Each such piece's
    // block format says so too, so that an undo brings the record back with
    // the blocks; whether pieces were made since the last whole replacement
    // (an undo may bring back ones since deleted).
    std::vector<int> m_pieceBreaks;
    bool m_piecesMade = false;
};

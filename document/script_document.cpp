#include "document/script_document.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

using scriptdoc::blockBreak;
using scriptdoc::loneLineFeed;

namespace {

// The layout of a document no view shows: it takes the changes, so that
// the document reports them, and lays nothing out. A view puts its own in
// its place. (Qt's default layout would lay the whole text out the first
// time a cursor is placed in it.)
class NoLayout final : public QAbstractTextDocumentLayout
{
public:
    using QAbstractTextDocumentLayout::QAbstractTextDocumentLayout;
    void draw(QPainter *, const PaintContext &) override {}
    int hitTest(const QPointF &, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return {}; }
    QRectF frameBoundingRect(QTextFrame *) const override { return {}; }
    QRectF blockBoundingRect(const QTextBlock &) const override { return {}; }

protected:
    void documentChanged(int, int, int) override {}
};


constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

// The block format's mark of a piece that continues its line: kept by the
// blocks themselves, so that undo and redo bring it back with them.
constexpr int continuesProperty = QTextFormat::UserProperty + 1;

QTextBlockFormat pieceFormat(bool continues)
{
    QTextBlockFormat format;
    if (continues)
        format.setProperty(continuesProperty, true);
    return format;
}

bool formatContinues(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(continuesProperty);
}

// Ends a line in the text the document takes, whichever form it has.
bool endsLine(char16_t c) { return c == LF || c == blockBreak; }

bool asciiPunctuation(QChar c) { return c.unicode() < 0x80 && c.isPunct(); }

// Whether a piece may end before `at`: not between the halves of a
// surrogate pair or before a combining mark, not beside a lone LF, which
// would draw an empty row at the piece's edge, and not inside a run of
// ASCII punctuation such as "<!--" or "-->", which a reader of one piece
// would take for something else.
bool cleanCut(QStringView text, qsizetype at)
{
    const QChar before = text[at - 1];
    const QChar after = text[at];
    return !before.isHighSurrogate() && !after.isMark() && before != QChar(loneLineFeed) &&
           after != QChar(loneLineFeed) && !(asciiPunctuation(before) && asciiPunctuation(after));
}

// Where the piece of a long line that starts at `start` ends: about
// pieceLength on, after a full stop, a comma, a closing bracket, the end of
// a tag or a space when one is near, so that words and tags rarely fall
// into two pieces.
qsizetype pieceEnd(QStringView text, qsizetype start, qsizetype lineEnd)
{
    constexpr qsizetype reach = 256;
    const qsizetype longest = start + ScriptDocument::pieceLength;
    if (lineEnd <= longest + reach)
        return lineEnd;
    for (qsizetype at = longest; at > longest - reach; --at) {
        const char16_t c = text[at - 1].unicode();
        const bool stop = c == u'。' || c == u'、' || c == u'」' || c == u'』' || c == u'）' || c == u'>' ||
                          c == u' ' || c == 0x3000;
        if (stop && cleanCut(text, at))
            return at;
    }
    for (qsizetype at = longest; at > longest - reach; --at)
        if (cleanCut(text, at))
            return at;
    return text[longest - 1].isHighSurrogate() ? longest - 1 : longest;
}

// Calls `piece(from, to, continues)` for each block that `text` (the text
// the document takes) makes: every line longer than cutAbove cut into
// pieces.
template <typename Piece>
void eachPiece(QStringView text, Piece piece)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && !endsLine(text[end].unicode()))
            ++end;
        bool continues = false;
        if (end - start > ScriptDocument::cutAbove)
            for (qsizetype cut = pieceEnd(text, start, end); cut < end; cut = pieceEnd(text, start, end)) {
                piece(start, cut, continues);
                start = cut;
                continues = true;
            }
        piece(start, end, continues);
        start = end + 1;
    }
}

// The longest line of a text the document takes.
qsizetype longestLine(QStringView text)
{
    qsizetype longest = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i)
        if (i == text.size() || endsLine(text[i].unicode())) {
            longest = std::max(longest, i - lineStart);
            lineStart = i + 1;
        }
    return longest;
}

} // namespace

ScriptDocument::ScriptDocument(QObject *parent)
    : QObject(parent)
    , m_text(new QTextDocument(this))
{
    m_text->setUndoRedoEnabled(true);
    // A document without a layout reports no changes; a view puts its own
    // layout in place of this one.
    m_text->setDocumentLayout(new NoLayout(m_text));
    connect(m_text, &QTextDocument::contentsChange, this, &ScriptDocument::contentsChange);
}

ScriptDocument::~ScriptDocument()
{
    // The views and readers that follow the text are gone by now; the
    // document's last signals would find nobody.
    m_text->disconnect(this);
}

namespace {

// The character format of a stand-in, naming the character it stands for.
constexpr int standsForProperty = QTextFormat::UserProperty + 2;
constexpr char16_t standIn = 0xFFFD;

bool heldAsStandIn(char16_t c)
{
    return c == 0xFDD0 || c == 0xFDD1 || c == loneLineFeed || c == blockBreak;
}

QTextCharFormat standInFormat(char16_t c)
{
    QTextCharFormat format;
    format.setProperty(standsForProperty, int(c));
    return format;
}

// QTextCursor::insertText() and setPlainText() take "\n" as a block break:
// each CR LF (or lone CR, which the script never holds) becomes one, each
// lone LF becomes U+2028, and what the document cannot hold a stand-in. The
// result is never longer than the script, so `out` may be `script` itself.
// Returns the length written.
qsizetype convertToDocument(const char16_t *script, qsizetype size, char16_t *out,
                            std::vector<std::pair<qsizetype, char16_t>> &standIns)
{
    qsizetype w = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = script[i];
        if (c == CR) {
            if (i + 1 < size && script[i + 1] == LF)
                ++i;
            out[w++] = LF;
        } else if (heldAsStandIn(c)) {
            standIns.emplace_back(w, c);
            out[w++] = standIn;
        } else {
            out[w++] = c == LF ? loneLineFeed : c;
        }
    }
    return w;
}

// The script text of the raw text `raw` (which starts at position `base`),
// leaving out the breaks before pieces at `skipped` (ascending), with what
// each stand-in stands for as `standingFor(position)` says.
template <typename StandingFor>
QString scriptTextOf(QStringView raw, std::span<const int> skipped, int base, StandingFor standingFor)
{
    const qsizetype breaks = raw.count(QChar(blockBreak)) - qsizetype(skipped.size());
    QString out(raw.size() + breaks - qsizetype(skipped.size()), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    const char16_t *r = reinterpret_cast<const char16_t *>(raw.utf16());
    qsizetype w = 0;
    auto skip = skipped.begin();
    for (qsizetype i = 0; i < raw.size();) {
        // Up to the next break before a piece, every character but the
        // three the document keeps otherwise is the script's own.
        const qsizetype end = skip == skipped.end() ? raw.size() : qsizetype(*skip - base);
        for (; i < end; ++i) {
            const char16_t c = r[i];
            if (c < loneLineFeed || (c > blockBreak && c != standIn)) {
                o[w++] = c;
            } else if (c == blockBreak) {
                o[w++] = CR;
                o[w++] = LF;
            } else if (c == standIn) {
                o[w++] = standingFor(base + int(i));
            } else {
                o[w++] = LF;  // a lone LF
            }
        }
        if (skip != skipped.end()) {
            ++skip;
            ++i;
        }
    }
    return out;
}

} // namespace

ScriptDocument::DocumentText ScriptDocument::toDocumentText(QStringView script)
{
    DocumentText out{QString(script.size(), Qt::Uninitialized), {}};
    out.text.truncate(convertToDocument(script.utf16(), script.size(), reinterpret_cast<char16_t *>(out.text.data()),
                                        out.standIns));
    return out;
}

ScriptDocument::DocumentText ScriptDocument::toDocumentText(QString &&script)
{
    // A script as large as memory allows is converted where it lies: an open
    // then holds one copy of the text besides the document's, not two.
    DocumentText out{std::move(script), {}};
    char16_t *data = reinterpret_cast<char16_t *>(out.text.data());
    out.text.truncate(convertToDocument(data, out.text.size(), data, out.standIns));
    return out;
}

QString ScriptDocument::scriptOf(QStringView raw, std::span<const int> skipped, int base) const
{
    return scriptTextOf(raw, skipped, base, [this](int position) { return standingFor(position); });
}

char16_t ScriptDocument::standingFor(int position) const
{
    // From the fragments of the block: placing a cursor would lay it out.
    const QTextBlock block = m_text->findBlock(position);
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
        if (const QTextFragment f = fragment.fragment(); f.contains(position)) {
            const QVariant standsFor = f.charFormat().property(standsForProperty);
            return standsFor.isValid() ? char16_t(standsFor.toInt()) : standIn;
        }
    return standIn;
}

QString ScriptDocument::fromFormerJournal(QStringView raw)
{
    QString text = scriptTextOf(raw, {}, 0, [](int) { return standIn; });
    text.remove(QChar(0xFDD0));
    return text;
}

QString ScriptDocument::fromOutside(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == CR && i + 1 < text.size() && text[i + 1] == LF)
            continue;
        if (c == CR || c == LF || c == loneLineFeed || c == blockBreak)
            out.append(u"\r\n");
        else
            out.append(QChar(c));
    }
    return out;
}

bool ScriptDocument::checkingPieces()
{
    static const bool on = qEnvironmentVariableIntValue("SCRIVLET_CHECK_PIECES") != 0;
    return on;
}

// --- Reading the script ---------------------------------------------------

QString ScriptDocument::text() const
{
    // toPlainText() would fold both breaks into "\n" and turn U+00A0 into a
    // blank: the text is always read raw.
    QString text = m_text->toRawText();
    if (!m_pieceBreaks.empty())
        return scriptOf(text, m_pieceBreaks, 0);
    // With no pieces each character stays or grows: the raw text becomes
    // the script in place, from its end, and no second copy of a long
    // script is ever held.
    const qsizetype raw = text.size();
    const qsizetype size = raw + text.count(QChar(blockBreak));
    text.resize(size);
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    std::vector<std::pair<qsizetype, int>> standIns;  // where in the script, and in the document
    for (qsizetype r = raw, w = size; r-- > 0;) {
        const char16_t c = d[r];
        if (c < loneLineFeed || (c > blockBreak && c != standIn)) {
            d[--w] = c;
        } else if (c == blockBreak) {
            d[--w] = LF;
            d[--w] = CR;
        } else if (c == standIn) {
            d[--w] = c;
            standIns.emplace_back(w, int(r));
        } else {
            d[--w] = LF;  // a lone LF
        }
    }
    // What a stand-in stands for is read from the blocks, after the pass.
    for (const auto &[at, position] : standIns)
        d[at] = standingFor(position);
    return text;
}

QString ScriptDocument::scriptText(int position, int length) const
{
    position = std::clamp(position, 0, positions());
    length = std::clamp(length, 0, positions() - position);
    if (length == 0)
        return {};
    QTextCursor cursor(m_text);
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    // The selected text is the document's own, block breaks included.
    const auto first = std::lower_bound(m_pieceBreaks.begin(), m_pieceBreaks.end(), position);
    const auto last = std::lower_bound(first, m_pieceBreaks.end(), position + length);
    return scriptOf(cursor.selectedText(), std::span<const int>(first, last), position);
}

QString ScriptDocument::text(qsizetype offset, qsizetype length) const
{
    const int from = toPosition(offset);
    return scriptText(from, toPosition(offset + std::max<qsizetype>(length, 0)) - from);
}

int ScriptDocument::positions() const
{
    return m_text->characterCount() - 1;
}

qsizetype ScriptDocument::length() const
{
    return qsizetype(positions()) + (m_text->blockCount() - 1) - 2 * qsizetype(m_pieceBreaks.size());
}

int ScriptDocument::lineCount() const
{
    return m_text->blockCount() - int(m_pieceBreaks.size());
}

qsizetype ScriptDocument::lineStart(int line) const
{
    if (line <= 0)
        return 0;
    if (line >= lineCount())
        return length();
    return toScript(lineBlock(line).position());
}

qsizetype ScriptDocument::lineLength(int line) const
{
    if (line < 0 || line >= lineCount())
        return 0;
    const qsizetype end = line + 1 < lineCount() ? lineStart(line + 1) - 2 : length();
    return end - lineStart(line);
}

int ScriptDocument::lineAt(qsizetype offset) const
{
    return lineOf(toPosition(offset));
}

QString ScriptDocument::lineText(int line, qsizetype from, qsizetype length) const
{
    if (line < 0 || line >= lineCount())
        return {};
    const QTextBlock first = lineBlock(line);
    const qsizetype size = lineLength(line);
    from = std::clamp<qsizetype>(from, 0, size);
    length = length < 0 ? size - from : std::min(length, size - from);
    // The line's positions hold a break before each of its pieces: the
    // characters from `from` on start after those that come before them.
    QTextBlock block = first;
    qsizetype skipped = 0;
    while (skipped + block.length() - 1 < from && block.next().isValid()) {
        skipped += block.length() - 1;
        block = block.next();
    }
    const int start = block.position() + int(from - skipped);
    int end = start;
    for (qsizetype left = length + (start - block.position()); block.isValid(); block = block.next()) {
        end = block.position() + int(std::min<qsizetype>(left, block.length() - 1));
        left -= block.length() - 1;
        if (left <= 0 || !continuesLine(block.next()))
            break;
    }
    return scriptText(start, end - start);
}

// --- The view's side: positions and pieces ----------------------------------

bool ScriptDocument::pieceBreakAt(int at) const
{
    return std::binary_search(m_pieceBreaks.begin(), m_pieceBreaks.end(), at);
}

bool ScriptDocument::continuesLine(const QTextBlock &block) const
{
    // Asked for every block coloured or painted: a text without pieces
    // answers without finding where the block starts.
    if (m_pieceBreaks.empty() || !block.isValid())
        return false;
    const int position = block.position();
    return position > 0 && pieceBreakAt(position - 1);
}

bool ScriptDocument::inCutLine(int position) const
{
    if (m_pieceBreaks.empty())
        return false;
    const QTextBlock block = m_text->findBlock(position);
    return continuesLine(block) || continuesLine(block.next());
}

int ScriptDocument::piecesBefore(int position) const
{
    return int(std::lower_bound(m_pieceBreaks.begin(), m_pieceBreaks.end(), position) - m_pieceBreaks.begin());
}

int ScriptDocument::characters(int from, int to) const
{
    return to - from - (piecesBefore(to) - piecesBefore(from));
}

int ScriptDocument::lineOf(int position) const
{
    return m_text->findBlock(position).blockNumber() - piecesBefore(position);
}

QTextBlock ScriptDocument::lineBlock(int line) const
{
    line = std::clamp(line, 0, lineCount() - 1);
    // Each piece that continues an earlier line puts the line's first block
    // one further on. The i-th such piece is on line (its block number - i - 1).
    const auto continuedLine = [this](std::size_t i) {
        return m_text->findBlock(m_pieceBreaks[i] + 1).blockNumber() - int(i) - 1;
    };
    std::size_t low = 0;
    std::size_t high = m_pieceBreaks.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (continuedLine(middle) < line)
            low = middle + 1;
        else
            high = middle;
    }
    return m_text->findBlockByNumber(line + int(low));
}

// A line break counts one position and two script characters, a break
// before a piece one position and none.
qsizetype ScriptDocument::toScript(int position) const
{
    return qsizetype(position) + m_text->findBlock(position).blockNumber() - 2 * qsizetype(piecesBefore(position));
}

int ScriptDocument::toPosition(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    // The block holding the offset: the last one whose script start lies at
    // or before it.
    const auto scriptStart = [this](const QTextBlock &block) { return toScript(block.position()); };
    int low = 0;
    int high = m_text->blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (scriptStart(m_text->findBlockByNumber(middle)) <= offset)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = m_text->findBlockByNumber(low);
    const qsizetype blockEnd = block.position() + block.length() - 1;
    return int(std::min(block.position() + (offset - scriptStart(block)), blockEnd));
}

// --- Edits --------------------------------------------------------------

void ScriptDocument::insert(QTextCursor &cursor, QStringView script)
{
    cursor.beginEditBlock();
    insertDocumentText(cursor, toDocumentText(script));
    cursor.endEditBlock();
}

bool ScriptDocument::insertDocumentText(QTextCursor &cursor, const DocumentText &text, bool shape, int lineBlocks)
{
    // Nothing shown in pieces, nothing to cut, nothing standing in: the
    // editor's own insertion. The text never takes the format of a stand-in
    // before it.
    if (lineBlocks < 0)
        lineBlocks = m_text->findBlock(cursor.selectionStart()).length() + m_text->findBlock(cursor.selectionEnd()).length();
    if (!m_piecesMade && text.standIns.empty() && lineBlocks + longestLine(text.text) <= cutAbove) {
        cursor.insertText(text.text, QTextCharFormat());
        return false;
    }
    const int start = cursor.selectionStart();
    // Removing blocks, the document keeps the format of the first one, or
    // of the last when the removal starts at the first one's start: the
    // block the removal starts in must go on continuing a line, or not, as
    // it did.
    const bool continues = formatContinues(m_text->findBlock(start));
    cursor.removeSelectedText();
    if (formatContinues(cursor.block()) != continues)
        setContinues(cursor, continues);
    // A line break typed into a piece would take the piece's format, and
    // with it count as nothing: each goes in with a plain one.
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.text.size(); ++i) {
        if (i < text.text.size() && !endsLine(text.text[i].unicode()))
            continue;
        insertText(cursor, text, from, i);
        if (i < text.text.size())
            cursor.insertBlock(pieceFormat(false));
        from = i + 1;
    }
    if (shape)
        shapeLines(start, cursor.position());
    return true;
}

void ScriptDocument::insertText(QTextCursor &cursor, const DocumentText &text, qsizetype from, qsizetype to)
{
    auto standIn = std::lower_bound(text.standIns.begin(), text.standIns.end(), std::pair<qsizetype, char16_t>(from, 0));
    for (; standIn != text.standIns.end() && standIn->first < to; ++standIn) {
        cursor.insertText(text.text.sliced(from, standIn->first - from), QTextCharFormat());
        cursor.insertText(QString(QChar(text.text[standIn->first])), standInFormat(standIn->second));
        from = standIn->first + 1;
    }
    cursor.insertText(text.text.sliced(from, to - from), QTextCharFormat());
}

void ScriptDocument::setContinues(QTextCursor &cursor, bool continues)
{
    cursor.setBlockFormat(pieceFormat(continues));
}

void ScriptDocument::joinAt(QTextCursor &cursor, int at)
{
    const bool continues = formatContinues(m_text->findBlock(at));
    cursor.setPosition(at);
    cursor.deleteChar();
    if (formatContinues(cursor.block()) != continues)
        setContinues(cursor, continues);
}

void ScriptDocument::cutBlock(QTextCursor &cursor, const QTextBlock &block)
{
    const QString text = block.text();
    std::vector<qsizetype> cuts;
    for (qsizetype start = 0, cut = pieceEnd(text, 0, text.size()); cut < text.size();
         start = cut, cut = pieceEnd(text, start, text.size()))
        cuts.push_back(cut);
    // From the last, so that each cut leaves the earlier ones where they are.
    const int position = block.position();
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        cursor.setPosition(position + int(*cut));
        cursor.insertBlock(pieceFormat(true));
    }
    m_piecesMade = m_piecesMade || !cuts.empty();
}

void ScriptDocument::shapeLines(int from, int to)
{
    QTextCursor edit(m_text);
    // From the last block the edit touched back to the first: each change
    // leaves the blocks before it where they are.
    const int first = m_text->findBlock(from).position();
    for (int at = m_text->findBlock(to).position(); at >= first;)
        at = shapeAround(edit, m_text->findBlock(at)) - 1;
}

int ScriptDocument::shapeAround(QTextCursor &edit, const QTextBlock &block)
{
    // Whether the line is longer than cutAbove is found out from the
    // blocks around this one, without reading the whole of a long line.
    qsizetype length = block.length() - 1;
    QTextBlock head = block;
    while (length <= cutAbove && formatContinues(head) && head.previous().isValid()) {
        head = head.previous();
        length += head.length() - 1;
    }
    for (QTextBlock tail = block; length <= cutAbove && formatContinues(tail.next());) {
        tail = tail.next();
        length += tail.length() - 1;
    }
    const int start = block.position();
    if (length <= cutAbove) {
        // Short enough to lay out at once: the line becomes one block.
        const int headStart = head.position();
        for (QTextBlock whole = head; formatContinues(whole.next()); whole = m_text->findBlock(headStart))
            joinAt(edit, whole.position() + whole.length() - 1);
        return headStart;
    }
    if (block.length() == 1 && formatContinues(block)) {
        // An emptied piece: the break before it goes.
        joinAt(edit, start - 1);
    } else if (block.length() == 1 && formatContinues(block.next())) {
        // An emptied first piece: the piece after it takes its place.
        joinAt(edit, start);
    } else if (block.length() - 1 > cutAbove) {
        cutBlock(edit, block);
    }
    return start;
}

void ScriptDocument::replaceEach(QTextCursor &cursor, std::span<const Edit> edits)
{
    if (edits.empty())
        return;
    // The edits' places in the document, and the lengths of the blocks
    // they start and end in, found in one walk over the blocks.
    struct Place {
        int start;
        int removed;
        int blocks;
    };
    std::vector<Place> places;
    places.reserve(edits.size());
    QTextBlock block = m_text->begin();
    qsizetype blockStart = 0;  // the block's script offset
    const auto positionOf = [&](qsizetype offset) {
        offset = std::clamp<qsizetype>(offset, 0, length());
        for (;;) {
            const QTextBlock next = block.next();
            const qsizetype breakLength = continuesLine(next) ? 0 : 2;
            const qsizetype nextStart = blockStart + block.length() - 1 + breakLength;
            if (!next.isValid() || nextStart > offset)
                return block.position() + int(std::min<qsizetype>(offset - blockStart, block.length() - 1));
            block = next;
            blockStart = nextStart;
        }
    };
    for (const Edit &edit : edits) {
        const int start = positionOf(edit.start);
        const int startBlock = block.length();
        const int removed = positionOf(edit.start + edit.length) - start;
        places.push_back({start, removed, startBlock + block.length()});
    }
    // From the last to the first, so that no edit moves the places of the
    // ones still to come; the lines are shaped once all are in, since a
    // join or a cut may move the blocks before an edit.
    qsizetype grown = 0;
    int grownPositions = 0;
    int lastSize = 0;
    bool shape = false;
    cursor.beginEditBlock();
    for (std::size_t i = edits.size(); i-- > 0;) {
        const auto [start, removed, blocks] = places[i];
        cursor.setPosition(start);
        cursor.setPosition(start + removed, QTextCursor::KeepAnchor);
        shape = insertDocumentText(cursor, toDocumentText(edits[i].text), false, blocks) || shape;
        const int size = cursor.position() - start;
        if (i + 1 == edits.size()) {
            lastSize = size;
        } else {
            grown += edits[i].text.size() - edits[i].length;
            grownPositions += size - removed;
        }
    }
    if (shape)
        shapeLines(places.front().start, places.back().start + grownPositions + lastSize);
    cursor.endEditBlock();
    cursor.setPosition(toPosition(edits.back().start + grown + edits.back().text.size()));
}

void ScriptDocument::replaceWhole(QStringView script, Origin origin, const QString &source)
{
    replaceWholeText(toDocumentText(script), origin, source);
}

void ScriptDocument::replaceWhole(QString &&script, Origin origin, const QString &source)
{
    replaceWholeText(toDocumentText(std::move(script)), origin, source);
}

void ScriptDocument::replaceWholeText(const DocumentText &text, Origin origin, const QString &source)
{
    // Not an edit of the text but a new one: no edited() for its pieces.
    const QString &raw = text.text;
    m_replacing = true;
    emit replacingWhole(int(raw.count(QChar(LF))) + 1);
    m_pieceBreaks.clear();
    m_piecesMade = longestLine(raw) > cutAbove;
    // Where each piece starts, in the text and among the blocks.
    std::vector<std::pair<qsizetype, qsizetype>> pieceStarts{{0, 0}};
    if (!m_piecesMade) {
        m_text->setPlainText(raw);
    } else {
        QString blocks;
        blocks.reserve(raw.size() + raw.size() / pieceLength + 1);
        eachPiece(raw, [&](qsizetype from, qsizetype to, bool continues) {
            if (from > 0) {
                if (continues) {
                    m_pieceBreaks.push_back(int(blocks.size()));
                    pieceStarts.emplace_back(from, blocks.size() + 1);
                }
                blocks.append(LF);
            }
            blocks.append(QStringView(raw).sliced(from, to - from));
        });
        m_text->setPlainText(blocks);
    }
    if (m_piecesMade || !text.standIns.empty()) {
        // As one edit without undo, so that the pieces are laid out as they
        // are shown, not one by one now.
        m_text->setUndoRedoEnabled(false);
        QTextCursor cursor(m_text);
        cursor.beginEditBlock();
        for (int at : m_pieceBreaks) {
            cursor.setPosition(at + 1);
            cursor.setBlockFormat(pieceFormat(true));
        }
        for (const auto &[at, c] : text.standIns) {
            const auto piece = std::prev(std::upper_bound(pieceStarts.begin(), pieceStarts.end(),
                                                          std::pair<qsizetype, qsizetype>(at, LLONG_MAX)));
            const int position = int(piece->second + (at - piece->first));
            cursor.setPosition(position);
            cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
            cursor.setCharFormat(standInFormat(c));
        }
        cursor.endEditBlock();
        m_text->setUndoRedoEnabled(true);
    }
    m_replacing = false;
    m_positions = positions();
    m_length = length();
    if (origin != Origin::Opened) {
        m_stamp = source.isEmpty() ? disk::Stamp() : disk::stampOf(source);
        m_reading = {};
    }
    m_source = source;
    ++m_revision;
    checkPieces();
    emit replacedWhole(origin);
    emit contentChanged();
}

scriptfile::Loaded ScriptDocument::open(const QString &path, const scriptfile::HowToRead &howToRead)
{
    const disk::Stamp before = disk::stampOf(path);
    scriptfile::Loaded loaded = scriptfile::load(path, howToRead);
    if (!loaded.error && !loaded.givenUp) {
        // A change made while the file was read counts as one made after.
        m_stamp = before;
        m_reading = loaded.reading;
        replaceWholeText(toDocumentText(std::move(loaded.script.text)), Origin::Opened, disk::absoluteName(path));
    }
    return loaded;
}

IoResult ScriptDocument::save(const QString &path, const QByteArray &bytes, const scriptfile::Writer &write)
{
    if (IoResult error = scriptfile::save(path, bytes, write))
        return error;
    m_source = disk::absoluteName(path);
    m_stamp = disk::stampOf(m_source);
    m_reading = {};
    emit saved(m_source);
    return {};
}

bool ScriptDocument::changedOnDisk() const
{
    return !m_source.isEmpty() && disk::stampOf(m_source) != m_stamp;
}

void ScriptDocument::close()
{
    emit closed();
}

void ScriptDocument::contentsChange(int position, int removed, int added)
{
    const int before = m_positions;
    m_positions = positions();
    if (m_replacing || (removed == 0 && added == 0))
        return;
    // The document may count the end of the text in the range it reports
    // (a change of the whole text does): what really changed is what the
    // lengths before and after allow.
    const int removedNow = std::clamp(std::min(removed, before - position), 0, before);
    const int addedNow = std::max(m_positions - before + removedNow, 0);
    if (m_piecesMade)
        followPieces(position, removedNow, addedNow);
    checkPieces();
    // The same change in the script: what was added is read, what was
    // removed follows from the lengths.
    const qsizetype offset = toScript(position);
    const qsizetype addedScript = toScript(position + addedNow) - offset;
    const qsizetype now = length();
    const qsizetype removedScript = addedScript - (now - m_length);
    m_length = now;
    m_editPosition = position;
    m_editAdded = addedNow;
    ++m_revision;
    emit edited(offset, removedScript, addedScript);
    emit contentChanged();
}

void ScriptDocument::followPieces(int position, int removed, int added)
{
    const auto first = std::lower_bound(m_pieceBreaks.begin(), m_pieceBreaks.end(), position);
    const auto last = std::lower_bound(first, m_pieceBreaks.end(), position + removed);
    const auto kept = m_pieceBreaks.erase(first, last);
    for (auto at = kept; at != m_pieceBreaks.end(); ++at)
        *at += added - removed;
    // The pieces the change put in, as their blocks say: an insertion's
    // own, or the ones an undo or a redo brought back.
    std::vector<int> made;
    if (added > 0)
        for (QTextBlock block = m_text->findBlock(position).next();
             block.isValid() && block.position() <= position + added; block = block.next())
            if (formatContinues(block))
                made.push_back(block.position() - 1);
    m_pieceBreaks.insert(kept, made.begin(), made.end());
}

void ScriptDocument::checkPieces() const
{
    if (!checkingPieces() || !m_piecesMade)
        return;
    // The record against the blocks, and the shape of every cut line.
    const auto fail = [](const char *what, int at) {
        qFatal("ScriptDocument: %s (position %d)", what, at);
    };
    std::vector<int> marked;
    qsizetype lineLength = 0;
    for (QTextBlock block = m_text->begin(); block.isValid(); block = block.next()) {
        const bool continues = formatContinues(block);
        if (continues && block.position() == 0)
            fail("the first block continues a line", 0);
        if (continues)
            marked.push_back(block.position() - 1);
        if ((continues || formatContinues(block.next())) && block.length() == 1)
            fail("an empty piece", block.position());
        lineLength = continues ? lineLength + block.length() - 1 : block.length() - 1;
        if (continues && !formatContinues(block.next()) && lineLength <= cutAbove)
            fail("a line in pieces no longer than cutAbove", block.position());
    }
    if (marked != m_pieceBreaks)
        fail("the record of pieces differs from the blocks", marked.empty() ? -1 : marked.front());
}

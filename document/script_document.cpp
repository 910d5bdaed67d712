#include "document/script_document.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

using scriptdoc::blockBreak;
using scriptdoc::loneLineFeed;
using scriptdoc::pieceBreak;

namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

// The block format's mark of a piece that continues its line.
constexpr int continuesProperty = QTextFormat::UserProperty + 1;

QTextBlockFormat pieceFormat()
{
    QTextBlockFormat format;
    format.setProperty(continuesProperty, true);
    return format;
}

// Ends a line in the text the document takes, whichever form it has.
bool endsLine(char16_t c) { return c == LF || c == blockBreak; }

// Whether a piece may end before `at`: not between the halves of a
// surrogate pair or before a combining mark, and not beside a lone LF,
// which would draw an empty row at the piece's edge.
bool cleanCut(QStringView text, qsizetype at)
{
    const QChar before = text[at - 1];
    const QChar after = text[at];
    return !before.isHighSurrogate() && !after.isMark() && before != QChar(loneLineFeed) &&
           after != QChar(loneLineFeed);
}

// Where the piece of a long line that starts at `start` ends: about
// pieceLength on, after a full stop, a comma, a closing bracket, the end of
// a tag or a space when one is near, so that words and tags rarely fall
// into two pieces.
qsizetype pieceEnd(QStringView text, qsizetype start, qsizetype lineEnd)
{
    constexpr qsizetype reach = 256;
    const qsizetype longest = start + ScriptDocument::pieceLength;
    if (lineEnd <= longest)
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
// the document takes) makes: every line longer than pieceLength cut into
// pieces, and a pieceBreak (from a journal) kept as a break between pieces.
template <typename Piece>
void eachPiece(QStringView text, Piece piece)
{
    qsizetype start = 0;
    bool continues = false;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && !endsLine(text[end].unicode()) && text[end] != QChar(pieceBreak))
            ++end;
        for (qsizetype cut = pieceEnd(text, start, end); cut < end; cut = pieceEnd(text, start, end)) {
            piece(start, cut, continues);
            start = cut;
            continues = true;
        }
        piece(start, end, continues);
        continues = end < text.size() && text[end] == QChar(pieceBreak);
        start = end + 1;
    }
}

// Whether the text the document takes holds a line that is shown in pieces.
bool hasPieces(QStringView text)
{
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == pieceBreak)
            return true;
        if (endsLine(c))
            lineStart = i + 1;
        else if (i - lineStart >= ScriptDocument::pieceLength)
            return true;
    }
    return false;
}

} // namespace

ScriptDocument::ScriptDocument(QObject *parent)
    : QObject(parent)
    , m_text(new QTextDocument(this))
{
    m_text->setUndoRedoEnabled(true);
    // A document without a layout reports no changes; a view puts its own
    // layout in place of this one.
    m_text->documentLayout();
    connect(m_text, &QTextDocument::contentsChange, this, &ScriptDocument::contentsChange);
}

ScriptDocument::~ScriptDocument()
{
    // The views and readers that follow the text are gone by now; the
    // document's last signals would find nobody.
    m_text->disconnect(this);
}

// QTextCursor::insertText() and setPlainText() take "\n" as a block break:
// each CR LF (or lone CR, which the script never holds) becomes one, each
// lone LF becomes U+2028. The result is never longer than the script, so
// `out` may be `script` itself. Returns the length written.
static qsizetype convertToDocument(const char16_t *script, qsizetype size, char16_t *out)
{
    qsizetype w = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = script[i];
        if (c == CR) {
            if (i + 1 < size && script[i + 1] == LF)
                ++i;
            out[w++] = LF;
        } else {
            out[w++] = c == LF ? loneLineFeed : c;
        }
    }
    return w;
}

QString ScriptDocument::toDocumentText(QStringView script)
{
    QString out(script.size(), Qt::Uninitialized);
    out.truncate(convertToDocument(script.utf16(), script.size(), reinterpret_cast<char16_t *>(out.data())));
    return out;
}

QString ScriptDocument::toDocumentText(QString &&script)
{
    // A script as large as memory allows is converted where it lies: an open
    // then holds one copy of the text besides the document's, not two.
    QString text = std::move(script);
    char16_t *data = reinterpret_cast<char16_t *>(text.data());
    text.truncate(convertToDocument(data, text.size(), data));
    return text;
}

// The script text of the raw text `raw`, leaving out the characters at the
// positions `skipped` (ascending) holds.
static QString scriptTextOf(QStringView raw, std::span<const int> skipped)
{
    // A piece break is a block break that writes nothing.
    const qsizetype breaks = raw.count(QChar(blockBreak)) - qsizetype(skipped.size());
    QString out(raw.size() + breaks - qsizetype(skipped.size()), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype w = 0;
    auto skip = skipped.begin();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char16_t c = raw[i].unicode();
        if (skip != skipped.end() && *skip == i) {
            ++skip;
        } else if (c == blockBreak) {
            o[w++] = CR;
            o[w++] = LF;
        } else {
            o[w++] = c == loneLineFeed ? LF : c;
        }
    }
    return out;
}

QString ScriptDocument::toScriptText(QStringView raw)
{
    return scriptTextOf(raw, {});
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

QString ScriptDocument::text() const
{
    // toPlainText() would fold both breaks into "\n" and turn U+00A0 into a
    // blank: the text is always read raw.
    return scriptTextOf(m_text->toRawText(), m_pieceBreaks);
}

int ScriptDocument::positions() const
{
    return m_text->characterCount() - 1;
}

QString ScriptDocument::rawText(int position, int length) const
{
    if (length <= 0)
        return {};
    QTextCursor cursor(m_text);
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    // The selected text is the document's own, block breaks included.
    QString text = cursor.selectedText();
    for (auto at = std::lower_bound(m_pieceBreaks.begin(), m_pieceBreaks.end(), position);
         at != m_pieceBreaks.end() && *at < position + length; ++at)
        text[*at - position] = QChar(pieceBreak);
    return text;
}

QString ScriptDocument::joinedText(int position, int length) const
{
    QString text = rawText(position, length);
    const auto first = std::lower_bound(m_pieceBreaks.begin(), m_pieceBreaks.end(), position);
    const auto last = std::lower_bound(first, m_pieceBreaks.end(), position + length);
    // From the last, so that each removal leaves the earlier indices as they are.
    for (auto at = last; at != first;) {
        --at;
        text.remove(*at - position, 1);
    }
    return text;
}

bool ScriptDocument::continuesLine(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(continuesProperty);
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

qsizetype ScriptDocument::length() const
{
    return qsizetype(positions()) + (m_text->blockCount() - 1) - 2 * qsizetype(m_pieceBreaks.size());
}

int ScriptDocument::lineCount() const
{
    return m_text->blockCount() - int(m_pieceBreaks.size());
}

// A line break counts one position and two script characters, a break
// between pieces one position and none.
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

void ScriptDocument::insert(QTextCursor &cursor, QStringView script)
{
    cursor.beginEditBlock();
    insertDocumentText(cursor, toDocumentText(script));
    cursor.endEditBlock();
}

void ScriptDocument::insertDocumentText(QTextCursor &cursor, const QString &text)
{
    if (!m_piecesMade && !hasPieces(text)) {
        cursor.insertText(text);
        return;
    }
    // A line break typed into a piece would take the piece's format, and
    // with it count as nothing: each break goes in with its own.
    m_piecesMade = true;
    cursor.removeSelectedText();
    eachPiece(text, [&](qsizetype from, qsizetype to, bool continues) {
        if (from > 0)
            cursor.insertBlock(continues ? pieceFormat() : QTextBlockFormat());
        cursor.insertText(text.sliced(from, to - from));
    });
}

void ScriptDocument::replaceEach(QTextCursor &cursor, std::span<const Edit> edits)
{
    if (edits.empty())
        return;
    // From the last to the first, so that no edit moves the positions of
    // the ones still to come.
    qsizetype grown = 0;
    qsizetype lastSize = 0;
    cursor.beginEditBlock();
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const int start = std::clamp(it->start, 0, positions());
        cursor.setPosition(start);
        cursor.setPosition(std::clamp(it->start + it->length, 0, positions()), QTextCursor::KeepAnchor);
        insertDocumentText(cursor, toDocumentText(it->text));
        const qsizetype size = cursor.position() - start;
        if (it == edits.rbegin())
            lastSize = size;
        else
            grown += size - it->length;
    }
    cursor.endEditBlock();
    cursor.setPosition(int(edits.back().start + grown + lastSize));
}

void ScriptDocument::replaceWhole(QStringView script, Origin origin, const QString &source)
{
    replaceWholeRaw(toDocumentText(script), origin, source);
}

void ScriptDocument::replaceWholeRaw(const QString &raw, Origin origin, const QString &source)
{
    // Not an edit of the text but a new one: no edited() for its pieces.
    m_replacing = true;
    emit replacingWhole(int(raw.count(QChar(LF))) + 1);
    m_pieceBreaks.clear();
    m_piecesMade = hasPieces(raw);
    if (!m_piecesMade) {
        m_text->setPlainText(raw);
    } else {
        QString blocks;
        blocks.reserve(raw.size() + raw.size() / pieceLength + 1);
        eachPiece(raw, [&](qsizetype from, qsizetype to, bool continues) {
            if (from > 0) {
                if (continues)
                    m_pieceBreaks.push_back(int(blocks.size()));
                blocks.append(LF);
            }
            blocks.append(QStringView(raw).sliced(from, to - from));
        });
        m_text->setPlainText(blocks);
        // As one edit without undo, so that the pieces are laid out as they
        // are shown, not one by one now.
        m_text->setUndoRedoEnabled(false);
        QTextCursor cursor(m_text);
        cursor.beginEditBlock();
        for (int at : m_pieceBreaks) {
            cursor.setPosition(at + 1);
            cursor.setBlockFormat(pieceFormat());
        }
        cursor.endEditBlock();
        m_text->setUndoRedoEnabled(true);
    }
    m_replacing = false;
    m_positions = positions();
    if (origin != Origin::Opened) {
        m_stamp = source.isEmpty() ? disk::Stamp() : disk::stampOf(source);
        m_reading = {};
    }
    m_source = source;
    ++m_revision;
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
        replaceWholeRaw(toDocumentText(std::move(loaded.script.text)), Origin::Opened, disk::absoluteName(path));
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
    ++m_revision;
    emit edited(position, removedNow, addedNow);
    emit contentChanged();
}

void ScriptDocument::followPieces(int position, int removed, int added)
{
    const auto first = std::lower_bound(m_pieceBreaks.begin(), m_pieceBreaks.end(), position);
    const auto last = std::lower_bound(first, m_pieceBreaks.end(), position + removed);
    const auto kept = m_pieceBreaks.erase(first, last);
    for (auto at = kept; at != m_pieceBreaks.end(); ++at)
        *at += added - removed;
    // Pieces the edit put in: an insertion's own, or ones an undo brought back.
    std::vector<int> made;
    if (added > 0)
        for (QTextBlock block = m_text->findBlock(position).next();
             block.isValid() && block.position() <= position + added; block = block.next())
            if (continuesLine(block))
                made.push_back(block.position() - 1);
    m_pieceBreaks.insert(kept, made.begin(), made.end());
}

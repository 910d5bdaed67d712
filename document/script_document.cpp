#include "document/script_document.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

using scriptdoc::blockBreak;
using scriptdoc::loneLineFeed;

namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

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

QString ScriptDocument::toScriptText(QStringView raw)
{
    const qsizetype breaks = raw.count(QChar(blockBreak));
    QString out(raw.size() + breaks, Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype w = 0;
    for (QChar qc : raw) {
        const char16_t c = qc.unicode();
        if (c == blockBreak) {
            o[w++] = CR;
            o[w++] = LF;
        } else {
            o[w++] = c == loneLineFeed ? LF : c;
        }
    }
    return out;
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
    return toScriptText(m_text->toRawText());
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
    return cursor.selectedText();
}

qsizetype ScriptDocument::length() const
{
    return qsizetype(positions()) + (m_text->blockCount() - 1);
}

int ScriptDocument::lineCount() const
{
    return m_text->blockCount();
}

qsizetype ScriptDocument::toScript(int position) const
{
    return qsizetype(position) + m_text->findBlock(position).blockNumber();
}

int ScriptDocument::toPosition(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    // The block holding the offset: the last one whose script start, its
    // position plus one extra unit per earlier line break, lies at or
    // before it.
    int low = 0;
    int high = m_text->blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (m_text->findBlockByNumber(middle).position() + qsizetype(middle) <= offset)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = m_text->findBlockByNumber(low);
    const qsizetype blockEnd = block.position() + block.length() - 1;
    return int(std::min(offset - low, blockEnd));
}

void ScriptDocument::insert(QTextCursor &cursor, QStringView script)
{
    cursor.beginEditBlock();
    cursor.insertText(toDocumentText(script));
    cursor.endEditBlock();
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
        const QString text = toDocumentText(it->text);
        cursor.setPosition(std::clamp(it->start, 0, positions()));
        cursor.setPosition(std::clamp(it->start + it->length, 0, positions()), QTextCursor::KeepAnchor);
        cursor.insertText(text);
        if (it == edits.rbegin())
            lastSize = text.size();
        else
            grown += text.size() - it->length;
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
    m_text->setPlainText(raw);
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
    ++m_revision;
    emit edited(position, removedNow, addedNow);
    emit contentChanged();
}

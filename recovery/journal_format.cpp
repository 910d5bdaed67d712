#include "recovery/journal_format.h"

#include "document/file_access.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace recovery {

namespace {

constexpr char tag[] = {'S', 'C', 'R', 'I', 'V', 'J', 'N', 'L'};
// 2: the script text, in script offsets. 1: the editor's own text, its
// line breaks and the breaks between the pieces of long lines as it kept
// them, in its positions.
constexpr quint32 version = 2;
constexpr quint32 formerVersion = 1;
constexpr qsizetype startLength = sizeof tag + 4;
constexpr qsizetype frameLength = 8;  // length and CRC

// A header names its file by the name's bytes; the first journals named it
// in UTF-16 units, and are still read.
enum RecordType : quint8 { Utf16HeaderRecord = 1, BaseRecord = 2, EditRecord = 3, HeaderRecord = 4 };

constexpr std::array<quint32, 256> crcTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}();

quint32 crc32(QByteArrayView bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (char b : bytes)
        c = crcTable[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

template <typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof bytes);
}

void putText(QByteArray &out, QStringView text)
{
    put(out, quint32(text.size()));
    if (text.isEmpty())
        return;  // an empty text may have no storage to copy from
    const qsizetype at = out.size();
    out.resize(at + text.size() * 2);
    qToLittleEndian<quint16>(text.utf16(), text.size(), out.data() + at);
}

void putBytes(QByteArray &out, QByteArrayView bytes)
{
    put(out, quint32(bytes.size()));
    out.append(bytes);
}

// The CRC of a record: of its payload, and for the header of a journal in
// the current format of the journal's start too, so that a byte changed in
// the format's number cannot have the journal read in another format.
quint32 recordCrc(QByteArrayView payload, QByteArrayView sealed)
{
    if (sealed.isEmpty())
        return crc32(payload);
    QByteArray both = sealed.toByteArray();
    both.append(payload);
    return crc32(both);
}

// Frames a payload: its length, its CRC, itself.
QByteArray frame(const QByteArray &payload, QByteArrayView sealed = {})
{
    QByteArray out;
    out.reserve(frameLength + payload.size());
    put(out, quint32(payload.size()));
    put(out, recordCrc(payload, sealed));
    out.append(payload);
    return out;
}

// Reads fields from bytes that may be cut short or made up; after the first
// read that does not fit, every read gives zero and ok() is false.
class Fields
{
public:
    explicit Fields(QByteArrayView bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    qsizetype at() const { return m_at; }
    bool atEnd() const { return m_at == m_bytes.size(); }

    template <typename T>
    T take()
    {
        if (!fits(sizeof(T)))
            return 0;
        const T value = qFromLittleEndian<T>(m_bytes.data() + m_at);
        m_at += qsizetype(sizeof(T));
        return value;
    }

    QString takeText()
    {
        const qsizetype units = take<quint32>();
        if (!fits(units * 2) || units == 0)
            return {};
        QString text(units, Qt::Uninitialized);
        qFromLittleEndian<quint16>(m_bytes.data() + m_at, units, text.data());
        m_at += units * 2;
        return text;
    }

    QByteArrayView takeBytes(qsizetype n)
    {
        if (!fits(n))
            return {};
        const QByteArrayView bytes = m_bytes.sliced(m_at, n);
        m_at += n;
        return bytes;
    }

private:
    bool fits(qsizetype n)
    {
        m_ok = m_ok && n >= 0 && m_bytes.size() - m_at >= n;
        return m_ok;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// The text being rebuilt, with a gap at the last edit: typing edits one
// place after another, so each edit moves only the text between them
// rather than everything after it.
class GapText
{
public:
    explicit GapText(const QString &text) : m_units(text.begin(), text.end()), m_gapStart(text.size()), m_gapEnd(text.size()) {}

    qsizetype size() const { return qsizetype(m_units.size()) - (m_gapEnd - m_gapStart); }

    void replace(qsizetype position, qsizetype removed, QStringView added)
    {
        moveGap(position);
        m_gapEnd += removed;
        if (m_gapEnd - m_gapStart < added.size()) {
            const qsizetype grow = std::max(added.size(), qsizetype(m_units.size()) / 4 + 64);
            m_units.insert(m_units.begin() + m_gapEnd, std::size_t(grow), QChar());
            m_gapEnd += grow;
        }
        std::copy(added.begin(), added.end(), m_units.begin() + m_gapStart);
        m_gapStart += added.size();
    }

    QString text() const
    {
        QString out;
        out.reserve(size());
        out.append(m_units.data(), m_gapStart);
        out.append(m_units.data() + m_gapEnd, qsizetype(m_units.size()) - m_gapEnd);
        return out;
    }

private:
    void moveGap(qsizetype position)
    {
        QChar *units = m_units.data();
        if (position < m_gapStart)
            std::copy_backward(units + position, units + m_gapStart, units + m_gapEnd);
        else
            std::copy(units + m_gapEnd, units + m_gapEnd + (position - m_gapStart), units + m_gapStart);
        m_gapEnd += position - m_gapStart;
        m_gapStart = position;
    }

    std::vector<QChar> m_units;
    qsizetype m_gapStart;
    qsizetype m_gapEnd;
};

} // namespace

QByteArray encodeStart(const Header &header)
{
    QByteArray payload;
    put(payload, quint8(HeaderRecord));
    put(payload, quint64(header.pid));
    putText(payload, header.host);
    putBytes(payload, disk::nameToBytes(header.source));
    put(payload, qint64(header.created));
    QByteArray out(tag, sizeof tag);
    put(out, version);
    return out + frame(payload, out);
}

QByteArray encodeBase(QStringView text, qint64 when)
{
    QByteArray payload;
    payload.reserve(1 + 8 + 4 + text.size() * 2);
    put(payload, quint8(BaseRecord));
    put(payload, qint64(when));
    putText(payload, text);
    return frame(payload);
}

QByteArray encodeEdit(qint64 position, qint64 removed, QStringView added, qint64 when)
{
    QByteArray payload;
    payload.reserve(1 + 3 * 8 + 4 + added.size() * 2);
    put(payload, quint8(EditRecord));
    put(payload, qint64(when));
    put(payload, quint64(position));
    put(payload, quint64(removed));
    putText(payload, added);
    return frame(payload);
}

Replayed replay(QByteArrayView bytes)
{
    Replayed result;
    const QByteArrayView tagView(tag, sizeof tag);
    if (bytes.size() < startLength) {
        result.problem = tagView.startsWith(bytes) ? QStringLiteral(u"記録が書き始めのところで切れています。")
                                                   : QStringLiteral(u"復元用の記録ではありません。");
        return result;
    }
    if (!bytes.startsWith(tagView)) {
        result.problem = QStringLiteral(u"復元用の記録ではありません。");
        return result;
    }
    const quint32 fileVersion = qFromLittleEndian<quint32>(bytes.data() + sizeof tag);
    result.formerText = fileVersion == formerVersion;
    if (fileVersion != version && fileVersion != formerVersion) {
        result.problem = fileVersion > version
                             ? QStringLiteral(u"このプログラムより新しい版の形式(%1)の記録で、読めません。").arg(fileVersion)
                             : QStringLiteral(u"復元用の記録ではありません。");
        return result;
    }

    Fields file(bytes);
    file.takeBytes(startLength);
    std::optional<GapText> text;
    bool headerRead = false;
    result.usedBytes = startLength;
    while (!file.atEnd()) {
        const bool first = file.at() == startLength;
        const quint32 length = file.take<quint32>();
        const quint32 crc = file.take<quint32>();
        const QByteArrayView payload = file.takeBytes(length);
        const QByteArrayView sealed = first && !result.formerText ? bytes.first(startLength) : QByteArrayView();
        if (!file.ok() || recordCrc(payload, sealed) != crc)
            break;
        Fields fields(payload);
        const auto type = fields.take<quint8>();
        if ((type == HeaderRecord || type == Utf16HeaderRecord) && !headerRead) {
            result.header.pid = qint64(fields.take<quint64>());
            result.header.host = fields.takeText();
            result.header.source = type == Utf16HeaderRecord
                                       ? fields.takeText()
                                       : disk::nameFromBytes(fields.takeBytes(fields.take<quint32>()));
            result.header.created = fields.take<qint64>();
            if (!fields.ok() || !fields.atEnd())
                break;
            headerRead = true;
        } else if (type == BaseRecord && headerRead && !text) {
            const auto when = fields.take<qint64>();
            QString base = fields.takeText();
            if (!fields.ok() || !fields.atEnd())
                break;
            text.emplace(base);
            result.lastEdit = when;
        } else if (type == EditRecord && text) {
            const auto when = fields.take<qint64>();
            const auto position = fields.take<quint64>();
            const auto removed = fields.take<quint64>();
            const QString added = fields.takeText();
            const auto size = quint64(text->size());
            if (!fields.ok() || !fields.atEnd() || position > size || removed > size - position)
                break;
            text->replace(qsizetype(position), qsizetype(removed), added);
            result.lastEdit = when;
        } else {
            break;
        }
        result.usedBytes = file.at();
    }

    if (!text) {
        result.problem = QStringLiteral(u"記録に本文がありません。");
        return result;
    }
    result.text = text->text();
    if (result.usedBytes == bytes.size()) {
        result.state = Replayed::State::Whole;
    } else {
        result.state = Replayed::State::Damaged;
        result.problem = QStringLiteral(u"記録の終わりの%1バイトが壊れていたため、その部分は戻せません。")
                             .arg(bytes.size() - result.usedBytes);
    }
    return result;
}

} // namespace recovery

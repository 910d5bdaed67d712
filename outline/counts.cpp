#include "outline/counts.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace outline {
namespace {

constexpr std::uint32_t rowLength = 20;

QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// A lone LF inside a line starts a new row, as a line break does.
bool isBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

// Not counted: blanks.
bool uncounted(char16_t c) { return QChar::isSpace(c); }

// A character that is a grapheme cluster of its own whatever stands
// beside it: no combining mark, joiner, selector, surrogate, Hangul or
// prepended mark among these. Nearly every character of a Japanese script
// is one; a stretch holding anything else goes to QTextBoundaryFinder.
bool standsAlone(char16_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF && c != 0xAD) || (c >= 0x2010 && c <= 0x2027) ||
           (c >= 0x2030 && c <= 0x205E) || (c >= 0x2190 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x3029) ||
           (c >= 0x3030 && c <= 0x3098) || (c >= 0x309B && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF01 && c <= 0xFF9D);
}

// Counts the visible stretches of one line into characters and rows.
class Counter
{
public:
    void add(QStringView text)
    {
        const char16_t *s = reinterpret_cast<const char16_t *>(text.utf16());
        const qsizetype n = text.size();
        qsizetype i = 0;
        for (; i < n; ++i) {
            const char16_t c = s[i];
            if (c == u' ' || c == u'\t' || c == 0x3000 || c == 0xA0)
                continue;
            if (isBreak(c))
                endRow();
            else if (standsAlone(c))
                ++m_count.characters, ++m_row;
            else
                break;
        }
        if (i == n)
            return;
        // From the character before the first that may join it: cluster by
        // cluster, that character taken back if it was counted.
        if (i > 0 && !isBreak(s[i - 1])) {
            --i;
            if (!uncounted(s[i]))
                --m_count.characters, --m_row;
        }
        QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar *>(s + i), n - i);
        qsizetype start = 0;
        for (qsizetype end = clusters.toNextBoundary(); end > 0; end = clusters.toNextBoundary()) {
            take(s[i + start]);
            start = end;
        }
    }

    LineCount finish()
    {
        endRow();
        return m_count;
    }

private:
    // A cluster starting with `first`.
    void take(char16_t first)
    {
        if (isBreak(first))
            endRow();
        else if (!uncounted(first)) {  // blanks, half- and full-width
            ++m_count.characters;
            ++m_row;
        }
    }

    void endRow()
    {
        m_count.rows += (m_row + rowLength - 1) / rowLength;
        m_row = 0;
    }

    LineCount m_count;
    std::uint32_t m_row = 0;
};

} // namespace

QString speakerName(Speaker speaker)
{
    return speaker == narration ? QStringLiteral(u"地の文") : str(markup::cast[speaker - 1].name);
}

Speaker speakerOf(QStringView line)
{
    for (std::size_t i = 0; i < markup::cast.size(); ++i) {
        const std::u16string_view name = markup::cast[i].speaker;
        if (line.startsWith(QStringView(name.data(), qsizetype(name.size()))))
            return Speaker(1 + i);
    }
    return narration;
}

LineCount countLine(QStringView line, dnml::State state, const std::vector<dnml::Span> &spans, qsizetype from,
                    qsizetype to)
{
    using dnml::State;
    using dnml::Token;
    from = std::clamp<qsizetype>(from, 0, line.size());
    to = std::clamp<qsizetype>(to, from, line.size());
    Counter counter;
    // What lies between the spans is prose outside a tag, and a blank
    // inside one.
    bool inTag = state == State::Tag || state == State::TagStart;
    qsizetype at = 0;
    const auto visible = [&](qsizetype end) {
        const qsizetype a = std::max(at, from);
        const qsizetype b = std::min(end, to);
        if (!inTag && a < b)
            counter.add(line.sliced(a, b - a));
    };
    for (const dnml::Span &span : spans) {
        if (span.token == Token::Bracket)
            continue;  // prose
        visible(span.start);
        at = span.start + span.length;
        if (span.token == Token::TagOpen)
            inTag = true;
        else if (span.token == Token::TagClose || span.token == Token::Comment || span.token == Token::CommentContinued)
            inTag = false;
    }
    visible(line.size());
    return counter.finish();
}

LineCount countLine(QStringView line, dnml::State state, qsizetype from, qsizetype to)
{
    std::vector<dnml::Span> spans;
    dnml::lexLine(line, state, spans);
    return countLine(line, state, spans, from, to);
}

void Tally::add(Speaker speaker, LineCount count)
{
    if (count.characters == 0)
        return;
    Figure &figure = speakers[speaker];
    ++figure.lines;
    figure.characters += count.characters;
    figure.rows += count.rows;
}

Figure Tally::total() const
{
    Figure sum;
    for (const Figure &figure : speakers) {
        sum.lines += figure.lines;
        sum.characters += figure.characters;
        sum.rows += figure.rows;
    }
    return sum;
}

QByteArray csv(const Tally &tally)
{
    QString out = QStringLiteral(u"話者,行数,文字数,原稿用紙(枚)\r\n");
    const auto row = [&out](const QString &name, const Figure &figure) {
        // A name holding a comma or a quote would break the row: quote it.
        QString cell = name;
        if (cell.contains(u',') || cell.contains(u'"'))
            cell = u'"' + cell.replace(u'"', QStringLiteral("\"\"")) + u'"';
        out += QStringLiteral("%1,%2,%3,%4\r\n").arg(cell).arg(figure.lines).arg(figure.characters).arg(figure.pages());
    };
    for (Speaker speaker = 0; speaker < speakerCount; ++speaker)
        if (speaker == narration || tally.speakers[speaker].lines > 0)
            row(speakerName(speaker), tally.speakers[speaker]);
    row(QStringLiteral(u"合計"), tally.total());
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace outline

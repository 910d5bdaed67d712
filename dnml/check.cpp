#include "dnml/check.h"

#include "catalogues/catalogue.h"
#include "dnml/lexer.h"
#include "dnml/tag.h"
#include "markup/vocabulary.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace dnml {
namespace {

namespace c = catalogues;
using markup::adultFolder;
using markup::allAgesFolder;
using markup::titleBackground;
using markup::titleLogo;

using Names = std::unordered_set<std::u16string_view>;

std::u16string_view u16(QStringView v) { return {reinterpret_cast<const char16_t *>(v.utf16()), std::size_t(v.size())}; }
QString qs(std::u16string_view v) { return QString::fromUtf16(v.data(), qsizetype(v.size())); }

// What may stand in the SRC of one element: the references, and the texts
// a suggestion is measured against (display names and references alike),
// each with the reference it suggests.
struct Kind {
    Names refs;
    std::vector<std::pair<std::u16string_view, std::u16string_view>> candidates;

    void add(c::Catalogue rows)
    {
        for (const c::Row &row : rows) {
            refs.insert(row.ref);
            candidates.emplace_back(row.name, row.ref);
            if (row.ref != row.name)
                candidates.emplace_back(row.ref, row.ref);
        }
    }
    void addRef(std::u16string_view ref)
    {
        refs.insert(ref);
        candidates.emplace_back(ref, ref);
    }

    // Picture paths are file names on a system that ignores the case of
    // Latin letters, so "pdt\fgyr01.pdt" names the same picture.
    bool holds(std::u16string_view value) const
    {
        if (refs.count(value))
            return true;
        if (value.find(u'\\') == std::u16string_view::npos)
            return false;
        std::u16string upper(value);
        for (char16_t &ch : upper)
            if (ch >= u'a' && ch <= u'z')
                ch = char16_t(ch - u'a' + u'A');
        return refs.count(upper) != 0;
    }
};

// Edit distance over UTF-16 units, one row at a time.
std::size_t distance(std::u16string_view a, std::u16string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

struct Catalogues {
    Kind music, sounds, backgrounds, sprites;
    Names adultOnly, allAgesOnly;

    Catalogues()
    {
        music.add(c::music);
        sounds.add(c::soundEffects);
        backgrounds.add(c::places);
        Names adult, allAges;
        for (const markup::CastMember &member : markup::cast) {
            sprites.add(member.sprites);
            if (!member.hasEvents())
                continue;
            backgrounds.add(member.events.adult);
            backgrounds.add(member.events.allAges);
            for (const c::Row &row : member.events.adult)
                adult.insert(row.ref);
            for (const c::Row &row : member.events.allAges)
                allAges.insert(row.ref);
        }
        for (std::u16string_view ref : adult)
            if (!allAges.count(ref))
                adultOnly.insert(ref);
        for (std::u16string_view ref : allAges)
            if (!adult.count(ref))
                allAgesOnly.insert(ref);
        backgrounds.add(markup::demoPictures.adult);
        backgrounds.add(markup::demoPictures.allAges);
        backgrounds.addRef(titleBackground);
        sprites.addRef(titleLogo);
    }

    // The element whose SRC names an asset, or null.
    const Kind *kindOf(QStringView element) const
    {
        if (element.compare(u"BGM", Qt::CaseInsensitive) == 0)
            return &music;
        if (element.compare(u"SOUND", Qt::CaseInsensitive) == 0)
            return &sounds;
        if (element.compare(u"BACKGROUND", Qt::CaseInsensitive) == 0)
            return &backgrounds;
        if (element.compare(u"ACT", Qt::CaseInsensitive) == 0)
            return &sprites;
        return nullptr;
    }
};

const Catalogues &tables()
{
    static const Catalogues instance;
    return instance;
}

QString quoted(QStringView v) { return u'"' + v.toString() + u'"'; }

class Checker
{
public:
    explicit Checker(QStringView text) : m_text(text) {}

    std::vector<Finding> run()
    {
        std::vector<Span> spans;
        State state = State::Text;
        forEachLine(m_text, [&](qsizetype start, QStringView line) {
            m_lineStarts.push_back(start);
            spans.clear();
            state = lexLine(line, state, spans);
            readLine(start, spans);
        });
        finishTag();
        if (state == State::Comment)
            add(FindingKind::UnclosedComment, m_commentStart, 4, QStringLiteral(u"\"<!--\" を閉じる \"-->\" がありません。"));
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Finding &a, const Finding &b) { return a.offset < b.offset; });
        for (Finding &f : m_findings) {
            const auto line = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), f.offset) - 1;
            f.line = qsizetype(line - m_lineStarts.begin()) + 1;
            f.column = f.offset - *line + 1;
        }
        return std::move(m_findings);
    }

private:
    void add(FindingKind kind, qsizetype offset, qsizetype length, QString message)
    {
        m_findings.push_back({kind, offset, length, 0, 0, std::move(message)});
    }

    void readLine(qsizetype lineStart, const std::vector<Span> &spans)
    {
        std::vector<qsizetype> &brackets = m_openBrackets;
        std::vector<qsizetype> &indents = m_openIndents;
        brackets.clear();
        indents.clear();
        for (const Span &span : spans) {
            const qsizetype at = lineStart + span.start;
            const QStringView piece = m_text.sliced(at, span.length);
            if (span.token == Token::TagOpen)
                finishTag();
            m_tag.take(span, piece, at);
            switch (span.token) {
            case Token::TagName:
                if (piece.compare(u"INDENT", Qt::CaseInsensitive) == 0) {
                    if (!m_tag.closing)
                        indents.push_back(m_tag.offset);
                    else if (!indents.empty())
                        indents.pop_back();
                    else
                        add(FindingKind::UnopenedIndent, m_tag.offset, at + span.length - m_tag.offset,
                            QStringLiteral(u"</INDENT> の前に <INDENT> がこの行にありません。"));
                }
                break;
            case Token::TagClose:
                finishTag();
                break;
            case Token::OpenValue:
                add(FindingKind::UnclosedQuote, at, 1, QStringLiteral(u"引用符 \" が閉じていません。"));
                break;
            case Token::Comment:
                finishTag();
                m_commentStart = at;
                break;
            case Token::TagOpen:
            case Token::AttributeName:
            case Token::Equals:
            case Token::Value:
            case Token::CommentContinued:
                break;
            case Token::Bracket:
                if (piece == u"「")
                    brackets.push_back(at);
                else if (!brackets.empty())
                    brackets.pop_back();
                else
                    add(FindingKind::UnopenedBracket, at, 1, QStringLiteral(u"」 の前に 「 がこの行にありません。"));
                break;
            }
        }
        for (qsizetype at : brackets)
            add(FindingKind::UnclosedBracket, at, 1, QStringLiteral(u"「 を閉じる 」 がこの行にありません。"));
        for (qsizetype at : indents)
            add(FindingKind::UnclosedIndent, at, 8, QStringLiteral(u"<INDENT> を閉じる </INDENT> がこの行にありません。"));
    }

    // Judges the tag read so far: at its ">", or when another "<" or the
    // end of the script comes first.
    void finishTag()
    {
        if (!m_tag.open)
            return;
        if (!m_tag.closed)
            add(FindingKind::UnclosedTag, m_tag.offset, m_tag.length,
                QStringLiteral(u"\"<\" を閉じる \">\" がありません。"));
        m_tag.open = false;
        if (!m_tag.closing)
            judgeReferences();
    }

    void judgeReferences()
    {
        const Catalogues &t = tables();
        const Attribute *src = m_tag.attribute(u"SRC");
        const Attribute *folder = m_tag.attribute(u"FOLDER");
        const Kind *kind = t.kindOf(m_tag.name);
        if (src && kind && !kind->holds(u16(src->value)))
            add(FindingKind::UnknownReference, src->offset, src->value.size(),
                QStringLiteral(u"%1 はゲームにありません。もしかして %2?")
                    .arg(quoted(src->value), quoted(qs(suggestion(*kind, src->value)))));
        if (!folder)
            return;
        const std::u16string_view value = u16(folder->value);
        const bool edition = value == adultFolder || value == allAgesFolder;
        const bool include = m_tag.name.compare(u"INCLUDE", Qt::CaseInsensitive) == 0;
        if (!edition && !(include && value == markup::playerFolder)) {
            const QString editions = QStringLiteral(u"%1 か %2").arg(quoted(qs(adultFolder)), quoted(qs(allAgesFolder)));
            add(FindingKind::FolderValue, folder->offset, folder->value.size(),
                QStringLiteral(u"FOLDER の %1 は使えない値です。%2 です。")
                    .arg(quoted(folder->value),
                         include ? QStringLiteral(u"%1、%2").arg(quoted(qs(markup::playerFolder)), editions) : editions));
            return;
        }
        const bool background = kind == &t.backgrounds;
        if (src && background && value == allAgesFolder && t.adultOnly.count(u16(src->value)))
            add(FindingKind::OtherEdition, src->offset, src->value.size(),
                QStringLiteral(u"%1 は18禁版だけの絵です。全年齢版(%2)にはありません。")
                    .arg(quoted(src->value), quoted(qs(allAgesFolder))));
        if (src && background && value == adultFolder && t.allAgesOnly.count(u16(src->value)))
            add(FindingKind::OtherEdition, src->offset, src->value.size(),
                QStringLiteral(u"%1 は全年齢版だけの絵です。18禁版(%2)にはありません。")
                    .arg(quoted(src->value), quoted(qs(adultFolder))));
        // The title call's pictures are always in "ORVEN", whatever the
        // install type: they take no side.
        const bool followsInstallType =
            src && ((background && u16(src->value) != titleBackground) ||
                    (kind == &t.sprites && u16(src->value) != titleLogo));
        if (!followsInstallType || !edition)
            return;
        if (!m_firstEdition) {
            m_firstEdition = {folder->value, folder->offset};
            return;
        }
        if (folder->value != m_firstEdition->first)
            add(FindingKind::FolderMix, folder->offset, folder->value.size(),
                QStringLiteral(u"%1 と %2 が混ざっています(最初の %2 は%3行目)。")
                    .arg(quoted(folder->value), quoted(m_firstEdition->first))
                    .arg(lineOf(m_firstEdition->second)));
    }

    qsizetype lineOf(qsizetype offset) const
    {
        return qsizetype(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) - m_lineStarts.begin());
    }

    // The same wrong name tends to come back line after line: each is
    // measured once. Only its start is measured, so that a runaway value
    // (a quote closed thousands of characters later) stays cheap.
    std::u16string_view suggestion(const Kind &kind, QStringView value)
    {
        const std::u16string_view measured = u16(value.first(std::min<qsizetype>(value.size(), 64)));
        auto &known = m_suggestions[&kind];
        if (const auto it = known.find(measured); it != known.end())
            return it->second;
        std::u16string_view best;
        std::size_t bestDistance = std::size_t(-1);
        for (const auto &[text, ref] : kind.candidates) {
            const std::size_t d = distance(measured, text);
            if (d < bestDistance) {
                bestDistance = d;
                best = ref;
            }
        }
        known.emplace(measured, best);
        return best;
    }

    QStringView m_text;
    std::unordered_map<const Kind *, std::unordered_map<std::u16string_view, std::u16string_view>> m_suggestions;
    std::vector<qsizetype> m_lineStarts;
    std::vector<Finding> m_findings;
    std::vector<qsizetype> m_openBrackets;
    std::vector<qsizetype> m_openIndents;
    Tag m_tag;
    qsizetype m_commentStart = 0;
    std::optional<std::pair<QStringView, qsizetype>> m_firstEdition;
};

} // namespace

std::vector<Finding> check(QStringView text)
{
    return Checker(text).run();
}

} // namespace dnml

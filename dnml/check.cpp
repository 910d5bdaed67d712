#include "dnml/check.h"

#include "catalogues/catalogue.h"
#include "dnml/lexer.h"
#include "dnml/source_value.h"
#include "dnml/tag.h"
#include "document/script_file.h"
#include "markup/folding.h"
#include "markup/markup.h"
#include "markup/names.h"
#include "markup/vocabulary.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace dnml {
namespace {

namespace c = catalogues;
namespace names = markup::names;
using markup::adultFolder;
using markup::allAgesFolder;
using markup::titleBackground;
using markup::titleLogo;

using Names = std::unordered_set<std::u16string_view>;

std::u16string_view u16(QStringView v) { return {reinterpret_cast<const char16_t *>(v.utf16()), std::size_t(v.size())}; }
QString qs(std::u16string_view v) { return QString::fromUtf16(v.data(), qsizetype(v.size())); }

// Picture paths are file names on a system that ignores the case of Latin
// letters, so "pdt\fgyr01.pdt" names the same picture.
std::u16string upperPath(std::u16string_view value)
{
    std::u16string upper(value);
    for (char16_t &ch : upper)
        if (ch >= u'a' && ch <= u'z')
            ch = char16_t(ch - u'a' + u'A');
    return upper;
}

// The cast member a picture's path belongs to is told by the letters its
// file name starts with ("CGYR", "FGCT", "OP_YR"), and a display name's by
// the part before its first "／" ("ゆら", "子供ちとせ"): the stem's leading
// letters upper-cased, and the name's head folded.
std::u16string pathPrefix(std::u16string_view value)
{
    const std::size_t slash = value.rfind(u'\\');
    std::u16string prefix;
    for (char16_t ch : value.substr(slash == std::u16string_view::npos ? 0 : slash + 1)) {
        if (ch >= u'a' && ch <= u'z')
            ch = char16_t(ch - u'a' + u'A');
        if (!((ch >= u'A' && ch <= u'Z') || ch == u'_'))
            break;
        prefix += ch;
    }
    return prefix;
}

QString nameHead(QStringView name)
{
    const qsizetype slash = name.indexOf(u'／');
    return slash <= 0 ? QString() : markup::fold(name.first(slash));
}

// Edit distance over UTF-16 units in which two neighbours swapped count as
// one edit, as a slip of the fingers does ("CGTC" for "CGCT").
std::size_t distance(std::u16string_view a, std::u16string_view b)
{
    std::vector<std::size_t> before(b.size() + 1), row(b.size() + 1), next(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        next[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            next[j] = std::min({row[j] + 1, next[j - 1] + 1, row[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                next[j] = std::min(next[j], before[j - 2] + 1);
        }
        std::swap(before, row);
        std::swap(row, next);
    }
    return row[b.size()];
}

// Whose a row is: a cast member's index in the cast, or nobody's.
constexpr int nobody = -1;

// What may stand in the SRC of one element: the references, and the texts
// a suggestion is measured against (display names and references alike,
// folded as the asset palette folds them), each with the reference it
// suggests, that reference's display name and whose it is.
struct Kind {
    struct Candidate {
        QString folded;
        std::u16string_view ref;
        std::u16string_view name;
        int owner;
    };
    Names refs;
    std::vector<Candidate> candidates;

    void add(c::Catalogue rows, int owner = nobody)
    {
        for (const c::Row &row : rows) {
            refs.insert(row.ref);
            candidates.push_back({markup::fold(qs(row.name)), row.ref, row.name, owner});
            if (row.ref != row.name)
                candidates.push_back({markup::fold(qs(row.ref)), row.ref, row.name, owner});
        }
    }
    void addRef(std::u16string_view ref)
    {
        refs.insert(ref);
        candidates.push_back({markup::fold(qs(ref)), ref, ref, nobody});
    }

    // The reference `value` names, or null.
    const std::u16string_view *find(std::u16string_view value) const
    {
        if (const auto it = refs.find(value); it != refs.end())
            return &*it;
        if (value.find(u'\\') == std::u16string_view::npos)
            return nullptr;
        const auto it = refs.find(upperPath(value));
        return it == refs.end() ? nullptr : &*it;
    }
};

struct Catalogues {
    Kind music, sounds, backgrounds, sprites;
    Names adultOnly, allAgesOnly;
    // Every picture's names, in both editions, by its path.
    std::unordered_map<std::u16string_view, std::vector<std::u16string_view>> pictureNames;
    // Whose pictures a path prefix and a name's head stand for.
    std::unordered_map<std::u16string, int> prefixOwners;
    QHash<QString, int> headOwners;

    void namePictures(c::Catalogue rows, int owner = nobody)
    {
        for (const c::Row &row : rows) {
            auto &names = pictureNames[row.ref];
            if (std::find(names.begin(), names.end(), row.name) == names.end())
                names.push_back(row.name);
            prefixOwners.emplace(pathPrefix(row.ref), owner);
            if (owner != nobody)
                headOwners.insert(nameHead(qs(row.name)), owner);
        }
    }

    Catalogues()
    {
        music.add(c::music);
        sounds.add(c::soundEffects);
        backgrounds.add(c::places);
        Names adult, allAges;
        for (const markup::CastMember &member : markup::cast) {
            const int owner = int(&member - markup::cast.data());
            sprites.add(member.sprites, owner);
            if (!member.hasEvents())
                continue;
            backgrounds.add(member.events.adult, owner);
            backgrounds.add(member.events.allAges, owner);
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
        for (const markup::CastMember &member : markup::cast) {
            const int owner = int(&member - markup::cast.data());
            namePictures(member.sprites, owner);
            namePictures(member.events.adult, owner);
            namePictures(member.events.allAges, owner);
        }
        namePictures(markup::demoPictures.adult);
        namePictures(markup::demoPictures.allAges);
        headOwners.remove(QString());
    }

    // The cast member whose pictures a value names by its path's prefix or
    // its name's head, or nobody when that cannot be told. A prefix no
    // picture has is taken for the one a slip away (two letters swapped,
    // one letter wrong), when that is one member's alone.
    int ownerOf(QStringView value) const
    {
        if (!value.contains(u'\\'))
            return headOwners.value(nameHead(value), nobody);
        const std::u16string prefix = pathPrefix(u16(value));
        if (const auto known = prefixOwners.find(prefix); known != prefixOwners.end())
            return known->second;
        int owner = nobody;
        for (const auto &[other, whose] : prefixOwners) {
            if (distance(prefix, other) != 1)
                continue;
            if (whose == nobody || (owner != nobody && owner != whose))
                return nobody;
            owner = whose;
        }
        return owner;
    }

    // The element whose SRC names an asset, or null.
    const Kind *kindOf(QStringView element) const
    {
        const std::optional<AssetTag> tag = assetTagNamed(element);
        if (!tag)
            return nullptr;
        switch (*tag) {
        case AssetTag::Bgm: return &music;
        case AssetTag::Sound: return &sounds;
        case AssetTag::Background: return &backgrounds;
        case AssetTag::Act: return &sprites;
        }
        return nullptr;
    }
};

const Catalogues &tables()
{
    static const Catalogues instance;
    return instance;
}

// The comment line a picker writes before a picture's tag, and the name it
// holds; the tag on the next line is judged against it.
struct PickerComment {
    QStringView name;
    qsizetype line = -1;  // 0-based; -1: none
};

// The text around a comment line's name, as the pickers write it.
const std::pair<QString, QString> &commentLineShape()
{
    static const std::pair<QString, QString> shape = [] {
        const QString marker(QChar(0xFFFF));
        QString line = markup::commentLine(marker);
        line.chop(2);  // its CR LF
        const qsizetype at = line.indexOf(marker);
        return std::pair{line.first(at), line.sliced(at + 1)};
    }();
    return shape;
}

QString quoted(QStringView v) { return u'"' + v.toString() + u'"'; }

class Checker
{
public:
    Checker(QStringView text, const std::atomic<bool> *cancel) : m_text(text), m_cancel(cancel) {}

    std::vector<Finding> run()
    {
        std::vector<Span> spans;
        State state = State::Text;
        forEachLine(m_text, [&](qsizetype start, QStringView line) {
            if (m_cancel && m_lineStarts.size() % 4096 == 0 && m_cancel->load())
                return false;
            m_lineStarts.push_back(start);
            unsavable(start, start + line.size());
            spans.clear();
            state = lexLine(line, state, spans);
            readLine(start, line, spans);
            return true;
        });
        m_tags.finish([this](const Tag &tag) { ended(tag); });
        if (state == State::Comment)
            add(FindingKind::UnclosedComment, m_commentStart, 4, QStringLiteral(u"\"<!--\" を閉じる \"-->\" がありません。"));
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Finding &a, const Finding &b) { return a.offset < b.offset; });
        for (Finding &f : m_findings) {
            const auto line = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), f.offset) - 1;
            f.line = qsizetype(line - m_lineStarts.begin()) + 1;
            f.column = f.offset - *line + 1;
        }
        if (m_omitted > 0)
            m_findings.push_back({FindingKind::Omitted, m_text.size(), 0, 0, 0, QStringLiteral(u"ほか %1 件").arg(m_omitted)});
        return std::move(m_findings);
    }

private:
    void add(FindingKind kind, qsizetype offset, qsizetype length, QString message)
    {
        if (m_findings.size() == mostFindings) {
            ++m_omitted;
            return;
        }
        m_findings.push_back({kind, offset, length, 0, 0, std::move(message)});
    }

    // Every character of the line that code page 932 cannot hold.
    void unsavable(qsizetype start, qsizetype end)
    {
        for (qsizetype i = start; i < end; ++i) {
            const QChar c = m_text[i];
            if (c.unicode() < 0x80)
                continue;
            const bool pair = c.isHighSurrogate() && i + 1 < end && m_text[i + 1].isLowSurrogate();
            const char32_t character = pair ? QChar::surrogateToUcs4(c, m_text[i + 1]) : c.unicode();
            if (!scriptfile::holds(character))
                add(FindingKind::Unsavable, i, pair ? 2 : 1,
                    QStringLiteral(u"Shift-JISで保存できない文字「%1」(U+%2)です。")
                        .arg(QChar::isPrint(character) && !QChar::isSurrogate(character) ? m_text.sliced(i, pair ? 2 : 1).toString()
                                                                                          : QString(),
                             QString::number(uint(character), 16).toUpper().rightJustified(4, u'0')));
            i += pair;
        }
    }

    void readLine(qsizetype lineStart, QStringView line, const std::vector<Span> &spans)
    {
        const qsizetype lineNumber = qsizetype(m_lineStarts.size()) - 1;
        std::vector<qsizetype> &brackets = m_openBrackets;
        std::vector<qsizetype> &indents = m_openIndents;
        brackets.clear();
        indents.clear();
        for (const Span &span : spans) {
            const qsizetype at = lineStart + span.start;
            const QStringView spanText = m_text.sliced(at, span.length);
            const auto took = m_tags.take(span, spanText, at, [this](const Tag &tag) { ended(tag); });
            const Tag &tag = m_tags.tag();
            switch (span.token) {
            case Token::TagOpen:
                m_tagComment = m_comment.line == lineNumber - 1 ? m_comment : PickerComment{};
                break;
            case Token::TagName:
                if (took == TagReader::Took::Named && tag.is(names::indent)) {
                    if (!tag.closing)
                        indents.push_back(tag.offset);
                    else if (!indents.empty())
                        indents.pop_back();
                    else
                        add(FindingKind::UnopenedIndent, tag.offset, at + span.length - tag.offset,
                            QStringLiteral(u"</INDENT> の前に <INDENT> がこの行にありません。"));
                }
                break;
            case Token::Value:
            case Token::OpenValue:
                // One quote left open is one finding: the tag around it is
                // not judged any further.
                if (span.token == Token::OpenValue && spanText.startsWith(u'"'))
                    add(FindingKind::UnclosedQuote, at, 1, QStringLiteral(u"引用符 \" が閉じていません。"));
                break;
            case Token::Comment:
                m_commentStart = at;
                if (span.start == 0 && span.length == line.size())
                    notePickerComment(spanText, lineNumber);
                break;
            case Token::Bracket:
                if (spanText == u"「")
                    brackets.push_back(at);
                else if (!brackets.empty())
                    brackets.pop_back();
                else
                    add(FindingKind::UnopenedBracket, at, 1, QStringLiteral(u"」 の前に 「 がこの行にありません。"));
                break;
            case Token::TagClose:
            case Token::AttributeName:
            case Token::Equals:
            case Token::CommentContinued:
                break;
            }
        }
        for (qsizetype at : brackets)
            add(FindingKind::UnclosedBracket, at, 1, QStringLiteral(u"「 を閉じる 」 がこの行にありません。"));
        for (qsizetype at : indents)
            add(FindingKind::UnclosedIndent, at, 8, QStringLiteral(u"<INDENT> を閉じる </INDENT> がこの行にありません。"));
    }

    void notePickerComment(QStringView comment, qsizetype lineNumber)
    {
        const auto &[before, after] = commentLineShape();
        if (comment.size() >= before.size() + after.size() && comment.startsWith(before) && comment.endsWith(after))
            m_comment = {comment.sliced(before.size(), comment.size() - before.size() - after.size()), lineNumber};
    }

    // Judges a tag that ended: at its ">", or when another "<" or the end
    // of the script came first. One with a quote left open was reported so.
    void ended(const Tag &tag)
    {
        if (tag.openQuote)
            return;
        if (!tag.closed)
            add(FindingKind::UnclosedTag, tag.offset, tag.length, QStringLiteral(u"\"<\" を閉じる \">\" がありません。"));
        if (!tag.closing)
            judgeReferences(tag);
    }

    void judgeReferences(const Tag &tag)
    {
        const Catalogues &t = tables();
        const Attribute *src = tag.attribute(names::src);
        const Attribute *folder = tag.attribute(names::folder);
        const Kind *kind = t.kindOf(tag.name);
        if (src && kind)
            judgeSource(*kind, *src);
        if (!folder)
            return;
        const std::u16string_view value = u16(folder->value);
        const bool edition = value == adultFolder || value == allAgesFolder;
        const bool include = tag.is(names::include);
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

    void judgeSource(const Kind &kind, const Attribute &src)
    {
        const QStringView value = src.value;
        if (!src.quoted) {
            add(FindingKind::UnquotedValue, src.offset, value.size(),
                QStringLiteral(u"SRC の値 %1 が引用符 \" で囲まれていません。").arg(value));
            return;
        }
        if (value.isEmpty()) {
            add(FindingKind::EmptyValue, src.offset, 0, QStringLiteral(u"SRC の値が空です。"));
            return;
        }
        if (const std::u16string_view *ref = kind.find(u16(value))) {
            judgeComment(*ref, src);
            return;
        }
        const QString narrow = value.toString().normalized(QString::NormalizationForm_KC);
        if (const std::u16string_view *ref = kind.find(u16(narrow))) {
            add(FindingKind::WidthVariant, src.offset, value.size(),
                QStringLiteral(u"%1 はゲームにありません。%2 とは全角と半角が違うだけです。")
                    .arg(quoted(value), quoted(qs(*ref))));
            return;
        }
        // A picture is offered with its display name, so that the author
        // sees whose it is before writing its path.
        const Kind::Candidate *near = suggestion(kind, value);
        add(FindingKind::UnknownReference, src.offset, value.size(),
            !near ? QStringLiteral(u"%1 はゲームにありません。").arg(quoted(value))
            : near->name == near->ref
                ? QStringLiteral(u"%1 はゲームにありません。もしかして %2?").arg(quoted(value), quoted(qs(near->ref)))
                : QStringLiteral(u"%1 はゲームにありません。もしかして %2（%3）?")
                      .arg(quoted(value), qs(near->name), quoted(qs(near->ref))));
    }

    // A picture after the comment line its picker wrote must be the picture
    // of the row the comment names. `ref` is the catalogue's own spelling.
    void judgeComment(std::u16string_view ref, const Attribute &src)
    {
        if (m_tagComment.line < 0)
            return;
        const auto &names = tables().pictureNames;
        const auto it = names.find(ref);
        if (it == names.end() || std::find(it->second.begin(), it->second.end(), u16(m_tagComment.name)) != it->second.end())
            return;
        add(FindingKind::CommentMismatch, src.offset, src.value.size(),
            QStringLiteral(u"コメントの名前と絵が違います。コメントは %1、%2 は %3 の絵です。")
                .arg(quoted(m_tagComment.name), quoted(src.value), quoted(qs(it->second.front()))));
    }

    qsizetype lineOf(qsizetype offset) const
    {
        return qsizetype(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) - m_lineStarts.begin());
    }

    // The nearest name of the kind when it is near: a small edit distance
    // for the name's length, or one holding the other, both folded as the
    // asset palette folds them; null when none is. A value that names a
    // cast member's picture (by its path's prefix or its name's head) is
    // only ever offered that member's: a near path of another heroine
    // would put her on stage. The same wrong name tends to come back line
    // after line: each is measured once. Only its start is measured, so
    // that a runaway value (a quote closed thousands of characters later)
    // stays cheap.
    const Kind::Candidate *suggestion(const Kind &kind, QStringView value)
    {
        const std::u16string_view measured = u16(value.first(std::min<qsizetype>(value.size(), 64)));
        auto &known = m_suggestions[&kind];
        if (const auto it = known.find(measured); it != known.end())
            return it->second;
        const QString folded = markup::fold(qs(measured));
        const std::size_t near = std::size_t(std::max<qsizetype>(1, folded.size() / 4));
        const int owner = tables().ownerOf(qs(measured));
        const Kind::Candidate *best = nullptr;
        std::size_t bestDistance = std::size_t(-1);
        for (const Kind::Candidate &candidate : kind.candidates) {
            if (owner != nobody && candidate.owner != owner)
                continue;
            const std::size_t d = distance(u16(folded), u16(candidate.folded));
            const bool holding = !folded.isEmpty() && !candidate.folded.isEmpty() &&
                                 (candidate.folded.contains(folded) || folded.contains(candidate.folded));
            if ((d <= near || holding) && d < bestDistance) {
                bestDistance = d;
                best = &candidate;
            }
        }
        known.emplace(measured, best);
        return best;
    }

    QStringView m_text;
    const std::atomic<bool> *m_cancel;
    std::unordered_map<const Kind *, std::unordered_map<std::u16string_view, const Kind::Candidate *>> m_suggestions;
    std::vector<qsizetype> m_lineStarts;
    std::vector<Finding> m_findings;
    qsizetype m_omitted = 0;  // findings past mostFindings
    std::vector<qsizetype> m_openBrackets;
    std::vector<qsizetype> m_openIndents;
    TagReader m_tags;
    PickerComment m_tagComment;  // the picker's comment on the line before the tag being read
    PickerComment m_comment;
    qsizetype m_commentStart = 0;
    std::optional<std::pair<QStringView, qsizetype>> m_firstEdition;
};

} // namespace

std::vector<Finding> check(QStringView text, const std::atomic<bool> *cancel)
{
    return Checker(text, cancel).run();
}

} // namespace dnml

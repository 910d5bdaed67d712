#include "prose/usage.h"

#include "assets/asset_index.h"
#include "markup/markup.h"

#include <QStringMatcher>

#include <algorithm>

namespace prose {
namespace {

QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr qsizetype shownLength = 200;

// The tag whose SRC names an asset of this kind.
dnml::AssetTag tagOf(assets::Kind kind)
{
    switch (kind) {
    case assets::Kind::Music: return dnml::AssetTag::Bgm;
    case assets::Kind::Sound: return dnml::AssetTag::Sound;
    case assets::Kind::Sprite: return dnml::AssetTag::Act;
    case assets::Kind::Place:
    case assets::Kind::Event: break;
    }
    return dnml::AssetTag::Background;
}

// Picture paths are file names on a system that ignores the case of Latin
// letters.
bool samePath(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

void add(Subject &subject, const assets::Asset &asset)
{
    const dnml::AssetTag tag = tagOf(asset.kind);
    if (std::find(subject.tags.begin(), subject.tags.end(), tag) == subject.tags.end())
        subject.tags.push_back(tag);
    const QString reference = asset.reference().toString();
    if (std::find(subject.references.begin(), subject.references.end(), reference) == subject.references.end())
        subject.references.push_back(reference);
    const QString name = asset.name().toString();
    if (asset.isPicture() && std::find(subject.names.begin(), subject.names.end(), name) == subject.names.end())
        subject.names.push_back(name);
}

// Every asset of either edition that `match` takes, into one subject.
template <typename Match>
std::optional<Subject> assetsWhere(Match match)
{
    Subject subject;
    for (const markup::InstallType type : {markup::InstallType::Adult, markup::InstallType::AllAges})
        for (const assets::Asset &asset : assets::index(type))
            if (match(asset)) {
                if (subject.label.isEmpty())
                    subject.label = asset.name().toString();
                add(subject, asset);
            }
    return subject.tags.empty() ? std::nullopt : std::optional(subject);
}

// The asset a tag names in its SRC: the picture or title of that
// reference, or the reference alone when the game has none such.
Subject assetNamed(dnml::AssetTag tag, QStringView value)
{
    const auto named = assetsWhere([&](const assets::Asset &asset) {
        return tagOf(asset.kind) == tag &&
               (asset.isPicture() ? samePath(asset.reference(), value) : asset.reference() == value);
    });
    if (named)
        return *named;
    return {value.toString(), {tag}, {value.toString()}, {}};
}

// The lines of a script text, asked for in order: which one an offset
// stands on, and where it starts. A CR stands only in a CR LF. Each
// character is looked at once, however long the lines and however many
// offsets one of them holds.
class Lines
{
public:
    explicit Lines(QStringView script) : m_script(script) {}

    // The 0-based line holding `offset`, not before the last one asked for,
    // and its start.
    std::pair<qsizetype, qsizetype> at(qsizetype offset)
    {
        const QStringView passed = m_script.sliced(m_counted, offset - m_counted);
        m_line += passed.count(u'\r');
        // A CR LF may stand across the last offset asked for.
        const qsizetype from = std::max<qsizetype>(0, m_counted - 1);
        const qsizetype lastBreak = m_script.sliced(from, offset - from).lastIndexOf(u"\r\n");
        if (lastBreak >= 0)
            m_start = from + lastBreak + 2;
        m_counted = offset;
        return {m_line, m_start};
    }

    QStringView text(qsizetype start) const
    {
        const qsizetype end = m_script.indexOf(u"\r\n", start);
        return m_script.sliced(start, (end < 0 ? m_script.size() : end) - start);
    }

private:
    QStringView m_script;
    qsizetype m_line = 0;
    qsizetype m_counted = 0;  // the CRs before this are counted
    qsizetype m_start = 0;    // of the line holding m_counted
};

std::vector<Use> speakerUses(QStringView script, outline::Speaker speaker)
{
    const std::u16string_view name = markup::cast[speaker - 1].speaker;
    const QStringView prefix(name.data(), qsizetype(name.size()));
    std::vector<Use> found;
    qsizetype number = 0;
    dnml::State state = dnml::State::Text;
    dnml::forEachLine(script, [&](qsizetype start, QStringView line) {
        ++number;
        // Only a line that starts with the name can be the speaker's; any
        // other is only lexed for what it leaves open.
        if (state == dnml::State::Text && line.startsWith(prefix) && outline::speakerOf(line) == speaker)
            found.push_back({number, start, line.first(std::min(line.size(), shownLength)).toString()});
        // In prose, nothing before the first "<" opens anything.
        if (state == dnml::State::Text) {
            const qsizetype tag = line.indexOf(u'<');
            if (tag < 0)
                return;
            line = line.sliced(tag);
        }
        state = dnml::endState(line, state);
    });
    return found;
}

} // namespace

std::optional<Subject> subjectAt(QStringView script, qsizetype caret)
{
    caret = std::clamp<qsizetype>(caret, 0, script.size());
    const qsizetype before = caret > 0 ? script.lastIndexOf(u"\r\n", caret - 1) : -1;
    const qsizetype start = before < 0 ? 0 : before + 2;
    const qsizetype found = script.indexOf(u"\r\n", start);
    const QStringView line = script.sliced(start, (found < 0 ? script.size() : found) - start);
    const qsizetype column = caret - start;

    const QStringView lines[] = {line};
    if (const std::optional<dnml::SourceValue> value = dnml::sourceValueAt(lines, dnml::State::Text, column))
        return assetNamed(value->tag, line.sliced(value->start, value->end - value->start));
    if (const std::optional<QStringView> name = markup::commentLineText(line)) {
        // The picture the tag after it names, when this is its name;
        // else every picture of that name.
        const QStringView next = Lines(script).text(found < 0 ? script.size() : found + 2);
        for (const dnml::SourceValue &value : dnml::sourceValues(next, dnml::State::Text)) {
            const Subject named = assetNamed(value.tag, next.sliced(value.start, value.end - value.start));
            if (std::find(named.names.begin(), named.names.end(), *name) != named.names.end())
                return named;
        }
        const auto pictureNamed = [&](const assets::Asset &asset) { return asset.isPicture() && asset.name() == *name; };
        if (auto named = assetsWhere(pictureNamed))
            return named;
    }
    if (const outline::Speaker speaker = outline::speakerOf(line); speaker != outline::narration)
        return Subject{str(markup::cast[speaker - 1].name), {}, {}, {}, speaker};
    return std::nullopt;
}

std::vector<Use> uses(QStringView script, const Subject &subject)
{
    if (subject.speaker != outline::narration)
        return speakerUses(script, subject.speaker);
    // Every place a reference or a name stands, then the lines where it is
    // one: a value of SRC in a tag that may name the asset, or the name of
    // a picker's comment line.
    struct Hit {
        qsizetype offset;
        qsizetype length;
        bool reference;
    };
    std::vector<Hit> hits;
    const auto find = [&](const QString &text, bool reference) {
        const QStringMatcher matcher(text, reference ? Qt::CaseInsensitive : Qt::CaseSensitive);
        for (qsizetype at = matcher.indexIn(script); at >= 0; at = matcher.indexIn(script, at + 1))
            hits.push_back({at, text.size(), reference});
    };
    for (const QString &reference : subject.references)
        find(reference, true);
    for (const QString &name : subject.names)
        find(name, false);
    std::sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.offset < b.offset; });

    std::vector<Use> found;
    Lines lines(script);
    // The line of the last hit, its text and the SRC values on it, read once
    // for all the hits it holds.
    qsizetype lineStart = -1;
    QStringView text;
    std::optional<std::vector<dnml::SourceValue>> values;
    for (const Hit &hit : hits) {
        const auto [line, start] = lines.at(hit.offset);
        if (!found.empty() && found.back().line == line + 1)
            continue;
        if (start != lineStart) {
            lineStart = start;
            text = lines.text(start);
            values.reset();
        }
        const qsizetype column = hit.offset - start;
        bool uses = false;
        if (hit.reference) {
            if (!values)
                values = dnml::sourceValues(text, dnml::State::Text);
            // In the order they stand: the one starting at the hit, if any.
            const auto value = std::lower_bound(
                values->begin(), values->end(), column,
                [](const dnml::SourceValue &v, qsizetype at) { return v.start < at; });
            const QStringView named = script.sliced(hit.offset, hit.length);
            uses = value != values->end() && value->start == column && value->end == column + hit.length &&
                   std::find(subject.tags.begin(), subject.tags.end(), value->tag) != subject.tags.end() &&
                   std::any_of(subject.references.begin(), subject.references.end(), [&](const QString &reference) {
                       return value->tag == dnml::AssetTag::Bgm || value->tag == dnml::AssetTag::Sound
                                  ? named == reference
                                  : samePath(named, reference) || named == reference;
                   });
        } else {
            const std::optional<QStringView> name = markup::commentLineText(text);
            uses = name && name->size() == hit.length && column == name->data() - text.data();
        }
        if (uses)
            found.push_back({line + 1, hit.offset, text.first(std::min(text.size(), shownLength)).toString()});
    }
    return found;
}

} // namespace prose

#include "outline/survey.h"

#include "catalogues/catalogue.h"
#include "dnml/tag.h"
#include "markup/markup.h"
#include "markup/names.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <string>
#include <unordered_map>

namespace outline {
namespace {

using dnml::Span;
using dnml::State;
using dnml::Token;

QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }
std::u16string_view u16(QStringView v) { return {reinterpret_cast<const char16_t *>(v.utf16()), std::size_t(v.size())}; }

// What the catalogues call each picture and place, by the reference a tag
// names: a place by its name, a picture by its path (upper case, as the
// catalogues write it); a sprite with its cast member's name.
class Names
{
public:
    Names()
    {
        for (const catalogues::Row &row : catalogues::places)
            m_names.emplace(row.ref, str(row.name));
        const auto add = [this](catalogues::Catalogue rows, const QString &prefix = {}) {
            for (const catalogues::Row &row : rows)
                m_names.emplace(row.ref, prefix.isEmpty() ? str(row.name) : prefix + str(row.name) + u'）');
        };
        for (const markup::CastMember &member : markup::cast) {
            add(member.sprites, str(member.name) + u'（');
            add(member.events.adult);
            add(member.events.allAges);
        }
        add(markup::demoPictures.adult);
        add(markup::demoPictures.allAges);
    }

    // The display name of `ref`; `ref` itself when no catalogue knows it.
    QString of(QStringView ref) const
    {
        if (const auto it = m_names.find(u16(ref)); it != m_names.end())
            return it->second;
        std::u16string upper(u16(ref));
        for (char16_t &c : upper)
            if (c >= u'a' && c <= u'z')
                c = char16_t(c - u'a' + u'A');
        if (const auto it = m_names.find(upper); it != m_names.end())
            return it->second;
        return ref.toString();
    }

private:
    std::unordered_map<std::u16string_view, QString> m_names;
};

const Names &pictureNames()
{
    static const Names instance;
    return instance;
}

using dnml::sameName;

constexpr char16_t headingMarks[] = u"■□●◆";

// A comment's text: without "<!--", "-->" and the dashes, blanks and
// quotes of the comment-line shape around it.
QStringView unwrap(QStringView inner)
{
    const auto wrapping = [](QChar c) { return c == u'-' || c == u'"' || c.isSpace(); };
    while (!inner.isEmpty() && wrapping(inner.front()))
        inner = inner.sliced(1);
    while (!inner.isEmpty() && wrapping(inner.back()))
        inner.chop(1);
    return inner;
}

} // namespace

class Surveyor
{
public:
    void add(QStringView part, bool last)
    {
        // Room for the part's lines (some 40 characters each), growing as
        // push_back() would, so that parts after parts are not copied each.
        std::vector<Survey::Line> &lines = m_survey.lines;
        if (const std::size_t needed = lines.size() + std::size_t(part.size() / 32); lines.capacity() < needed)
            lines.reserve(std::max(needed, 2 * lines.capacity()));
        dnml::forEachLine(part, [&](qsizetype start, QStringView line) {
            // After a part's last line break: the first line of the next part.
            if (!last && start == part.size())
                return;
            m_spans.clear();
            const State next = dnml::lexLine(line, m_state, m_spans);
            const Speaker speaker = m_state == State::Text ? speakerOf(line) : narration;
            const LineCount count = countLine(line, m_state, m_spans, 0, line.size());
            m_survey.lines.push_back({count, speaker, m_state});
            m_survey.whole.add(speaker, count);
            readLine(line);
            m_state = next;
            ++m_line;
        });
    }

    // A tag begun in the parts so far and not yet closed, whose text the
    // parts must keep.
    bool tagOpen() const { return m_tags.open(); }

    Survey finish()
    {
        m_tags.finish([this](const dnml::Tag &tag) { ended(tag); });
        return std::move(m_survey);
    }

private:
    void readLine(QStringView line)
    {
        for (const Span &span : m_spans) {
            const qsizetype at = span.start;  // within the line: no offset of the outline's is kept
            const QStringView spanText = line.sliced(at, span.length);
            const auto took = m_tags.take(span, spanText, at, [this](const dnml::Tag &tag) { ended(tag); });
            if (took == dnml::TagReader::Took::Opened)
                m_tagLine = m_line;
            else if (span.token == Token::Comment)
                comment(spanText);
        }
    }

    // A tag is taken once its ">" is read; one cut short by another "<"
    // (or by a comment, or the end) is no tag the player would follow.
    void ended(const dnml::Tag &tag)
    {
        if (tag.closed)
            judge(tag);
    }

    void judge(const dnml::Tag &tag)
    {
        using namespace markup::names;
        const dnml::Attribute *source = tag.attribute(src);
        if (tag.closing) {
            if (tag.is(curtain))
                m_survey.curtains.push_back({m_tagLine, 0});
            return;
        }
        if (tag.is(background)) {
            const dnml::Attribute *colour = tag.attribute(color);
            int value = -1;
            if (source)
                value = named(m_pictures, source->value, [](QStringView ref) { return pictureNames().of(ref); });
            else if (colour)
                value = named(m_colours, colour->value, [](QStringView c) {
                    if (sameName(c, markup::blackColour))
                        return QStringLiteral(u"黒画面");
                    if (sameName(c, markup::whiteColour))
                        return QStringLiteral(u"白画面");
                    return QStringLiteral(u"背景色 %1").arg(c);
                });
            if (value < 0)
                return;
            m_survey.backgrounds.push_back({m_tagLine, value});
            m_survey.items.push_back({ItemKind::Scene, m_tagLine, m_survey.names[std::size_t(value)]});
        } else if (tag.is(act)) {
            const dnml::Attribute *slot = tag.attribute(name);
            if (slot && source)
                m_survey.casting[std::size_t(slotOf(slot->value))].push_back(
                    {m_tagLine, named(m_pictures, source->value, [](QStringView ref) { return pictureNames().of(ref); })});
        } else if (tag.is(markup::names::exit)) {
            if (const dnml::Attribute *slot = tag.attribute(name))
                m_survey.casting[std::size_t(slotOf(slot->value))].push_back({m_tagLine, -1});
            else
                for (std::vector<Survey::Cue> &cues : m_survey.casting)
                    cues.push_back({m_tagLine, -1});
        } else if (tag.is(bgm)) {
            if (source)
                m_survey.music.push_back({m_tagLine, named(m_music, source->value, [](QStringView title) {
                                              return title.toString();
                                          })});
        } else if (tag.is(curtain)) {
            m_survey.curtains.push_back({m_tagLine, 1});
        }
    }

    void comment(QStringView spanText)
    {
        QStringView inner = spanText.sliced(4);
        if (inner.endsWith(u"-->"))
            inner.chop(3);
        const QStringView label = inner.trimmed();
        for (std::u16string_view section : markup::sectionLabels)
            if (u16(label) == section) {
                m_survey.items.push_back({ItemKind::Section, m_line, label.toString()});
                return;
            }
        const QStringView text = unwrap(inner);
        if (!text.isEmpty() && std::u16string_view(headingMarks).find(text.front().unicode()) != std::u16string_view::npos)
            m_survey.items.push_back({ItemKind::Heading, m_line, text.toString()});
    }

    // The index in `names` of what `reference` shows, made by `display`
    // the first time it comes.
    template <typename Display>
    int named(std::unordered_map<std::u16string_view, int> &known, QStringView reference, Display display)
    {
        if (const auto it = known.find(u16(reference)); it != known.end())
            return it->second;
        known.emplace(m_keys.emplace_back(u16(reference)), int(m_survey.names.size()));
        m_survey.names.push_back(display(reference));
        return int(m_survey.names.size()) - 1;
    }

    int slotOf(QStringView slot)
    {
        if (const auto it = m_slots.find(u16(slot)); it != m_slots.end())
            return it->second;
        m_slots.emplace(m_keys.emplace_back(u16(slot)), int(m_survey.slotNames.size()));
        m_survey.slotNames.push_back(slot.toString());
        m_survey.casting.emplace_back();
        return int(m_survey.slotNames.size()) - 1;
    }

    Survey m_survey;
    std::vector<Span> m_spans;
    State m_state = State::Text;
    int m_line = 0;
    dnml::TagReader m_tags;
    int m_tagLine = 0;
    // The names met, by the reference the tag gave; the keys are copies,
    // since the parts of the text go once read.
    std::deque<std::u16string> m_keys;
    std::unordered_map<std::u16string_view, int> m_pictures, m_colours, m_music, m_slots;
};

namespace {

// The last cue on a line before `line`, or null.
const Survey::Cue *lastBefore(const std::vector<Survey::Cue> &cues, int line)
{
    const auto it = std::lower_bound(cues.begin(), cues.end(), line,
                                     [](const Survey::Cue &cue, int at) { return cue.line < at; });
    return it == cues.begin() ? nullptr : &*(it - 1);
}

} // namespace

Survey survey(QStringView text)
{
    Surveyor surveyor;
    surveyor.add(text, true);
    return surveyor.finish();
}

SurveyBuilder::SurveyBuilder() : m_surveyor(std::make_unique<Surveyor>()) {}

SurveyBuilder::~SurveyBuilder() = default;

void SurveyBuilder::add(QString part, bool last)
{
    m_kept.push_back(std::move(part));
    m_surveyor->add(m_kept.back(), last);
    // A tag left open still points into the parts it began in.
    if (!m_surveyor->tagOpen())
        m_kept.clear();
}

Survey SurveyBuilder::finish()
{
    return m_surveyor->finish();
}

Stage stageAt(const Survey &survey, int line)
{
    Stage stage;
    const auto name = [&survey](const Survey::Cue *cue) {
        return cue && cue->value >= 0 ? survey.names[std::size_t(cue->value)] : QString();
    };
    stage.background = name(lastBefore(survey.backgrounds, line));
    stage.music = name(lastBefore(survey.music, line));
    if (const Survey::Cue *curtain = lastBefore(survey.curtains, line); curtain && curtain->value == 1)
        stage.curtainLine = curtain->line;
    std::vector<std::pair<int, Actor>> actors;  // by the line their slot was first given a picture
    for (std::size_t slot = 0; slot < survey.slotNames.size(); ++slot) {
        const std::vector<Survey::Cue> &cues = survey.casting[slot];
        const Survey::Cue *cue = lastBefore(cues, line);
        if (cue && cue->value >= 0)
            actors.push_back({cues.front().line, {survey.slotNames[slot], name(cue)}});
    }
    std::stable_sort(actors.begin(), actors.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &[first, actor] : actors)
        stage.actors.push_back(std::move(actor));
    return stage;
}

std::pair<int, int> sceneAround(const Survey &survey, int line)
{
    const std::vector<Survey::Cue> &scenes = survey.backgrounds;
    const auto next = std::upper_bound(scenes.begin(), scenes.end(), line,
                                       [](int at, const Survey::Cue &cue) { return at < cue.line; });
    const int first = next == scenes.begin() ? 0 : (next - 1)->line;
    const int end = next == scenes.end() ? int(survey.lines.size()) : next->line;
    return {first, end};
}

Tally tally(const Survey &survey, int first, int end)
{
    Tally sum;
    end = std::min(end, int(survey.lines.size()));
    for (int line = std::max(first, 0); line < end; ++line) {
        const Survey::Line &l = survey.lines[std::size_t(line)];
        sum.add(l.speaker, l.count);
    }
    return sum;
}

Tally tally(const Survey &survey, Point from, Point to, const std::function<QString(int line)> &lineText)
{
    if (to.line < from.line || (to.line == from.line && to.column < from.column))
        std::swap(from, to);
    const int lines = int(survey.lines.size());
    const auto part = [&](Tally &sum, int line, qsizetype a, qsizetype b) {
        if (line < 0 || line >= lines)
            return;
        const Survey::Line &l = survey.lines[std::size_t(line)];
        sum.add(l.speaker, countLine(lineText(line), l.state, a, b));
    };
    if (from.line == to.line) {
        Tally sum;
        part(sum, from.line, from.column, to.column);
        return sum;
    }
    Tally sum = tally(survey, from.line + 1, to.line);
    part(sum, from.line, from.column, std::numeric_limits<qsizetype>::max());
    part(sum, to.line, 0, to.column);
    return sum;
}

} // namespace outline

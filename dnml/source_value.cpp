#include "dnml/source_value.h"

#include "dnml/tag.h"
#include "markup/names.h"

#include <vector>

namespace dnml {

std::optional<AssetTag> assetTagNamed(QStringView name)
{
    namespace names = markup::names;
    constexpr std::pair<std::u16string_view, AssetTag> tags[] = {
        {names::bgm, AssetTag::Bgm},
        {names::sound, AssetTag::Sound},
        {names::background, AssetTag::Background},
        {names::act, AssetTag::Act},
    };
    for (const auto &[tag, kind] : tags)
        if (sameName(name, tag))
            return kind;
    return std::nullopt;
}

namespace {

// Lexes `lines` from `start` and hands every span, with the tag reader as
// it stands before the span, to `visit(line, span, spanText, tags)`, until
// `visit` returns false. A tag begun before the first line is read without
// its name: no value in it is an asset's.
template <typename Visit>
void walk(std::span<const QStringView> lines, State start, Visit visit)
{
    TagReader tags;
    State state = start;
    std::vector<Span> spans;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        spans.clear();
        state = lexLine(line, state, spans);
        for (const Span &span : spans) {
            const QStringView spanText = line.sliced(span.start, span.length);
            if (!visit(i, span, spanText, tags))
                return;
            tags.take(span, spanText, span.start, [](const Tag &) {});
        }
    }
}

bool isQuotedValue(const Span &span, QStringView spanText)
{
    return (span.token == Token::Value || span.token == Token::OpenValue) && spanText.startsWith(u'"');
}

// Just past a quoted value's last character: its closing quote, or the
// line's end when the quote is open.
qsizetype valueEnd(const Span &span)
{
    return span.start + span.length - (span.token == Token::OpenValue ? 0 : 1);
}

// The value `span` holds, when it is the SRC of a tag that names an asset.
std::optional<SourceValue> sourceValueOf(const Span &span, QStringView spanText, const TagReader &tags)
{
    const Tag &tag = tags.tag();
    const auto asset = assetTagNamed(tag.name);
    if (!isQuotedValue(span, spanText) || !tags.open() || tag.closing || !asset ||
        !sameName(tags.valueFor(), markup::names::src))
        return std::nullopt;
    return SourceValue{*asset, span.start + 1, valueEnd(span), span.token != Token::OpenValue};
}

} // namespace

std::optional<SourceValue> sourceValueAt(std::span<const QStringView> lines, State start, qsizetype caret)
{
    std::optional<SourceValue> found;
    walk(lines, start, [&](std::size_t line, const Span &span, QStringView spanText, const TagReader &tags) {
        if (line + 1 < lines.size())
            return true;
        if (span.start >= caret)
            return false;
        if (isQuotedValue(span, spanText) && caret > span.start && caret <= valueEnd(span)) {
            found = sourceValueOf(span, spanText, tags);
            return false;
        }
        return true;
    });
    return found;
}

std::vector<SourceValue> sourceValues(QStringView line, State start)
{
    std::vector<SourceValue> values;
    const QStringView lines[] = {line};
    walk(lines, start, [&values](std::size_t, const Span &span, QStringView spanText, const TagReader &tags) {
        if (const auto value = sourceValueOf(span, spanText, tags))
            values.push_back(*value);
        return true;
    });
    return values;
}

} // namespace dnml

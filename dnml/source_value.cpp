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

std::optional<SourceValue> sourceValueAt(std::span<const QStringView> lines, State start, qsizetype caret)
{
    // A tag begun before the first line is read without its name: no
    // value in it is an asset's.
    TagReader tags;
    State state = start;
    std::vector<Span> spans;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        const bool caretLine = i + 1 == lines.size();
        spans.clear();
        state = lexLine(line, state, spans);
        for (const Span &span : spans) {
            if (caretLine && span.start >= caret)
                return std::nullopt;
            const QStringView spanText = line.sliced(span.start, span.length);
            const bool value = span.token == Token::Value || span.token == Token::OpenValue;
            const bool open = span.token == Token::OpenValue;
            const qsizetype end = span.start + span.length - (open ? 0 : 1);
            if (value && caretLine && spanText.startsWith(u'"') && caret > span.start && caret <= end) {
                const Tag &tag = tags.tag();
                const auto asset = assetTagNamed(tag.name);
                if (!tags.open() || tag.closing || !asset || !sameName(tags.valueFor(), markup::names::src))
                    return std::nullopt;
                return SourceValue{*asset, span.start + 1, end, !open};
            }
            tags.take(span, spanText, span.start, [](const Tag &) {});
        }
    }
    return std::nullopt;
}

} // namespace dnml

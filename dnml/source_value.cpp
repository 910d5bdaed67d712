#include "dnml/source_value.h"

#include <vector>

namespace dnml {

std::optional<AssetTag> assetTagNamed(QStringView name)
{
    constexpr std::pair<QStringView, AssetTag> tags[] = {
        {u"BGM", AssetTag::Bgm},
        {u"SOUND", AssetTag::Sound},
        {u"BACKGROUND", AssetTag::Background},
        {u"ACT", AssetTag::Act},
    };
    for (const auto &[tag, kind] : tags)
        if (sameName(name, tag))
            return kind;
    return std::nullopt;
}

std::optional<SourceValue> sourceValueAt(std::span<const QStringView> lines, State start, qsizetype caret)
{
    // What is open where the pieces have got to: a tag (its name, unknown
    // when it began before the first line), and the attribute whose "="
    // came last.
    bool inTag = start == State::Tag || start == State::TagStart;
    bool closing = false;
    QStringView element;
    QStringView attribute;
    bool equals = false;
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
            const QStringView piece = line.sliced(span.start, span.length);
            switch (span.token) {
            case Token::TagOpen:
                inTag = true;
                closing = span.length == 2;
                element = {};
                attribute = {};
                equals = false;
                break;
            case Token::TagName:
                element = piece;
                break;
            case Token::AttributeName:
                attribute = piece;
                equals = false;
                break;
            case Token::Equals:
                equals = !attribute.isEmpty();
                break;
            case Token::Value:
            case Token::OpenValue: {
                const bool open = span.token == Token::OpenValue;
                const qsizetype end = span.start + span.length - (open ? 0 : 1);
                if (caretLine && piece.startsWith(u'"') && caret > span.start && caret <= end) {
                    const auto tag = assetTagNamed(element);
                    if (!inTag || closing || !tag || !equals || !sameName(attribute, u"SRC"))
                        return std::nullopt;
                    return SourceValue{*tag, span.start + 1, end, !open};
                }
                attribute = {};
                equals = false;
                break;
            }
            case Token::TagClose:
            case Token::Comment:
            case Token::CommentContinued:
                inTag = false;
                element = {};
                attribute = {};
                equals = false;
                break;
            case Token::Bracket:
                break;
            }
        }
    }
    return std::nullopt;
}

} // namespace dnml

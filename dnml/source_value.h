// Where the caret stands in the markup, for completing asset names: inside
// the quoted SRC value of a tag that names an asset, or not.
#pragma once

#include "dnml/lexer.h"

#include <QStringView>

#include <optional>
#include <span>
#include <vector>

namespace dnml {

// The elements whose SRC names one of the game's assets.
enum class AssetTag { Bgm, Sound, Background, Act };

// The element named `name` (in any case) if it is one of them.
std::optional<AssetTag> assetTagNamed(QStringView name);

struct SourceValue {
    AssetTag tag;
    qsizetype start;  // the value's first character, just after its opening quote
    qsizetype end;    // just past its last character: its closing quote, or the line's end
    bool closed;      // a closing quote follows it on the line
};

// The SRC value the caret stands in. `lines` are the caret's line, last,
// and before it as many lines as the tag around the caret may have begun
// on; `start` is the state the first of them starts in; `caret` is a
// column of the last line. The caret stands in the value from just after
// its opening quote up to its closing quote (or the line's end when the
// quote is open). None in prose, comments, other attributes, unquoted
// values, closing tags and other elements.
std::optional<SourceValue> sourceValueAt(std::span<const QStringView> lines, State start, qsizetype caret);

// Every quoted SRC value of a tag that names an asset on `line`, which
// starts in the state `start`, in the order they stand.
std::vector<SourceValue> sourceValues(QStringView line, State start);

} // namespace dnml

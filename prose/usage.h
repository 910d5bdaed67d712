// Where an asset or a speaker is used (使用箇所): every line of the script
// that names the asset, by any of its spellings (the reference in a tag's
// SRC, its display name in the comment line a picker writes before the
// tag), or that the speaker speaks. Widget-free; works on the script text.
#pragma once

#include "dnml/source_value.h"
#include "outline/counts.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace prose {

// What is looked for.
struct Subject {
    // The list's title: the asset's display name (its reference when the
    // game has none), or the speaker's full name.
    QString label;
    // An asset: the tags that may name it and the SRC values that do (a
    // picture's path whatever the case of its letters), and its display
    // names in a picker's comment line.
    std::vector<dnml::AssetTag> tags;
    std::vector<QString> references;
    std::vector<QString> names;
    // A speaker, or narration for an asset.
    outline::Speaker speaker = outline::narration;
};

// The asset or speaker at `caret` (a script offset): the SRC value of an
// asset tag the caret stands in, or the name in a picker's comment line;
// else the speaker of the caret's line. None elsewhere. The caret's line
// is read as starting outside any tag or comment.
std::optional<Subject> subjectAt(QStringView script, qsizetype caret);

struct Use {
    qsizetype line;    // 1-based
    qsizetype offset;  // script offset of the name or reference used; of the line's start for a speaker
    QString text;      // the line, without its break (its first 200 characters)
};

// Every line that uses `subject`, in order, each once.
std::vector<Use> uses(QStringView script, const Subject &subject);

} // namespace prose

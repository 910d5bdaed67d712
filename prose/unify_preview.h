// What the unify step would change, as the writer checks it before it is
// written: each replacement with its line and a stretch of the line around
// it, before and after.
#pragma once

#include "prose/prose_check.h"

#include <QString>

#include <vector>

class ScriptDocument;

namespace prose {

struct Change {
    Replacement replacement;
    int line;        // 1-based
    QString before;  // the stretch of the line around the replacement
    QString after;   // the same stretch with the replacement written
};

// `replacements` (ascending script offsets of `document` as it is now) with
// up to `context` characters of their line on either side; a cut end is
// marked with …, and a lone LF inside a line shows as ↵.
std::vector<Change> describeChanges(const ScriptDocument &document, const std::vector<Replacement> &replacements,
                                    qsizetype context = 16);

} // namespace prose

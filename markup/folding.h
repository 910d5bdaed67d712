// Names compared as a writer types them: in full-width or half-width, upper
// or lower case, hiragana or katakana. The asset palette, completion and
// the check's suggestions all fold names this one way.
#pragma once

#include <QString>
#include <QStringView>

namespace markup {

// The text as it is compared: compatibility-normalised (NFKC: full-width
// letters and digits become half-width, half-width katakana full-width),
// case-folded, and katakana turned into hiragana.
QString fold(QStringView text);

} // namespace markup

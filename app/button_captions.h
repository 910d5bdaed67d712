// The captions of the button row, laid out in their buttons. A caption is
// written with "|" where it may go onto a second line ("音楽|挿入"): a
// Japanese word has no blanks to break at, and a break anywhere else cuts
// a word in two ("音楽挿／入"). Widget-free: widths come from the caller.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

namespace captions {

// The caption as shown and as screen readers read it: without its marks.
QString plain(QStringView marked);

struct Fit {
    QStringList lines;  // one, or two cut at a mark
    int width = 0;      // of the widest line: the box must be this wide
};

// How `marked` goes into a box of `box` (a button's contents): on one line
// when it fits; else on two, cut at the mark that makes the wider line
// narrowest, when two lines fit the box's height; else on one line. The
// width may be more than the box's: the button must widen to it.
// `width` measures a text; `lineHeight` is a line's height.
Fit fit(QStringView marked, QSize box, int lineHeight, const std::function<int(QStringView)> &width);

} // namespace captions

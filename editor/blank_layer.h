// Draws the marks of 表示 → 空白と改行 (see blanks.h) over the lines of
// Text1 that `area` of its viewport shows, after the text: faint, so that
// they never hide a character, and never part of the text, the undo
// history or the changed flag.
#pragma once

class QPainter;
class QRect;
class ScriptEdit;

void paintBlanks(ScriptEdit &edit, QPainter &painter, const QRect &area);

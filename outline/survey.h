// The story's shape, read from the script in one pass: its outline (the
// sections the scaffolds write, every scene, the writer's own headings),
// what the player has on stage at any line, and the counts of every line.
// Widget-free and safe on any thread: a survey is computed on a worker from
// a copy of the text and then only read.
#pragma once

#include "outline/counts.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

namespace outline {

enum class ItemKind : std::uint8_t {
    Section,  // a scaffold's comment, "<!-- 本編 -->"
    Scene,    // a BACKGROUND
    Heading,  // a comment whose text starts with ■, □, ● or ◆
};

struct Item {
    ItemKind kind;
    int line;      // 0-based line of the script (lines end at CR LF)
    QString text;  // the section's label, the scene's picture, the heading
};

// One actor slot (an ENTER's NAME) and the picture ACT last gave it: the
// cast member's name and the picture's display name, or the picture's
// path when the catalogues do not know it.
struct Actor {
    QString slot;
    QString picture;
};

// What the player shows after a number of lines, as the tags say it.
struct Stage {
    QString background;  // a display name, 黒画面 or 白画面; empty for none yet
    std::vector<Actor> actors;  // in the order the slots were first given a picture
    QString music;              // the last BGM's title; empty for none
    int curtainLine = -1;       // 0-based line of a <CURTAIN> not yet closed; -1 for none
};

struct Survey {
    std::vector<Item> items;  // in the order of the script

    // Per line, what counting a part of it needs.
    struct Line {
        LineCount count;
        Speaker speaker;
        dnml::State state;  // at its start
    };
    std::vector<Line> lines;
    Tally whole;

    // From a line on, something stands on stage: a value (an index into
    // `names`; -1 where it leaves the stage).
    struct Cue {
        int line;
        int value;
    };
    std::vector<QString> names;
    std::vector<Cue> backgrounds;  // every scene's start
    std::vector<Cue> music;
    std::vector<Cue> curtains;  // 1 opens, 0 closes
    std::vector<QString> slotNames;  // the actor slots, in the order first named
    std::vector<std::vector<Cue>> casting;  // per slot
};

// Surveys a whole script text (lines ending at CR LF or a lone CR). A
// tag counts where its "<" stands, once its ">" is read; an element's
// name and attributes match whatever their letter case. Picture paths
// are looked up whatever the case of their letters, as the game's files are.
Survey survey(QStringView text);

// The same survey made a part at a time, as the text is read: each part
// but the last ends with a line break. Parts go once surveyed (a tag open
// at a part's end keeps its parts until it closes).
class Surveyor;
class SurveyBuilder
{
public:
    SurveyBuilder();
    ~SurveyBuilder();
    SurveyBuilder(const SurveyBuilder &) = delete;
    SurveyBuilder &operator=(const SurveyBuilder &) = delete;

    void add(QString part, bool last);
    // The survey of all the parts added.
    Survey finish();

private:
    std::unique_ptr<Surveyor> m_surveyor;
    std::vector<QString> m_kept;
};

// The stage after the lines before `line` (0-based): the last background,
// the last picture of each actor slot (an EXIT empties every slot, or the
// one it names), the last music, and a curtain left open.
Stage stageAt(const Survey &survey, int line);

// The lines of the scene holding `line`, first and one past the last: from
// its BACKGROUND up to the next one. Before the first scene, the lines
// above it.
std::pair<int, int> sceneAround(const Survey &survey, int line);

// The tally of the whole lines from `first` up to `end`.
Tally tally(const Survey &survey, int first, int end);

// A place in the text: a line and a column within it.
struct Point {
    int line;
    int column;
};
// The tally of the text between two places; a line cut by `from` or `to`
// counts as its speaker's for the part inside. `lineText` gives a line's
// text, the same as it was when surveyed.
Tally tally(const Survey &survey, Point from, Point to, const std::function<QString(int line)> &lineText);

} // namespace outline

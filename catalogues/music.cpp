#include "catalogues/catalogue.h"

namespace catalogues {

// The game's background music, by the titles its tracks are filed under.
constexpr std::array<Row, 22> music = nameRows({
    u"いつもの朝",
    u"Morning Glow",
    u"通学路",
    u"にぎやかな教室",
    u"Happy-go-lucky",
    u"放課後の約束",
    u"商店街を歩こう",
    u"Lazy Afternoon",
    u"ひだまりの午後",
    u"Little Trouble",
    u"すれ違う心",
    // Main theme, played by the title call.
    u"Snow Drop",
    u"雪明かり",
    u"Silent Night Walk",
    u"涙のあとで",
    u"遠い日の記憶",
    u"Twinkle Stars",
    u"ふたりの時間",
    u"Confession",
    u"春を待つ想い",
    u"Memories of Snow",
    u"さよなら、冬の日",
});

} // namespace catalogues

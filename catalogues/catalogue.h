// The game's asset catalogues: constant, ordered tables built into the
// program. Every table is a constexpr array of string views on u"…"
// literals, so nothing is allocated or read at start-up.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace catalogues {

// One row of a catalogue. `name` is what the picker lists; `ref` is what
// its tag names in SRC=. In the name catalogues (music, places, sound
// effects) both are the same text; in the picture catalogues `ref` is a
// path "PDT\" + stem + ".PDT".
struct Row {
    std::u16string_view name;
    std::u16string_view ref;
};

using Catalogue = std::span<const Row>;

// Builds a name catalogue, whose rows are their own references.
template <std::size_t N>
constexpr std::array<Row, N> nameRows(const std::u16string_view (&names)[N])
{
    std::array<Row, N> rows{};
    for (std::size_t i = 0; i < N; ++i)
        rows[i] = Row{names[i], names[i]};
    return rows;
}

// Two runs of rows as one table, for rows that two tables share.
template <std::size_t A, std::size_t B>
constexpr std::array<Row, A + B> joined(const std::array<Row, A> &first, const std::array<Row, B> &second)
{
    std::array<Row, A + B> rows{};
    for (std::size_t i = 0; i < A; ++i)
        rows[i] = first[i];
    for (std::size_t i = 0; i < B; ++i)
        rows[A + i] = second[i];
    return rows;
}

// Name catalogues.
extern const std::array<Row, 22> music;
extern const std::array<Row, 97> places;
extern const std::array<Row, 19> soundEffects;

// The row of the music catalogue that the title call plays.
inline constexpr std::size_t titleCallMusicRow = 11;
// The last row of the place catalogue: no place but the black screen, which
// the place picker writes as a colour.
inline constexpr std::size_t blackScreenPlaceRow = std::tuple_size_v<decltype(places)> - 1;

// Sprites, one table per cast member (given names in romaji).
namespace sprites {
extern const std::array<Row, 110> yura;     // 星野ゆら, CGYR / child CGKYR
extern const std::array<Row, 70> chitose;   // 白石ちとせ, CGCT / child CGKCT
extern const std::array<Row, 12> harumi;    // 白石晴美, CGHM
extern const std::array<Row, 31> rin;       // 朝倉凛, CGRN
extern const std::array<Row, 13> sayoko;    // 高峰小夜子, CGSK
extern const std::array<Row, 56> mashiro;   // 柚木真白, CGMH
extern const std::array<Row, 6> sayuki;     // 宮下紗雪, CGSU
extern const std::array<Row, 17> chikage;   // 桐原千景, CGCK
extern const std::array<Row, 68> shizuku;   // 桐原しずく, CGSZ
extern const std::array<Row, 2> wataru;     // 森本航, CGWT
} // namespace sprites

// Event pictures: each list comes in an adult and an all-ages edition.
namespace events {
extern const std::array<Row, 31> yuraAdult;
extern const std::array<Row, 34> yuraAllAges;
extern const std::array<Row, 29> chitoseAdult;
extern const std::array<Row, 30> chitoseAllAges;
extern const std::array<Row, 27> shizukuAdult;
extern const std::array<Row, 31> shizukuAllAges;
extern const std::array<Row, 28> rinAdult;
extern const std::array<Row, 29> rinAllAges;
extern const std::array<Row, 19> mashiroAdult;
extern const std::array<Row, 23> mashiroAllAges;
// Demo, system and date pictures: the same 67 pictures in both editions.
extern const std::array<Row, 67> demoAdult;
extern const std::array<Row, 67> demoAllAges;
} // namespace events

} // namespace catalogues

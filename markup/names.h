// The DNML element and attribute names the program writes and reads, each
// written once: the fragments are put together from these, and the
// readers (the check, the outline, completion) look for these.
#pragma once

#include <string_view>

namespace markup::names {

// Elements.
inline constexpr std::u16string_view act = u"ACT";
inline constexpr std::u16string_view background = u"BACKGROUND";
inline constexpr std::u16string_view bgm = u"BGM";
inline constexpr std::u16string_view curtain = u"CURTAIN";
inline constexpr std::u16string_view enter = u"ENTER";
inline constexpr std::u16string_view exit = u"EXIT";
inline constexpr std::u16string_view include = u"INCLUDE";
inline constexpr std::u16string_view indent = u"INDENT";
inline constexpr std::u16string_view sound = u"SOUND";

// Attributes.
inline constexpr std::u16string_view color = u"COLOR";
inline constexpr std::u16string_view effect = u"EFFECT";
inline constexpr std::u16string_view folder = u"FOLDER";
inline constexpr std::u16string_view name = u"NAME";
inline constexpr std::u16string_view src = u"SRC";

} // namespace markup::names

// The game's words, each defined once: the folder values a tag names, the
// title call's pictures, and the cast, with each member's catalogues and
// the button, menu item and picker that belong to them. The fragments, the
// pickers, the main window's button row and menus, and the check all read
// them from here.
#pragma once

#include "catalogues/catalogue.h"

#include <array>
#include <string_view>

namespace markup {

// Which edition of the game the script's readers have installed.
enum class InstallType { Adult, AllAges };

// The FOLDER= values: the game's data in each edition, and the player's own
// folder, which the starting document's INCLUDE lines name.
inline constexpr std::u16string_view adultFolder = u"ORVEN";
inline constexpr std::u16string_view allAgesFolder = u"OrvenA";
inline constexpr std::u16string_view playerFolder = u"PLAYER";

constexpr std::u16string_view folderValue(InstallType type)
{
    return type == InstallType::Adult ? adultFolder : allAgesFolder;
}

// The title call's logo and background: in "ORVEN" in both editions.
inline constexpr std::u16string_view titleLogo = u"PDT\\TITLE_LG.PDT";
inline constexpr std::u16string_view titleBackground = u"PDT\\TITLE_BG.PDT";

// A set of full-screen pictures with a catalogue per edition, the item of
// the event-picture menu that opens its picker, and that picker.
struct EventPictures {
    catalogues::Catalogue adult;
    catalogues::Catalogue allAges;
    const char *menuItem = nullptr;  // "mnu_hosino"
    std::u16string_view menuCaption;  // "星野ゆら(&H)"
    const char *form = nullptr;      // "Form15"; null: the member has none
};

struct CastMember {
    std::u16string_view name;     // "星野ゆら"
    // What a sprite picker writes after the tag so that the author goes on
    // with the line: the short name and one space, "ゆら ".
    std::u16string_view speaker;
    catalogues::Catalogue sprites;
    const char *spriteButton;  // the picture button of the main window's row
    const char *spriteForm;    // its picker
    EventPictures events;

    constexpr bool hasEvents() const { return events.form != nullptr; }
};


// The ten cast members, in the order of the main window's row of picture
// buttons, left to right; those with event pictures come in the order of
// the event-picture menu.
inline constexpr std::array<CastMember, 10> cast = {{
    {u"星野ゆら", u"ゆら ", catalogues::sprites::yura, "Command1", "Form5",
     {catalogues::events::yuraAdult, catalogues::events::yuraAllAges, "mnu_hosino", u"星野ゆら(&H)", "Form15"}},
    {u"白石ちとせ", u"ちとせ ", catalogues::sprites::chitose, "Command2", "Form8",
     {catalogues::events::chitoseAdult, catalogues::events::chitoseAllAges, "mnu_chitose", u"白石ちとせ(&C)", "Form17"}},
    {u"桐原しずく", u"しずく ", catalogues::sprites::shizuku, "Command9", "Form12",
     {catalogues::events::shizukuAdult, catalogues::events::shizukuAllAges, "mnu_sizuku", u"桐原しずく(&S)", "Form18"}},
    {u"朝倉凛", u"凛 ", catalogues::sprites::rin, "Command4", "Form14",
     {catalogues::events::rinAdult, catalogues::events::rinAllAges, "mnu_rin", u"朝倉凛(&R)", "Form19"}},
    {u"柚木真白", u"真白 ", catalogues::sprites::mashiro, "Command6", "Form13",
     {catalogues::events::mashiroAdult, catalogues::events::mashiroAllAges, "mnu_yuzuki", u"柚木真白(&Y)", "Form20"}},
    {u"白石晴美", u"晴美 ", catalogues::sprites::harumi, "Command3", "Form7", {}},
    {u"高峰小夜子", u"小夜子 ", catalogues::sprites::sayoko, "Command5", "Form11", {}},
    {u"桐原千景", u"千景 ", catalogues::sprites::chikage, "Command8", "Form10", {}},
    {u"宮下紗雪", u"紗雪 ", catalogues::sprites::sayuki, "Command7", "Form6", {}},
    {u"森本航", u"森本 ", catalogues::sprites::wataru, "Command10", "Form9", {}},
}};

// The demo, system and date pictures, which belong to no cast member.
inline constexpr EventPictures demoPictures{catalogues::events::demoAdult, catalogues::events::demoAllAges, "mnu_demo",
                                            u"デモCG他(&D)", "Form16"};

// The cast member whose picture button is `button`, or null.
const CastMember *castWithButton(std::string_view button);

} // namespace markup

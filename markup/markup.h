// The DNML this program writes. Every fragment is plain concatenation of
// literal parts and the caller's variable parts, inserted verbatim:
// nothing is escaped or checked. Every line break written is CR LF.
#pragma once

#include "markup/vocabulary.h"

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace markup {

// The document every script starts from: a COVER block of placeholders, the
// two INCLUDE lines, TITLE and ENTER; 16 lines, 279 characters, ending in
// CR LF. The INCLUDE lines have no blank before FOLDER= and the COMMENT line
// no blank after "=": the player's template is written that way.
inline constexpr std::u16string_view startingDocument =
    u"<COVER\r\n"
    u" TITLE = \"任意のタイトル入力\"\r\n"
    u" AUTHOR = \"作者の名前\"\r\n"
    u" MAIL = \"メールアドレス\"\r\n"
    u" HP = \"ホームページ\"\r\n"
    u" DATE = \"製作日\"\r\n"
    u" GENRE = \"ORVEN\"\r\n"
    u" COMMENT =\"一言コメント\"\r\n"
    u">\r\n"
    u"\r\n"
    u"<INCLUDE SRC=\"環境設定.dnml\"FOLDER=\"PLAYER\">\r\n"
    u"<INCLUDE SRC=\"orven\\テンプレート.dnml\"FOLDER=\"PLAYER\">\r\n"
    u"\r\n"
    u"<TITLE ALT=\"任意のタイトル\">\r\n"
    u"\r\n"
    u"<ENTER NAME=\"人\">\r\n";

// A dialogue skeleton and how far the caret steps back into it after it is
// inserted, so that the author types between the brackets at once.
struct Skeleton {
    std::u16string_view text;
    qsizetype caretBack;
};

// An indented line of its own; the caret lands after "「<INDENT>".
inline constexpr Skeleton indentedDialogue{u"「<INDENT>」</INDENT><P>\r\n", 15};
// A line inside the current one, no line break; the caret lands after "「".
inline constexpr Skeleton plainDialogue{u"「」<P>", 4};

// Section labels of the scaffolds.
inline constexpr std::u16string_view forewordLabel = u"前書き";
inline constexpr std::u16string_view titleLabel = u"タイトル";
inline constexpr std::u16string_view mainStoryLabel = u"本編";
inline constexpr std::u16string_view afterwordLabel = u"後書き";
// In the order of the section menu.
inline constexpr std::array<std::u16string_view, 4> sectionLabels = {forewordLabel, titleLabel, mainStoryLabel,
                                                                     afterwordLabel};

// The background colours the scaffolds write.
inline constexpr std::u16string_view blackColour = u"#000000";
inline constexpr std::u16string_view whiteColour = u"#FFFFFF";

// A section comment and a black background, two lines:
// "<!-- label -->" and <BACKGROUND COLOR="#000000">.
QString sectionScaffold(std::u16string_view label);

// The title scene, thirteen lines: the title-screen music, a curtain over a
// white background, the logo over the title picture and two placeholder
// lines for the script's title and author. Its folders are always "ORVEN".
QString titleCall();

// <BGM SRC="title"> and CR LF.
QString bgmTag(QStringView title);

// <SOUND SRC="name" FOLDER="ORVEN"> and CR LF, whatever the install type.
QString soundTag(QStringView name);

// The comment line a picture picker writes before its tag, so that the
// script says in words what the picture is: <!--- " text " ---> and CR LF.
QString commentLine(QStringView text);
// The text of such a comment line (without its CR LF); none for any other line.
std::optional<QStringView> commentLineText(QStringView line);

// Tag heads, up to and including the opening quote of the FOLDER= value;
// folderTail() closes them.
QString backgroundHead(QStringView source);  // <BACKGROUND SRC="source" FOLDER="
QString actHead(QStringView picture);        // <ACT NAME="人" SRC="picture" FOLDER="

// The folder value, its closing quote, ">" and CR LF.
QString folderTail(InstallType type);

// The black background of the place list's last row; no line break follows.
inline constexpr std::u16string_view blackBackground = u"<BACKGROUND COLOR=\"#000000\">";

} // namespace markup

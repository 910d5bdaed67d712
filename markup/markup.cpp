#include "markup/markup.h"

#include "catalogues/catalogue.h"

#include <initializer_list>

namespace markup {
namespace {

// Plain concatenation of a fragment's pieces.
QString cat(std::initializer_list<QStringView> pieces)
{
    qsizetype size = 0;
    for (QStringView piece : pieces)
        size += piece.size();
    QString out;
    out.reserve(size);
    for (QStringView piece : pieces)
        out.append(piece);
    return out;
}

} // namespace

QString sectionScaffold(std::u16string_view label)
{
    return cat({u"<!-- ", label, u" -->\r\n", blackBackground, u"\r\n"});
}

QString titleCall()
{
    const std::u16string_view music = catalogues::music[catalogues::titleCallMusicRow].name;
    return cat({u"<!-- ", titleLabel, u" -->\r\n", bgmTag(music),
                u"<CURTAIN>\r\n"
                u"<EXIT>\r\n"
                u"<BACKGROUND COLOR=\"",
                whiteColour,
                u"\">\r\n"
                u"</CURTAIN EFFECT=\"EF_NONE\">\r\n"
                u"<ENTER NAME=\"ロゴ\">\r\n"
                u"<ACT NAME=\"ロゴ\" SRC=\"",
                titleLogo, u"\" FOLDER=\"", adultFolder,
                u"\">\r\n"
                u"<BACKGROUND SRC=\"",
                titleBackground, u"\" FOLDER=\"", adultFolder,
                u"\" EFFECT=\"EF_FADEIN\">\r\n"
                u"<NL>\r\n"
                u"    任意のタイトル  <P>\r\n"
                u"<NL>\r\n"
                u"    作者名  <P>\r\n"});
}

QString bgmTag(QStringView title)
{
    return cat({u"<BGM SRC=\"", title, u"\">\r\n"});
}

QString soundTag(QStringView name)
{
    return cat({u"<SOUND SRC=\"", name, u"\" FOLDER=\"", adultFolder, u"\">\r\n"});
}

QString commentLine(QStringView text)
{
    return cat({u"<!--- \" ", text, u" \" --->\r\n"});
}

std::optional<QStringView> commentLineText(QStringView line)
{
    static const std::pair<QString, QString> shape = [] {
        const QString marker(QChar(0xFFFF));
        QString comment = commentLine(marker);
        comment.chop(2);  // its CR LF
        const qsizetype at = comment.indexOf(marker);
        return std::pair{comment.first(at), comment.sliced(at + 1)};
    }();
    const auto &[before, after] = shape;
    if (line.size() <= before.size() + after.size() || !line.startsWith(before) || !line.endsWith(after))
        return std::nullopt;
    return line.sliced(before.size(), line.size() - before.size() - after.size());
}

QString backgroundHead(QStringView source)
{
    return cat({u"<BACKGROUND SRC=\"", source, u"\" FOLDER=\""});
}

QString actHead(QStringView picture)
{
    return cat({u"<ACT NAME=\"人\" SRC=\"", picture, u"\" FOLDER=\""});
}

QString folderTail(InstallType type)
{
    return cat({folderValue(type), u"\">\r\n"});
}

} // namespace markup

#include "markup/markup.h"

#include "catalogues/catalogue.h"
#include "markup/names.h"

#include <initializer_list>

namespace markup {
namespace {

// Plain concatenation of a fragment's parts.
QString cat(std::initializer_list<QStringView> parts)
{
    qsizetype size = 0;
    for (QStringView part : parts)
        size += part.size();
    QString out;
    out.reserve(size);
    for (QStringView part : parts)
        out.append(part);
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
    using namespace names;
    return cat({u"<!-- ", titleLabel, u" -->\r\n", bgmTag(music),
                u"<", curtain, u">\r\n",
                u"<", exit, u">\r\n",
                u"<", background, u" ", color, u"=\"", whiteColour, u"\">\r\n",
                u"</", curtain, u" ", effect, u"=\"EF_NONE\">\r\n",
                u"<", enter, u" ", name, u"=\"ロゴ\">\r\n",
                u"<", act, u" ", name, u"=\"ロゴ\" ", src, u"=\"", titleLogo, u"\" ", folder, u"=\"", adultFolder, u"\">\r\n",
                u"<", background, u" ", src, u"=\"", titleBackground, u"\" ", folder, u"=\"", adultFolder,
                u"\" ", effect, u"=\"EF_FADEIN\">\r\n"
                u"<NL>\r\n"
                u"    任意のタイトル  <P>\r\n"
                u"<NL>\r\n"
                u"    作者名  <P>\r\n"});
}

QString bgmTag(QStringView title)
{
    return cat({u"<", names::bgm, u" ", names::src, u"=\"", title, u"\">\r\n"});
}

QString soundTag(QStringView name)
{
    return cat({u"<", names::sound, u" ", names::src, u"=\"", name, u"\" ", names::folder, u"=\"", adultFolder, u"\">\r\n"});
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
    return cat({u"<", names::background, u" ", names::src, u"=\"", source, u"\" ", names::folder, u"=\""});
}

QString actHead(QStringView picture)
{
    return cat({u"<", names::act, u" ", names::name, u"=\"人\" ", names::src, u"=\"", picture, u"\" ", names::folder, u"=\""});
}

QString folderTail(InstallType type)
{
    return cat({folderValue(type), u"\">\r\n"});
}

} // namespace markup

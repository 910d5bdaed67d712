#include "assets/asset_index.h"

#include "assets/matching.h"

namespace assets {
namespace {

QStringView qview(std::u16string_view s)
{
    return QStringView(s.data(), qsizetype(s.size()));
}

std::vector<Asset> build(markup::InstallType type)
{
    const bool adult = type == markup::InstallType::Adult;
    std::vector<Asset> rows;
    const auto add = [&rows](Kind kind, catalogues::Catalogue catalogue, const QString &label,
                             const markup::CastMember *member = nullptr,
                             const markup::EventPictures *pictures = nullptr) {
        for (std::size_t i = 0; i < catalogue.size(); ++i) {
            Asset asset{kind, member, pictures, catalogue, i, label, {}, {}};
            asset.foldedName = fold(asset.name());
            if (asset.isPicture())
                asset.foldedStem = fold(fileStem(asset.reference()));
            rows.push_back(std::move(asset));
        }
    };
    add(Kind::Music, catalogues::music, QStringLiteral(u"音楽"));
    add(Kind::Sound, catalogues::soundEffects, QStringLiteral(u"効果音"));
    add(Kind::Place, catalogues::places, QStringLiteral(u"場所"));
    for (const markup::CastMember &member : markup::cast)
        add(Kind::Sprite, member.sprites, qview(member.name).toString() + QStringLiteral(u"の立ち絵"), &member);
    const markup::EventPictures &demo = markup::demoPictures;
    // The demo pictures' menu caption without its access key: "デモCG他".
    const QStringView demoLabel = qview(demo.menuCaption).first(qview(demo.menuCaption).indexOf(u'('));
    add(Kind::Event, adult ? demo.adult : demo.allAges, demoLabel.toString(), nullptr, &demo);
    for (const markup::CastMember &member : markup::cast)
        if (member.hasEvents())
            add(Kind::Event, adult ? member.events.adult : member.events.allAges,
                qview(member.name).toString() + QStringLiteral(u"のイベントCG"), &member, &member.events);
    return rows;
}

} // namespace

QStringView Asset::name() const
{
    return qview(catalogue[row].name);
}

QStringView Asset::reference() const
{
    return qview(catalogue[row].ref);
}

const std::vector<Asset> &index(markup::InstallType type)
{
    static const std::vector<Asset> adult = build(markup::InstallType::Adult);
    static const std::vector<Asset> allAges = build(markup::InstallType::AllAges);
    return type == markup::InstallType::Adult ? adult : allAges;
}

QStringView fileStem(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'\\');
    QStringView stem = slash < 0 ? path : path.sliced(slash + 1);
    const qsizetype dot = stem.lastIndexOf(u'.');
    return dot < 0 ? stem : stem.first(dot);
}

} // namespace assets

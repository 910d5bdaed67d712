#include "catalogues/catalogue.h"

namespace catalogues {

constexpr std::array<Row, 19> soundEffects = nameRows({
    u"目覚まし1",
    u"チャイム",
    u"ノック",
    u"ドアの開閉",
    u"引き戸",
    u"足音",
    u"駆け足",
    u"雪を踏む音",
    u"雨音",
    u"風",
    u"吹雪",
    u"鳥のさえずり",
    u"電話のベル",
    u"携帯の着信",
    u"シャッター音",
    u"弓の弦音",
    u"神社の鈴",
    u"拍手",
    u"踏切",
});

} // namespace catalogues

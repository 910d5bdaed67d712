#include "catalogues/catalogue.h"

namespace catalogues {
namespace events {

// Both editions hold the same pictures. The all-ages opening introduces the
// heroines in another order, so its rows 6–23 are arranged differently.
// The date cards, the same in both editions.
constexpr std::array<Row, 25> dateCards = std::to_array<Row>({
    {u"日付１月７日", u"PDT\\BG107.PDT"},
    {u"日付１月８日", u"PDT\\BG108.PDT"},
    {u"日付１月９日", u"PDT\\BG109.PDT"},
    {u"日付１月１０日", u"PDT\\BG110.PDT"},
    {u"日付１月１１日", u"PDT\\BG111.PDT"},
    {u"日付１月１２日", u"PDT\\BG112.PDT"},
    {u"日付１月１３日", u"PDT\\BG113.PDT"},
    {u"日付１月１４日", u"PDT\\BG114.PDT"},
    {u"日付１月１５日", u"PDT\\BG115.PDT"},
    {u"日付１月１６日", u"PDT\\BG116.PDT"},
    {u"日付１月１７日", u"PDT\\BG117.PDT"},
    {u"日付１月１８日", u"PDT\\BG118.PDT"},
    {u"日付１月１９日", u"PDT\\BG119.PDT"},
    {u"日付１月２０日", u"PDT\\BG120.PDT"},
    {u"日付１月２１日", u"PDT\\BG121.PDT"},
    {u"日付１月２２日", u"PDT\\BG122.PDT"},
    {u"日付１月２３日", u"PDT\\BG123.PDT"},
    {u"日付１月２４日", u"PDT\\BG124.PDT"},
    {u"日付１月２５日", u"PDT\\BG125.PDT"},
    {u"日付１月２６日", u"PDT\\BG126.PDT"},
    {u"日付１月２７日", u"PDT\\BG127.PDT"},
    {u"日付１月２８日", u"PDT\\BG128.PDT"},
    {u"日付１月２９日", u"PDT\\BG129.PDT"},
    {u"日付１月３０日", u"PDT\\BG130.PDT"},
    {u"日付１月３１日", u"PDT\\BG131.PDT"},
});

constexpr std::array<Row, 42> demoAdultFirst = std::to_array<Row>({
    {u"システム・ブランドロゴ", u"PDT\\BRAND_LG.PDT"},
    {u"システム・年齢確認", u"PDT\\NOTICE.PDT"},
    {u"システム・タイトル背景", u"PDT\\TITLE_BG.PDT"},
    {u"システム・タイトルロゴ", u"PDT\\TITLE_LG.PDT"},
    {u"システム・メニュー背景", u"PDT\\MENU_BG.PDT"},
    {u"システム・セーブロード画面", u"PDT\\SAVELOAD.PDT"},
    // オープニング: ヒロイン紹介
    {u"デモ・雪の中で振り向くゆら", u"PDT\\OP_YR1.PDT"},
    {u"デモ・ゆらの横顔", u"PDT\\OP_YR2.PDT"},
    {u"デモ・ゆらと指切り", u"PDT\\OP_YR3.PDT"},
    {u"デモ・カメラを構えるちとせ", u"PDT\\OP_CT1.PDT"},
    {u"デモ・パンを抱えるちとせ", u"PDT\\OP_CT2.PDT"},
    {u"デモ・雪玉を投げるちとせ", u"PDT\\OP_CT3.PDT"},
    {u"デモ・図書室のしずく", u"PDT\\OP_SZ1.PDT"},
    {u"デモ・本を閉じるしずく", u"PDT\\OP_SZ2.PDT"},
    {u"デモ・駅のホームのしずく", u"PDT\\OP_SZ3.PDT"},
    {u"デモ・弓を引く凛", u"PDT\\OP_RN1.PDT"},
    {u"デモ・的を見つめる凛", u"PDT\\OP_RN2.PDT"},
    {u"デモ・雪の弓道場と凛", u"PDT\\OP_RN3.PDT"},
    {u"デモ・眼鏡を直す真白", u"PDT\\OP_MH1.PDT"},
    {u"デモ・窓辺の真白", u"PDT\\OP_MH2.PDT"},
    {u"デモ・雪うさぎと真白", u"PDT\\OP_MH3.PDT"},
    {u"デモ・境内を掃く紗雪", u"PDT\\OP_SU.PDT"},
    {u"デモ・着物姿の千景", u"PDT\\OP_CK.PDT"},
    {u"デモ・腕組みする小夜子", u"PDT\\OP_SK.PDT"},
    // オープニング: 街と学校
    {u"デモ・雪の降る街", u"PDT\\OP_TOWN.PDT"},
    {u"デモ・朝の通学路", u"PDT\\OP_ROAD.PDT"},
    {u"デモ・校舎と雪空", u"PDT\\OP_SCHL.PDT"},
    {u"デモ・教室の窓", u"PDT\\OP_WIND.PDT"},
    {u"デモ・雪に残る足跡", u"PDT\\OP_STEP.PDT"},
    {u"デモ・舞い散る雪", u"PDT\\OP_SNOW.PDT"},
    {u"デモ・夕焼けの屋上", u"PDT\\OP_ROOF.PDT"},
    {u"デモ・商店街の灯り", u"PDT\\OP_SHOP.PDT"},
    {u"デモ・神社の石段", u"PDT\\OP_SHRN.PDT"},
    {u"デモ・夜の駅前", u"PDT\\OP_STAT.PDT"},
    {u"デモ・星空", u"PDT\\OP_STAR.PDT"},
    {u"デモ・ヒロイン集合", u"PDT\\OP_ALL.PDT"},
    {u"デモ・雪合戦の輪", u"PDT\\OP_PLAY.PDT"},
    {u"デモ・桜のつぼみ", u"PDT\\OP_SAKR.PDT"},
    {u"デモ・タイトルバック", u"PDT\\OP_LAST.PDT"},
    // おまけ
    {u"システム・おまけ画面", u"PDT\\OMAKE_BG.PDT"},
    {u"システム・CG鑑賞モード", u"PDT\\CG_MODE.PDT"},
    {u"システム・回想モード", u"PDT\\REPLAY.PDT"},
});

constexpr std::array<Row, 42> demoAllAgesFirst = std::to_array<Row>({
    {u"システム・ブランドロゴ", u"PDT\\BRAND_LG.PDT"},
    {u"システム・注意書き", u"PDT\\NOTICE.PDT"},
    {u"システム・タイトル背景", u"PDT\\TITLE_BG.PDT"},
    {u"システム・タイトルロゴ", u"PDT\\TITLE_LG.PDT"},
    {u"システム・メニュー背景", u"PDT\\MENU_BG.PDT"},
    {u"システム・セーブロード画面", u"PDT\\SAVELOAD.PDT"},
    // オープニング: ヒロイン紹介
    {u"ＯＰ・雪の中で振り向くゆら", u"PDT\\OP_YR1.PDT"},
    {u"ＯＰ・ゆらの横顔", u"PDT\\OP_YR2.PDT"},
    {u"ＯＰ・幼い日の指切り", u"PDT\\OP_YR3.PDT"},
    {u"ＯＰ・図書室のしずく", u"PDT\\OP_SZ1.PDT"},
    {u"ＯＰ・本を閉じるしずく", u"PDT\\OP_SZ2.PDT"},
    {u"ＯＰ・ホームで電車を待つしずく", u"PDT\\OP_SZ3.PDT"},
    {u"ＯＰ・カメラを構えるちとせ", u"PDT\\OP_CT1.PDT"},
    {u"ＯＰ・焼きたてのパンとちとせ", u"PDT\\OP_CT2.PDT"},
    {u"ＯＰ・雪玉を投げるちとせ", u"PDT\\OP_CT3.PDT"},
    {u"ＯＰ・眼鏡を直す真白", u"PDT\\OP_MH1.PDT"},
    {u"ＯＰ・窓辺の真白", u"PDT\\OP_MH2.PDT"},
    {u"ＯＰ・雪うさぎと真白", u"PDT\\OP_MH3.PDT"},
    {u"ＯＰ・弓を引く凛", u"PDT\\OP_RN1.PDT"},
    {u"ＯＰ・的を見つめる凛", u"PDT\\OP_RN2.PDT"},
    {u"ＯＰ・雪の弓道場と凛", u"PDT\\OP_RN3.PDT"},
    {u"ＯＰ・境内を掃く紗雪", u"PDT\\OP_SU.PDT"},
    {u"ＯＰ・着物姿の千景", u"PDT\\OP_CK.PDT"},
    {u"ＯＰ・腕組みする小夜子", u"PDT\\OP_SK.PDT"},
    // オープニング: 街と学校
    {u"ＯＰ・雪の降る街", u"PDT\\OP_TOWN.PDT"},
    {u"ＯＰ・朝の通学路", u"PDT\\OP_ROAD.PDT"},
    {u"ＯＰ・校舎と雪空", u"PDT\\OP_SCHL.PDT"},
    {u"ＯＰ・教室の窓", u"PDT\\OP_WIND.PDT"},
    {u"ＯＰ・雪に残る足跡", u"PDT\\OP_STEP.PDT"},
    {u"ＯＰ・舞い散る雪", u"PDT\\OP_SNOW.PDT"},
    {u"ＯＰ・夕焼けの屋上", u"PDT\\OP_ROOF.PDT"},
    {u"ＯＰ・商店街の灯り", u"PDT\\OP_SHOP.PDT"},
    {u"ＯＰ・神社の石段", u"PDT\\OP_SHRN.PDT"},
    {u"ＯＰ・夜の駅前", u"PDT\\OP_STAT.PDT"},
    {u"ＯＰ・満天の星空", u"PDT\\OP_STAR.PDT"},
    {u"ＯＰ・ヒロイン勢ぞろい", u"PDT\\OP_ALL.PDT"},
    {u"ＯＰ・雪合戦の輪", u"PDT\\OP_PLAY.PDT"},
    {u"ＯＰ・桜のつぼみ", u"PDT\\OP_SAKR.PDT"},
    {u"ＯＰ・ラストカット", u"PDT\\OP_LAST.PDT"},
    // おまけ
    {u"システム・おまけ画面", u"PDT\\OMAKE_BG.PDT"},
    {u"システム・CG鑑賞モード", u"PDT\\CG_MODE.PDT"},
    {u"システム・シーン回想", u"PDT\\REPLAY.PDT"},
});

constexpr std::array<Row, 67> demoAdult = joined(demoAdultFirst, dateCards);
constexpr std::array<Row, 67> demoAllAges = joined(demoAllAgesFirst, dateCards);

} // namespace events
} // namespace catalogues

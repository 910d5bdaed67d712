#include "catalogues/catalogue.h"

// Each heroine's event pictures in route order. The two editions share the
// picture files of every scene they both show. The adult edition's night
// scenes are left out of the all-ages one, which shows pictures of its own
// in their place; those are numbered from 41 so that they never collide
// with a scene of the adult edition.
namespace catalogues {
namespace events {

// 星野ゆら
constexpr std::array<Row, 31> yuraAdult = std::to_array<Row>({
    // 再会と幼い日の記憶
    {u"ゆら／再会／雪の校門", u"PDT\\FGYR01.PDT"},
    {u"ゆら／幼い日の約束（公園）", u"PDT\\FGYR02A.PDT"},
    {u"ゆら／幼い日の約束（指切り）", u"PDT\\FGYR02B.PDT"},
    {u"ゆら／雪の帰り道", u"PDT\\FGYR031.PDT"},
    {u"ゆら／雪の帰り道（転びかけて）", u"PDT\\FGYR032.PDT"},
    {u"ゆら／七草がゆ（星野家の台所）", u"PDT\\FGYR04.PDT"},
    // 冬休み明けの行事
    {u"ゆら／遅めの初詣（晴れ着）", u"PDT\\FGYR05A.PDT"},
    {u"ゆら／遅めの初詣（おみくじ）", u"PDT\\FGYR05B.PDT"},
    {u"ゆら／鏡開きのおしるこ", u"PDT\\FGYR06.PDT"},
    {u"ゆら／かるた大会（札を払う）", u"PDT\\FGYR07A.PDT"},
    {u"ゆら／かるた大会（優勝の笑顔）", u"PDT\\FGYR07B.PDT"},
    {u"ゆら／かまくら作り", u"PDT\\FGYR08.PDT"},
    {u"ゆら／かまくらの中で（夕方）", u"PDT\\FGYR09.PDT"},
    {u"ゆら／風邪のお見舞い", u"PDT\\FGYR10.PDT"},
    {u"ゆら／古いアルバム", u"PDT\\FGYR11.PDT"},
    // すれ違いから告白まで
    {u"ゆら／すれ違い／雨の昇降口", u"PDT\\FGYR12.PDT"},
    {u"ゆら／夜の公園にひとり", u"PDT\\FGYR13.PDT"},
    {u"ゆら／仲直り／どんど焼き", u"PDT\\FGYR14.PDT"},
    {u"ゆら／告白／屋上（夕方）", u"PDT\\FGYR15.PDT"},
    {u"ゆら／初めてのキス（雪の駅前）", u"PDT\\FGYR16.PDT"},
    {u"ゆら／初めての夜（ゆらの部屋）", u"PDT\\FGYR17A.PDT"},
    {u"ゆら／初めての夜（灯りを消して）", u"PDT\\FGYR17B.PDT"},
    {u"ゆら／翌朝の寝顔", u"PDT\\FGYR18.PDT"},
    // 恋人として
    {u"ゆら／手作りのお弁当（屋上）", u"PDT\\FGYR19.PDT"},
    {u"ゆら／雪の遊園地（観覧車）", u"PDT\\FGYR20A.PDT"},
    {u"ゆら／観覧車のてっぺんで", u"PDT\\FGYR20B.PDT"},
    {u"ゆら／吹雪の夜（二人きり）", u"PDT\\FGYR21.PDT"},
    {u"ゆら／バレンタイン（手作りチョコ）", u"PDT\\FGYR22.PDT"},
    // エンディング
    {u"ゆら／エンディング／桜並木", u"PDT\\FGYR23A.PDT"},
    {u"ゆら／エンディング（二人の部屋）", u"PDT\\FGYR23B.PDT"},
    {u"ゆら／エピローグ／春の通学路", u"PDT\\FGYR24.PDT"},
});

constexpr std::array<Row, 34> yuraAllAges = std::to_array<Row>({
    // 再会と幼い日の記憶
    {u"ゆら／再会／雪の校門", u"PDT\\FGYR01.PDT"},
    {u"ゆら／幼い日の約束(公園)", u"PDT\\FGYR02A.PDT"},
    {u"ゆら／幼い日の約束(指切り)", u"PDT\\FGYR02B.PDT"},
    {u"ゆら／雪の帰り道", u"PDT\\FGYR031.PDT"},
    {u"ゆら／雪の帰り道(転びかけて)", u"PDT\\FGYR032.PDT"},
    {u"ゆら／七草がゆ(星野家の台所)", u"PDT\\FGYR04.PDT"},
    // 冬休み明けの行事
    {u"ゆら／遅めの初詣(晴れ着)", u"PDT\\FGYR05A.PDT"},
    {u"ゆら／遅めの初詣(おみくじ)", u"PDT\\FGYR05B.PDT"},
    {u"ゆら／鏡開きのおしるこ", u"PDT\\FGYR06.PDT"},
    {u"ゆら／かるた大会(札を払う)", u"PDT\\FGYR07A.PDT"},
    {u"ゆら／かるた大会(優勝の笑顔)", u"PDT\\FGYR07B.PDT"},
    {u"ゆら／かまくら作り", u"PDT\\FGYR08.PDT"},
    {u"ゆら／かまくらの中で(夕方)", u"PDT\\FGYR09.PDT"},
    {u"ゆら／風邪のお見舞い", u"PDT\\FGYR10.PDT"},
    {u"ゆら／古いアルバム", u"PDT\\FGYR11.PDT"},
    // すれ違いから告白まで
    {u"ゆら／すれ違い／雨の昇降口", u"PDT\\FGYR12.PDT"},
    {u"ゆら／夜の公園にひとり", u"PDT\\FGYR13.PDT"},
    {u"ゆら／仲直り／どんど焼き", u"PDT\\FGYR14.PDT"},
    {u"ゆら／告白／屋上(夕方)", u"PDT\\FGYR15.PDT"},
    {u"ゆら／ファーストキス(雪の駅前)", u"PDT\\FGYR16.PDT"},
    {u"ゆら／星空の帰り道(手をつないで)", u"PDT\\FGYR41.PDT"},
    {u"ゆら／星野家で夕ごはん", u"PDT\\FGYR42.PDT"},
    {u"ゆら／玄関先のおやすみ", u"PDT\\FGYR43.PDT"},
    {u"ゆら／翌朝のお迎え(雪かき)", u"PDT\\FGYR44.PDT"},
    // 恋人として
    {u"ゆら／手作りのお弁当(屋上)", u"PDT\\FGYR19.PDT"},
    {u"ゆら／雪の遊園地(観覧車)", u"PDT\\FGYR20A.PDT"},
    {u"ゆら／観覧車のてっぺんで", u"PDT\\FGYR20B.PDT"},
    {u"ゆら／イルミネーションの広場", u"PDT\\FGYR45.PDT"},
    {u"ゆら／二人で作った雪だるま", u"PDT\\FGYR46.PDT"},
    {u"ゆら／バレンタイン(手作りチョコ)", u"PDT\\FGYR22.PDT"},
    // エンディング
    {u"ゆら／エンディング／桜並木", u"PDT\\FGYR23A.PDT"},
    {u"ゆら／エンディング／約束の公園", u"PDT\\FGYR47.PDT"},
    {u"ゆら／春休みの旅行(海辺の町)", u"PDT\\FGYR48.PDT"},
    {u"ゆら／エピローグ／春の通学路", u"PDT\\FGYR24.PDT"},
});

// 白石ちとせ
// The end of ちとせ's route, the same in both editions.
constexpr std::array<Row, 6> chitoseEnding = std::to_array<Row>({
    {u"ちとせ／写真展の初日", u"PDT\\FGCT20.PDT"},
    {u"ちとせ／受賞の知らせ", u"PDT\\FGCT21.PDT"},
    {u"ちとせ／バレンタインのパン", u"PDT\\FGCT22.PDT"},
    // エンディング
    {u"ちとせ／エンディング／桜とカメラ", u"PDT\\FGCT23A.PDT"},
    {u"ちとせ／エンディング／ベーカリーの朝", u"PDT\\FGCT23B.PDT"},
    {u"ちとせ／エピローグ／新入部員の勧誘", u"PDT\\FGCT24.PDT"},
});

constexpr std::array<Row, 23> chitoseAdultFirst = std::to_array<Row>({
    // 写真部の後輩
    {u"ちとせ／出会い／雪玉の直撃", u"PDT\\FGCT01.PDT"},
    {u"ちとせ／写真部の部室", u"PDT\\FGCT02.PDT"},
    {u"ちとせ／雪景色を撮る（川原）", u"PDT\\FGCT03A.PDT"},
    {u"ちとせ／ファインダー越しの笑顔", u"PDT\\FGCT03B.PDT"},
    {u"ちとせ／ベーカリーの店番", u"PDT\\FGCT04.PDT"},
    {u"ちとせ／焼きたてのメロンパン", u"PDT\\FGCT05.PDT"},
    {u"ちとせ／放課後の商店街", u"PDT\\FGCT06.PDT"},
    {u"ちとせ／雪合戦（宣戦布告）", u"PDT\\FGCT071.PDT"},
    {u"ちとせ／雪合戦（集中砲火）", u"PDT\\FGCT072.PDT"},
    {u"ちとせ／迷子の子猫を探して", u"PDT\\FGCT08.PDT"},
    // 思い出の丘
    {u"ちとせ／幼い日の写真", u"PDT\\FGCT09.PDT"},
    {u"ちとせ／思い出の丘（小さな手）", u"PDT\\FGCT10A.PDT"},
    {u"ちとせ／思い出の丘（あの日と同じ場所）", u"PDT\\FGCT10B.PDT"},
    // コンテスト
    {u"ちとせ／コンテストの締め切り", u"PDT\\FGCT11.PDT"},
    {u"ちとせ／暗室の赤い灯り", u"PDT\\FGCT12.PDT"},
    {u"ちとせ／落選の知らせ", u"PDT\\FGCT13.PDT"},
    {u"ちとせ／雪の中で泣く", u"PDT\\FGCT14.PDT"},
    {u"ちとせ／励まし／屋上の夕焼け", u"PDT\\FGCT15.PDT"},
    {u"ちとせ／告白／思い出の丘（夜）", u"PDT\\FGCT16.PDT"},
    {u"ちとせ／二人だけの撮影会", u"PDT\\FGCT17.PDT"},
    {u"ちとせ／二人きりの夜（ちとせの部屋）", u"PDT\\FGCT18A.PDT"},
    {u"ちとせ／窓の外は雪（寄り添って）", u"PDT\\FGCT18B.PDT"},
    {u"ちとせ／翌朝（毛布にくるまって）", u"PDT\\FGCT19.PDT"},
});

constexpr std::array<Row, 24> chitoseAllAgesFirst = std::to_array<Row>({
    // 写真部の後輩
    {u"ちとせ／出会い／雪玉の直撃", u"PDT\\FGCT01.PDT"},
    {u"ちとせ／写真部の部室", u"PDT\\FGCT02.PDT"},
    {u"ちとせ／雪景色を撮る(川原)", u"PDT\\FGCT03A.PDT"},
    {u"ちとせ／ファインダー越しの笑顔", u"PDT\\FGCT03B.PDT"},
    {u"ちとせ／ベーカリーの店番", u"PDT\\FGCT04.PDT"},
    {u"ちとせ／焼きたてのメロンパン", u"PDT\\FGCT05.PDT"},
    {u"ちとせ／放課後の商店街", u"PDT\\FGCT06.PDT"},
    {u"ちとせ／雪合戦(宣戦布告)", u"PDT\\FGCT071.PDT"},
    {u"ちとせ／雪合戦(集中砲火)", u"PDT\\FGCT072.PDT"},
    {u"ちとせ／迷子の子猫を探して", u"PDT\\FGCT08.PDT"},
    // 思い出の丘
    {u"ちとせ／幼い日の写真", u"PDT\\FGCT09.PDT"},
    {u"ちとせ／思い出の丘(小さな手)", u"PDT\\FGCT10A.PDT"},
    {u"ちとせ／思い出の丘(あの日と同じ場所)", u"PDT\\FGCT10B.PDT"},
    // コンテスト
    {u"ちとせ／コンテストの締め切り", u"PDT\\FGCT11.PDT"},
    {u"ちとせ／暗室の赤い灯り", u"PDT\\FGCT12.PDT"},
    {u"ちとせ／落選の知らせ", u"PDT\\FGCT13.PDT"},
    {u"ちとせ／雪の中で泣く", u"PDT\\FGCT14.PDT"},
    {u"ちとせ／励まし／屋上の夕焼け", u"PDT\\FGCT15.PDT"},
    {u"ちとせ／告白／思い出の丘(夜)", u"PDT\\FGCT16.PDT"},
    {u"ちとせ／二人だけの撮影会", u"PDT\\FGCT17.PDT"},
    {u"ちとせ／雪あかりの帰り道", u"PDT\\FGCT41.PDT"},
    {u"ちとせ／お店の二階でココア", u"PDT\\FGCT42.PDT"},
    {u"ちとせ／玄関先で手を振る", u"PDT\\FGCT43.PDT"},
    {u"ちとせ／朝の商店街(待ち合わせ)", u"PDT\\FGCT44.PDT"},
});

constexpr std::array<Row, 29> chitoseAdult = joined(chitoseAdultFirst, chitoseEnding);
constexpr std::array<Row, 30> chitoseAllAges = joined(chitoseAllAgesFirst, chitoseEnding);

// 桐原しずく
constexpr std::array<Row, 27> shizukuAdult = std::to_array<Row>({
    // 図書室の先輩
    {u"しずく／図書室の窓辺", u"PDT\\FGSZ01.PDT"},
    {u"しずく／雪を見上げる（中庭）", u"PDT\\FGSZ02.PDT"},
    {u"しずく／貸出カウンター", u"PDT\\FGSZ03.PDT"},
    {u"しずく／放課後の勉強会（図書室）", u"PDT\\FGSZ04A.PDT"},
    {u"しずく／放課後の勉強会（居眠り）", u"PDT\\FGSZ04B.PDT"},
    {u"しずく／合格祈願のお守り", u"PDT\\FGSZ05.PDT"},
    {u"しずく／絵馬に願いを", u"PDT\\FGSZ06.PDT"},
    {u"しずく／桐原家の夕食", u"PDT\\FGSZ07.PDT"},
    // 試験の日々
    {u"しずく／試験の朝（駅のホーム）", u"PDT\\FGSZ08.PDT"},
    {u"しずく／試験会場の前で", u"PDT\\FGSZ09.PDT"},
    {u"しずく／自己採点", u"PDT\\FGSZ10.PDT"},
    {u"しずく／雪の温室", u"PDT\\FGSZ11.PDT"},
    {u"しずく／熱を出して（保健室）", u"PDT\\FGSZ12.PDT"},
    {u"しずく／看病（しずくの部屋）", u"PDT\\FGSZ13.PDT"},
    {u"しずく／言い争い（放課後の図書室）", u"PDT\\FGSZ14.PDT"},
    {u"しずく／雪の中に立ち尽くす", u"PDT\\FGSZ15.PDT"},
    {u"しずく／告白／雪の駅（夜）", u"PDT\\FGSZ16.PDT"},
    {u"しずく／初めて手をつなぐ", u"PDT\\FGSZ17.PDT"},
    {u"しずく／二人きりの夜（しずくの部屋）", u"PDT\\FGSZ18A.PDT"},
    {u"しずく／寄り添う夜（雪明かり）", u"PDT\\FGSZ18B.PDT"},
    {u"しずく／翌朝（窓辺の横顔）", u"PDT\\FGSZ19.PDT"},
    // 卒業と旅立ち
    {u"しずく／合格発表", u"PDT\\FGSZ20.PDT"},
    {u"しずく／卒業式", u"PDT\\FGSZ21.PDT"},
    {u"しずく／旅立ちの駅", u"PDT\\FGSZ22.PDT"},
    {u"しずく／エンディング／雪解けの並木道", u"PDT\\FGSZ23A.PDT"},
    {u"しずく／エンディング／大学の図書館", u"PDT\\FGSZ23B.PDT"},
    {u"しずく／エピローグ／再びの雪", u"PDT\\FGSZ24.PDT"},
});

constexpr std::array<Row, 31> shizukuAllAges = std::to_array<Row>({
    // 図書室の先輩
    {u"しずく／図書室の窓辺", u"PDT\\FGSZ01.PDT"},
    {u"しずく／雪を見上げる(中庭)", u"PDT\\FGSZ02.PDT"},
    {u"しずく／貸出カウンター", u"PDT\\FGSZ03.PDT"},
    {u"しずく／放課後の勉強会(図書室)", u"PDT\\FGSZ04A.PDT"},
    {u"しずく／放課後の勉強会(居眠り)", u"PDT\\FGSZ04B.PDT"},
    {u"しずく／合格祈願のお守り", u"PDT\\FGSZ05.PDT"},
    {u"しずく／絵馬に願いを", u"PDT\\FGSZ06.PDT"},
    {u"しずく／桐原家の夕食", u"PDT\\FGSZ07.PDT"},
    // 試験の日々
    {u"しずく／試験の朝(駅のホーム)", u"PDT\\FGSZ08.PDT"},
    {u"しずく／試験会場の前で", u"PDT\\FGSZ09.PDT"},
    {u"しずく／自己採点", u"PDT\\FGSZ10.PDT"},
    {u"しずく／雪の温室", u"PDT\\FGSZ11.PDT"},
    {u"しずく／雪うさぎを作る(中庭)", u"PDT\\FGSZ41.PDT"},
    {u"しずく／熱を出して(保健室)", u"PDT\\FGSZ12.PDT"},
    {u"しずく／看病(しずくの部屋)", u"PDT\\FGSZ13.PDT"},
    {u"しずく／言い争い(放課後の図書室)", u"PDT\\FGSZ14.PDT"},
    {u"しずく／雪の中に立ち尽くす", u"PDT\\FGSZ15.PDT"},
    {u"しずく／告白／雪の駅(夜)", u"PDT\\FGSZ16.PDT"},
    {u"しずく／初めて手をつなぐ", u"PDT\\FGSZ17.PDT"},
    {u"しずく／雪明かりの帰り道", u"PDT\\FGSZ42.PDT"},
    {u"しずく／駅前のベンチで", u"PDT\\FGSZ43.PDT"},
    {u"しずく／手編みのマフラー", u"PDT\\FGSZ44.PDT"},
    {u"しずく／朝の図書室(二人で)", u"PDT\\FGSZ45.PDT"},
    // 卒業と旅立ち
    {u"しずく／合格発表", u"PDT\\FGSZ20.PDT"},
    {u"しずく／卒業式", u"PDT\\FGSZ21.PDT"},
    {u"しずく／旅立ちの駅", u"PDT\\FGSZ22.PDT"},
    {u"しずく／最後の貸出カード", u"PDT\\FGSZ46.PDT"},
    {u"しずく／エンディング／雪解けの並木道", u"PDT\\FGSZ23A.PDT"},
    {u"しずく／エンディング／大学の図書館", u"PDT\\FGSZ23B.PDT"},
    {u"しずく／エンディング／春の図書室", u"PDT\\FGSZ47.PDT"},
    {u"しずく／エピローグ／再びの雪", u"PDT\\FGSZ24.PDT"},
});

// 朝倉凛
constexpr std::array<Row, 28> rinAdult = std::to_array<Row>({
    // 弓道部の主将
    {u"凛／弓道場の朝", u"PDT\\FGRN01.PDT"},
    {u"凛／矢を放つ瞬間", u"PDT\\FGRN02.PDT"},
    {u"凛／雪の弓道場", u"PDT\\FGRN03.PDT"},
    {u"凛／初射会（晴れ着で射る）", u"PDT\\FGRN04A.PDT"},
    {u"凛／初射会（的中）", u"PDT\\FGRN04B.PDT"},
    {u"凛／寒稽古（早朝）", u"PDT\\FGRN05.PDT"},
    {u"凛／河川敷のランニング", u"PDT\\FGRN06.PDT"},
    {u"凛／肉まんを半分こ", u"PDT\\FGRN07.PDT"},
    {u"凛／クレーンゲームに夢中", u"PDT\\FGRN08.PDT"},
    {u"凛／スケートリンク（尻もち）", u"PDT\\FGRN091.PDT"},
    {u"凛／スケートリンク（手を取って）", u"PDT\\FGRN092.PDT"},
    // 怪我と口論
    {u"凛／怪我（保健室）", u"PDT\\FGRN10.PDT"},
    {u"凛／包帯の手", u"PDT\\FGRN11.PDT"},
    {u"凛／弓を置いた日", u"PDT\\FGRN12.PDT"},
    {u"凛／口論／雨の道場", u"PDT\\FGRN13.PDT"},
    {u"凛／夜の道場で素引き", u"PDT\\FGRN14.PDT"},
    {u"凛／仲直り（雪の帰り道）", u"PDT\\FGRN15.PDT"},
    {u"凛／告白／雪の弓道場（夕方）", u"PDT\\FGRN16.PDT"},
    {u"凛／初めてのデート（駅前）", u"PDT\\FGRN17.PDT"},
    {u"凛／マフラーを巻いてあげる", u"PDT\\FGRN18.PDT"},
    {u"凛／二人きりの夜（凛の部屋）", u"PDT\\FGRN19A.PDT"},
    {u"凛／寄り添う夜（雪の音）", u"PDT\\FGRN19B.PDT"},
    {u"凛／翌朝（照れた横顔）", u"PDT\\FGRN20.PDT"},
    // 復帰と大会
    {u"凛／復帰の一射", u"PDT\\FGRN21.PDT"},
    {u"凛／冬の大会（会場）", u"PDT\\FGRN22.PDT"},
    {u"凛／優勝の瞬間", u"PDT\\FGRN23.PDT"},
    // エンディング
    {u"凛／エンディング／桜の弓道場", u"PDT\\FGRN24A.PDT"},
    {u"凛／エンディング／袴姿の笑顔", u"PDT\\FGRN24B.PDT"},
});

constexpr std::array<Row, 29> rinAllAges = std::to_array<Row>({
    // 弓道部の主将
    {u"凛／弓道場の朝", u"PDT\\FGRN01.PDT"},
    {u"凛／矢を放つ瞬間", u"PDT\\FGRN02.PDT"},
    {u"凛／雪の弓道場", u"PDT\\FGRN03.PDT"},
    {u"凛／初射会(晴れ着で射る)", u"PDT\\FGRN04A.PDT"},
    {u"凛／初射会(的中)", u"PDT\\FGRN04B.PDT"},
    {u"凛／寒稽古(早朝)", u"PDT\\FGRN05.PDT"},
    {u"凛／河川敷のランニング", u"PDT\\FGRN06.PDT"},
    {u"凛／肉まんを半分こ", u"PDT\\FGRN07.PDT"},
    {u"凛／クレーンゲームに夢中", u"PDT\\FGRN08.PDT"},
    {u"凛／スケートリンク(尻もち)", u"PDT\\FGRN091.PDT"},
    {u"凛／スケートリンク(手を取って)", u"PDT\\FGRN092.PDT"},
    // 怪我と口論
    {u"凛／怪我(保健室)", u"PDT\\FGRN10.PDT"},
    {u"凛／包帯の手", u"PDT\\FGRN11.PDT"},
    {u"凛／弓を置いた日", u"PDT\\FGRN12.PDT"},
    {u"凛／口論／雨の道場", u"PDT\\FGRN13.PDT"},
    {u"凛／夜の道場で素引き", u"PDT\\FGRN14.PDT"},
    {u"凛／仲直り(雪の帰り道)", u"PDT\\FGRN15.PDT"},
    {u"凛／告白／雪の弓道場(夕方)", u"PDT\\FGRN16.PDT"},
    {u"凛／初めてのデート(駅前)", u"PDT\\FGRN17.PDT"},
    {u"凛／マフラーを巻いてあげる", u"PDT\\FGRN18.PDT"},
    {u"凛／夕暮れの河川敷", u"PDT\\FGRN41.PDT"},
    {u"凛／朝倉家で手料理", u"PDT\\FGRN42.PDT"},
    {u"凛／門の前で見送り", u"PDT\\FGRN43.PDT"},
    {u"凛／朝の寒稽古(二人で)", u"PDT\\FGRN44.PDT"},
    // 復帰と大会
    {u"凛／復帰の一射", u"PDT\\FGRN21.PDT"},
    {u"凛／冬の大会(会場)", u"PDT\\FGRN22.PDT"},
    {u"凛／優勝の瞬間", u"PDT\\FGRN23.PDT"},
    // エンディング
    {u"凛／エンディング／桜の弓道場", u"PDT\\FGRN24A.PDT"},
    {u"凛／エンディング／袴姿の笑顔", u"PDT\\FGRN24B.PDT"},
});

// 柚木真白
constexpr std::array<Row, 19> mashiroAdult = std::to_array<Row>({
    // 料理部の後輩
    {u"真白／調理室での出会い", u"PDT\\FGMH01.PDT"},
    {u"真白／焦げたクッキー", u"PDT\\FGMH02.PDT"},
    {u"真白／料理部の放課後", u"PDT\\FGMH03.PDT"},
    {u"真白／おしるこを配る（鏡開き）", u"PDT\\FGMH04.PDT"},
    {u"真白／手作りのお弁当（中庭）", u"PDT\\FGMH05.PDT"},
    {u"真白／商店街で買い出し", u"PDT\\FGMH06.PDT"},
    {u"真白／雪道で転ぶ", u"PDT\\FGMH071.PDT"},
    {u"真白／落とした眼鏡", u"PDT\\FGMH072.PDT"},
    // コンテストまで
    {u"真白／コンテストの特訓", u"PDT\\FGMH08.PDT"},
    {u"真白／すれ違い（調理室）", u"PDT\\FGMH09.PDT"},
    {u"真白／雪の中の涙", u"PDT\\FGMH10.PDT"},
    {u"真白／告白／調理室（夕方）", u"PDT\\FGMH11.PDT"},
    {u"真白／二人きりの夜（真白の部屋）", u"PDT\\FGMH12A.PDT"},
    {u"真白／灯りの消えた部屋", u"PDT\\FGMH12B.PDT"},
    {u"真白／翌朝（まどろみ）", u"PDT\\FGMH13.PDT"},
    {u"真白／コンテスト本番", u"PDT\\FGMH14.PDT"},
    {u"真白／優勝のケーキ", u"PDT\\FGMH15.PDT"},
    // エンディング
    {u"真白／エンディング／二人の台所", u"PDT\\FGMH16A.PDT"},
    {u"真白／エピローグ／お花見弁当", u"PDT\\FGMH16B.PDT"},
});

constexpr std::array<Row, 23> mashiroAllAges = std::to_array<Row>({
    // 料理部の後輩
    {u"真白／調理室での出会い", u"PDT\\FGMH01.PDT"},
    {u"真白／焦げたクッキー", u"PDT\\FGMH02.PDT"},
    {u"真白／料理部の放課後", u"PDT\\FGMH03.PDT"},
    {u"真白／エプロンを結んであげる", u"PDT\\FGMH41.PDT"},
    {u"真白／おしるこを配る(鏡開き)", u"PDT\\FGMH04.PDT"},
    {u"真白／手作りのお弁当(中庭)", u"PDT\\FGMH05.PDT"},
    {u"真白／商店街で買い出し", u"PDT\\FGMH06.PDT"},
    {u"真白／雪道で転ぶ", u"PDT\\FGMH071.PDT"},
    {u"真白／落とした眼鏡", u"PDT\\FGMH072.PDT"},
    // コンテストまで
    {u"真白／コンテストの特訓", u"PDT\\FGMH08.PDT"},
    {u"真白／料理部の試食会", u"PDT\\FGMH42.PDT"},
    {u"真白／すれ違い(調理室)", u"PDT\\FGMH09.PDT"},
    {u"真白／雪の中の涙", u"PDT\\FGMH10.PDT"},
    {u"真白／告白／調理室(夕方)", u"PDT\\FGMH11.PDT"},
    {u"真白／雪の公園を散歩", u"PDT\\FGMH43.PDT"},
    {u"真白／柚木家でお茶会", u"PDT\\FGMH44.PDT"},
    {u"真白／おやすみの電話", u"PDT\\FGMH45.PDT"},
    {u"真白／コンテスト本番", u"PDT\\FGMH14.PDT"},
    {u"真白／優勝のケーキ", u"PDT\\FGMH15.PDT"},
    {u"真白／お祝いの鍋パーティー", u"PDT\\FGMH46.PDT"},
    // エンディング
    {u"真白／エンディング／二人の台所", u"PDT\\FGMH16A.PDT"},
    {u"真白／エンディング／商店街の小さな店", u"PDT\\FGMH47.PDT"},
    {u"真白／エピローグ／お花見弁当", u"PDT\\FGMH16B.PDT"},
});

} // namespace events
} // namespace catalogues

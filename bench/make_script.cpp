// Writes the long script the benchmarks open: a novel's worth of scenes in
// the lines the buttons, the menus and the pickers write, with the author's
// Japanese text between them, in code page 932 with CR LF line ends.
// The same arguments always give the same bytes.
//
// usage: make_script <output file> <lines>
#include "document/script_file.h"
#include "catalogues/catalogue.h"
#include "markup/markup.h"
#include "pickers/picker.h"

#include <string>

#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// splitmix64: a fixed sequence on every compiler and library, which the
// standard distributions do not promise.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return std::size_t(next() % n); }
    bool chance(int percent) { return below(100) < std::size_t(percent); }

private:
    std::uint64_t m_state;
};

QStringView view(std::u16string_view s) { return QStringView(s.data(), qsizetype(s.size())); }

// Pieces of the author's prose and dialogue.
constexpr std::u16string_view phrases[] = {
    u"雪が降っていた",       u"駅前の商店街を歩く",   u"吐く息が白い",         u"ゆっくりと振り返る",
    u"教室の窓から校庭を見下ろす", u"何も言えなかった",     u"少しだけ笑ってみせた", u"鞄を肩にかけ直す",
    u"放課後のチャイムが鳴る", u"ストーブの前で手を温める", u"そんなこと、ないよ",   u"ねえ、聞いてる？",
    u"約束、覚えてる？",     u"また明日ね",           u"ごめんなさい",         u"ありがとう",
    u"夕焼けが校舎を染めている", u"足音が近づいてくる",   u"胸の奥が少し痛んだ",   u"手袋を忘れてきた",
    u"屋上の扉は開いていた", u"図書室は静かだった",   u"ページをめくる音だけが響く", u"遠くで電車の音がする",
    u"え？",                 u"うん",                 u"そっか",               u"……",
    u"本当に？",             u"早く行こうよ",         u"待って！",             u"大丈夫だよ",
};

QString prose(Random &random, int maxPieces)
{
    QString text;
    const int pieces = 1 + int(random.below(std::size_t(maxPieces)));
    for (int i = 0; i < pieces; ++i) {
        if (i > 0)
            text.append(u'、');
        text.append(view(phrases[random.below(std::size(phrases))]));
    }
    text.append(u'。');
    return text;
}

class Script
{
public:
    explicit Script(qsizetype lines) : m_target(lines) { m_text.reserve(lines * 24); }

    bool full() const { return m_lines >= m_target; }

    // One whole line, CR LF included; nothing once the script is long enough.
    void line(QStringView text)
    {
        if (full())
            return;
        m_text.append(text);
        m_text.append(u"\r\n");
        ++m_lines;
    }
    // A fragment that ends its own line (a picker's block, a scaffold).
    void fragment(QStringView text)
    {
        if (text.endsWith(u"\r\n"))
            text.chop(2);
        for (QStringView piece : text.split(u"\r\n"))
            line(piece);
    }
    const QString &text() const { return m_text; }

private:
    QString m_text;
    qsizetype m_lines = 0;
    qsizetype m_target;
};

void scene(Script &script, Random &random)
{
    using namespace markup;
    constexpr auto install = InstallType::Adult;
    script.fragment(backgroundHead(view(catalogues::places[random.below(catalogues::places.size() - 1)].name)) +
                    folderTail(install));
    if (random.chance(60))
        script.fragment(bgmTag(view(catalogues::music[random.below(catalogues::music.size())].name)));
    script.line(u"");

    const int beats = 8 + int(random.below(24));
    for (int beat = 0; beat < beats && !script.full(); ++beat) {
        const std::size_t kind = random.below(100);
        if (kind < 30) {
            // A cast member steps in and speaks: the sprite picker's block,
            // then what the author typed into the dialogue skeleton.
            const PickerForm &form = *pickerNamed("Form" + std::to_string(5 + random.below(10)));
            const catalogues::Row &row = form.adult[random.below(form.adult.size())];
            script.fragment(commentLine(view(row.name)));
            script.fragment(actHead(view(row.ref)) + folderTail(install));
            script.line(view(form.speaker->speaker).toString() + QStringLiteral(u"「") + prose(random, 2) +
                        QStringLiteral(u"」<P>"));
        } else if (kind < 55) {
            script.line(QStringLiteral(u"「<INDENT>") + prose(random, 2) + QStringLiteral(u"」</INDENT><P>"));
        } else if (kind < 80) {
            script.line(prose(random, 2) + QStringLiteral(u"<P>"));
        } else if (kind < 85) {
            script.fragment(soundTag(view(catalogues::soundEffects[random.below(catalogues::soundEffects.size())].name)));
        } else if (kind < 87) {
            const catalogues::Row &row = catalogues::events::yuraAdult[random.below(catalogues::events::yuraAdult.size())];
            script.fragment(commentLine(view(row.name)));
            script.fragment(backgroundHead(view(row.ref)) + folderTail(install));
        } else {
            script.line(u"");
        }
    }
    if (random.chance(5))
        script.fragment(sectionScaffold(mainStoryLabel));
    script.line(u"");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3 || std::atol(argv[2]) < 16) {
        std::fputs("usage: make_script <output file> <lines, at least 16>\n", stderr);
        return 2;
    }
    Script script(std::atol(argv[2]));
    script.fragment(view(markup::startingDocument));
    script.fragment(markup::titleCall());
    Random random(20240611);
    while (!script.full())
        scene(script, random);

    // The file ends its last line with CR LF, which the encoder adds.
    QStringView text = script.text();
    text.chop(2);
    const scriptfile::Encoded encoded = scriptfile::encode(text);
    if (encoded.error) {
        std::fprintf(stderr, "make_script: line %lld holds a character code page 932 cannot hold\n",
                     static_cast<long long>(encoded.error->line));
        return 1;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(encoded.bytes) != encoded.bytes.size()) {
        std::fprintf(stderr, "make_script: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

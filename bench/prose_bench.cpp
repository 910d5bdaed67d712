#include "bench/prose_bench.h"

#include "app/main_window.h"
#include "bench/stats.h"
#include "bench/turns.h"
#include "dnml/ui/findings_panel.h"
#include "dnml/ui/highlighter.h"
#include "editor/script_edit.h"
#include "prose/rule_settings.h"
#include "prose/ui/prose_findings.h"
#include "prose/ui/usage_panel.h"
#include "prose/user_list.h"
#include "tests/scripted_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace bench {
namespace {

void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "scrivlet_bench: %s\n", what);
        std::exit(1);
    }
}

double milliseconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

// A window whose dialogs are never asked anything, holding `text`, with
// its journal off and its colours done with lexing ahead: what it does in
// the background shares the event loop and is no part of these figures.
struct Window {
    MainWindow window{std::make_unique<ScriptedDialogs>(std::make_shared<DialogScript>())};

    explicit Window(QStringView text)
    {
        window.text1()->setText(text);
        window.recovery().setJournalling(false);
        const int blocks = window.document().textDocument()->blockCount();
        while (window.highlighter()->lexedLines() < blocks - 1)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
    }
};

// F7 until the panel shows the findings of both kinds; the panel is closed
// again, giving everything up.
// The longest turn is noted by a timer every millisecond: one of no
// interval would keep a core busy that the worker wants.
constexpr int tick = 1;

Turns checkOnce(MainWindow &window, bool close = true)
{
    dnml::FindingsPanel *panel = window.findings();
    const Turns t = timedTurns(
        [&window, panel](QEventLoop &loop) {
            QObject::connect(panel, &dnml::FindingsPanel::checked, &loop, &QEventLoop::quit);
            window.mnu_check_Click();
        },
        tick);
    require(panel->isOpen() && !window.prose()->pending(), "the panel closed before the prose was checked");
    require(panel->findings().empty(), "the check found something in the program's own lines");
    if (close)
        window.mnu_check_Click();
    return t;
}

// The prose's part alone: its source asked to check, as the panel asks it,
// until it hands its findings over.
Turns proseOnce(MainWindow &window)
{
    prose::ProseFindings *source = window.prose();
    const Turns t = timedTurns(
        [source](QEventLoop &loop) {
            QObject::connect(source, &dnml::FindingSource::finished, &loop, &QEventLoop::quit);
            source->start();
        },
        tick);
    source->stop();
    return t;
}

void setProse(MainWindow &window, bool on)
{
    for (QAction *rule : window.prose()->ruleActions())
        if (rule->objectName() != QLatin1String("mnu_prose_punctuation") && rule->isChecked() != on)
            rule->trigger();
}

QStringView firstLines(QStringView text, qsizetype lines)
{
    qsizetype end = 0;
    for (qsizetype line = 0; line < lines; ++line) {
        const qsizetype next = text.indexOf(u"\r\n", end);
        if (next < 0)
            return text;
        end = next + 2;
    }
    return text.first(end - 2);
}

void checkFigures(const QString &expected, int runs)
{
    const qsizetype all = expected.count(u"\r\n") + 1;
    std::vector<qsizetype> sizes{std::min<qsizetype>(5000, all)};
    if (all > sizes.front())
        sizes.push_back(all);
    for (const qsizetype lines : sizes) {
        Window w(firstLines(expected, lines));
        std::vector<double> on, off, longest, alone, aloneLongest;
        for (int run = 0; run < runs; ++run) {
            setProse(w.window, true);
            const Turns t = checkOnce(w.window);
            on.push_back(t.elapsed);
            longest.push_back(t.longestTurn);
            const Turns p = proseOnce(w.window);
            alone.push_back(p.elapsed);
            aloneLongest.push_back(p.longestTurn);
            setProse(w.window, false);
            off.push_back(checkOnce(w.window).elapsed);
        }
        setProse(w.window, true);
        const std::string size = std::to_string(lines) + " lines";
        const double goal = lines < all ? 300 : 10000;
        const Summary s = summarise(on);
        printRow("文章の点検, " + size + ": F7 until every finding shows (baseline: prose off)", show(s, "ms"),
                 show(summarise(off), "ms"), showRatio(summarise(pairRatios(on, off))),
                 "<= " + std::to_string(int(goal)) + " ms", met(s.median <= goal));
        printRow("  its longest turn of the event loop (the markup check's copy of the text included)",
                 show(summarise(longest), "ms"), "-", "-", "-", "-");
        const Summary stall = summarise(aloneLongest);
        printRow("文章の点検 alone, " + size + ": longest turn of the event loop (" +
                     show(summarise(alone), "ms") + " until its findings are in)",
                 show(stall, "ms"), "-", "-", "<= 16 ms", met(stall.median <= 16));
    }
}

// The prose alone on the first 5,000 lines with a writer's list of 100,000
// rules (spellings that mostly stand nowhere, as a large house list would),
// against the same check with no list: read once, then one look-up a word.
void largeListFigure(const QString &expected, int runs)
{
    Window w(firstLines(expected, 5000));
    setProse(w.window, true);
    const QString path = prose::userListPath();
    require(QDir().mkpath(QFileInfo(path).path()), "no settings folder for the list");
    QByteArray list;
    for (int i = 0; i < 100000; ++i)
        list += QStringLiteral(u"誤記%1=正記%1\n").arg(i).toUtf8();
    list += QStringLiteral(u"出来る=できる\n").toUtf8();
    std::vector<double> with, without, longest, reading, readingLongest;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(path);
        without.push_back(proseOnce(w.window).elapsed);
        QFile file(path);
        require(file.open(QIODevice::WriteOnly) && file.write(list) == list.size(), "the list was not written");
        file.close();
        // The first check after the list changed reads it; the figure is of
        // a check as the writer types, with the list read.
        const Turns first = proseOnce(w.window);
        reading.push_back(first.elapsed);
        readingLongest.push_back(first.longestTurn);
        const Turns t = proseOnce(w.window);
        with.push_back(t.elapsed);
        longest.push_back(t.longestTurn);
    }
    QFile::remove(path);
    const Summary s = summarise(with);
    printRow("文章の点検 alone, 5000 lines, a list of 100,000 rules (baseline: no list)", show(s, "ms"),
             show(summarise(without), "ms"), showRatio(summarise(pairRatios(with, without))), "<= 300 ms",
             met(s.median <= 300));
    const Summary stall = summarise(longest);
    printRow("  its longest turn of the event loop", show(stall, "ms"), "-", "-", "<= 16 ms", met(stall.median <= 16));
    const Summary readStall = summarise(readingLongest);
    printRow("  the first check after the list changed, which reads it (" + show(summarise(reading), "ms") +
                 "): its longest turn",
             show(readStall, "ms"), "-", "-", "<= 16 ms", met(readStall.median <= 16));
}

// 使用箇所 with the caret on `what`, until the panel shows the list, and
// the longest turn of the event loop meanwhile; against reading the script
// text alone, which it starts with.
void usageFigure(const QString &expected, const QString &what, const std::string &figure, int runs)
{
    Window w(expected);
    ScriptEdit *text1 = w.window.text1();
    const qsizetype at = expected.indexOf(what, expected.size() / 2);
    require(at >= 0, "nothing to look for in the middle of the script");
    std::vector<double> program, baseline, longest;
    qsizetype found = 0;
    // The panel is made at its first use: made once before the figures.
    text1->setCaret(at + what.size() - 1);
    w.window.mnu_usages_Click();
    prose::UsagePanel *panel = w.window.usages();
    require(panel != nullptr, "no 使用箇所 panel");
    panel->dismiss();
    for (int run = 0; run < runs; ++run) {
        text1->setCaret(at + what.size() - 1);
        QCoreApplication::processEvents();
        const Turns t = timedTurns(
            [&w, panel](QEventLoop &loop) {
                // Queued: a short script is listed before the loop runs.
                QObject::connect(panel, &prose::UsagePanel::listed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
                w.window.mnu_usages_Click();
            },
            tick);
        program.push_back(t.elapsed);
        longest.push_back(t.longestTurn);
        found = qsizetype(panel->uses().size());
        require(found > 1, "使用箇所 found nothing");
        panel->dismiss();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        const QString text = text1->text();
        baseline.push_back(milliseconds(timer));
        require(text.size() == expected.size(), "the copy is not the script");
    }
    const Summary s = summarise(program);
    printRow(figure + " (" + std::to_string(found) + " lines; baseline: the script text read)", show(s, "ms"),
             show(summarise(baseline), "ms"), showRatio(summarise(pairRatios(program, baseline))), "<= 200 ms",
             met(s.median <= 200));
    const Summary stall = summarise(longest);
    printRow("  its longest turn of the event loop", show(stall, "ms"), "-", "-", "<= 16 ms", met(stall.median <= 16));
}

} // namespace

void proseFigures(const QString &path, const QString &expected, int runs)
{
    Q_UNUSED(path);
    checkFigures(expected, runs);
    largeListFigure(expected, runs);
    usageFigure(expected, QStringLiteral(u"\r\nゆら "), "使用箇所, a speaker: Ctrl+Shift+U until listed", runs);
    usageFigure(expected, QStringLiteral(u"<!--- \" しずく／"), "使用箇所, a picture: Ctrl+Shift+U until listed", runs);
    // Two lines of 250,000 characters, each naming the music 10,000 times.
    QString heavy = QStringLiteral(u"<BGM SRC=\"ふたりの時間\">　").repeated(10000);
    heavy += QString(250000 - heavy.size(), u'あ');
    usageFigure(heavy + QStringLiteral(u"\r\n") + heavy + QStringLiteral(u"\r\n<BGM SRC=\"ふたりの時間\">"),
                QStringLiteral(u"SRC=\"ふたりの時"), "使用箇所, two heavy lines: Ctrl+Shift+U until listed", runs);
}

void proseCheckForPeak(MainWindow &window)
{
    setProse(window, true);
    checkOnce(window, false);
}

ProseRulesOff::ProseRulesOff()
    : m_were(prose::loadRules())
{
    prose::Rules off;
    off.on = {false, false, false};
    prose::saveRules(off);
}

ProseRulesOff::~ProseRulesOff()
{
    prose::saveRules(m_were);
}

} // namespace bench

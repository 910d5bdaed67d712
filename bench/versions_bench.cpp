// The versions' figures, through the real window on the offscreen
// platform: a save of the long script with versions kept against one
// without, the list of 50 versions, and the comparison of two versions of
// 5,000 lines and of the whole script, with the longest the window went
// without answering meanwhile. Called by bench.cpp as the group "versions".
#include "app/main_window.h"
#include "bench/stats.h"
#include "editor/script_edit.h"
#include "tests/scripted_dialogs.h"
#include "versions/store.h"
#include "versions/ui/history.h"
#include "versions/ui/versions_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

namespace {

void require(bool ok, const char *what)
{
    if (ok)
        return;
    std::fprintf(stderr, "scrivlet_bench: versions: %s\n", what);
    std::exit(1);
}

double since(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

struct Window {
    std::shared_ptr<DialogScript> dialogs = std::make_shared<DialogScript>();
    MainWindow window{std::make_unique<ScriptedDialogs>(dialogs)};
    versions::History &history() { return window.history(); }
};

// Runs the event loop until `signal` of `sender` comes; returns the
// longest turn of the loop meanwhile, in ms (a zero timer notes each turn).
template <typename Sender, typename Signal>
double waitFor(Sender *sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QTimer turns;
    turns.setInterval(0);
    QElapsedTimer turn;
    double longest = 0;
    QObject::connect(&turns, &QTimer::timeout, [&] {
        longest = std::max(longest, since(turn));
        turn.restart();
    });
    QTimer::singleShot(120'000, &loop, [] { require(false, "waited two minutes"); });
    turn.start();
    turns.start();
    loop.exec();
    return longest;
}

// The script with every hundredth line changed, `n` telling the versions
// apart.
QString changed(QStringView text, int n)
{
    QStringList lines = text.toString().split(QStringLiteral("\r\n"));
    for (qsizetype i = n % 100; i < lines.size(); i += 100)
        lines[i] += QStringLiteral(u"改%1").arg(n);
    return lines.join(QStringLiteral("\r\n"));
}

QString firstLines(QStringView text, qsizetype lines)
{
    qsizetype at = -2;
    for (qsizetype line = 0; line < lines && at != -1; ++line)
        at = text.indexOf(u"\r\n", at + 2);
    return (at < 0 ? text : text.first(at)).toString();
}

void saveFigure(const QString &path, int runs)
{
    QTemporaryDir folder;
    Window on, off;
    off.history().setKeeping(false);
    for (Window *w : {&on, &off}) {
        w->dialogs->openPath = path;
        w->dialogs->savePath = folder.filePath(w == &on ? QStringLiteral("on.dnml") : QStringLiteral("off.dnml"));
        w->window.mnu_open_Click();
    }
    std::vector<double> program, baseline, kept;
    for (int run = 0; run <= runs; ++run) {
        // Each save has something new to keep.
        for (Window *w : {&on, &off}) {
            w->window.text1()->setCaret(w->window.text1()->length() / 2);
            w->window.text1()->insert(QStringLiteral(u"あ"));
        }
        for (Window *w : {&on, &off}) {
            QCoreApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            require(w->window.mnu_save_Click(), "a save failed");
            const double saved = since(timer);
            w->history().keeper().waitForDisk();
            // The first save of each window writes a new file: not counted.
            if (run > 0)
                (w == &on ? program : baseline).push_back(saved);
            if (run > 0 && w == &on)
                kept.push_back(since(timer) - saved);
        }
    }
    require(versions::Store().list(on.dialogs->savePath).versions.size() == std::size_t(runs + 1),
            "not every save kept a version");
    const bench::Summary ratio = bench::summarise(bench::pairRatios(program, baseline));
    bench::printRow("save, versions kept (baseline: not kept)", bench::show(bench::summarise(program), "ms"),
                    bench::show(bench::summarise(baseline), "ms"), bench::showRatio(ratio), "<= 1.1x",
                    bench::met(ratio.median <= 1.1));
    bench::printRow("context: the version written on its worker after a save",
                    bench::show(bench::summarise(kept), "ms"), "-", "-", "-", "-");
}

// Opens the list of `path`'s versions in a window that has the file open,
// until its rows are shown; in ms.
double openList(Window &w)
{
    QElapsedTimer timer;
    timer.start();
    w.history().showList();
    versions::VersionsDialog *list = w.history().list();
    require(list, "the list did not open");
    waitFor(list, &versions::VersionsDialog::listed);
    list->repaint();
    return since(timer);
}

// Compares the version in row `row` with the one `against` rows below it.
double compareOnce(versions::VersionsDialog *list, int row, int against, double &longestTurn)
{
    auto *rows = list->findChild<QTreeWidget *>(QStringLiteral("versionList"));
    auto *with = list->findChild<QComboBox *>(QStringLiteral("comparedWith"));
    rows->setCurrentItem(rows->topLevelItem(row));
    waitFor(list, &versions::VersionsDialog::compared);
    QElapsedTimer timer;
    timer.start();
    with->setCurrentIndex(row + against + 1);  // the first choice is the text as it is now
    longestTurn = waitFor(list, &versions::VersionsDialog::compared);
    list->repaint();
    return since(timer);
}

// 50 versions of the file `name` in `folder`: `text` with every hundredth
// line changed each time.
QString fiftyVersions(const QTemporaryDir &folder, const QString &name, const QString &text, int versions = 50)
{
    const QString file = folder.filePath(name);
    versions::Store store;
    for (int n = 0; n < versions; ++n)
        require(!store.keep(file, changed(text, n), versions::Kind::Saved).error, "a version was not kept");
    QFile written(file);
    require(written.open(QIODevice::WriteOnly) && written.write(scriptfile::encode(changed(text, 49)).bytes) > 0,
            "the file was not written");
    return file;
}

void listAndComparisonFigures(const QString &expected, int runs)
{
    QTemporaryDir folder;
    const QString shortText = firstLines(expected, 5000);
    const QString shortFile = fiftyVersions(folder, QStringLiteral("5000.dnml"), shortText);
    Window w;
    w.dialogs->openPath = shortFile;
    w.window.mnu_open_Click();
    std::vector<double> listed, compared, turns;
    for (int run = 0; run < runs; ++run) {
        listed.push_back(openList(w));
        versions::VersionsDialog *list = w.history().list();
        require(list->entries().size() == 50, "the list does not hold the 50 versions");
        double turn = 0;
        compared.push_back(compareOnce(list, run % 10, 1 + run % 7, turn));
        list->close();
        QCoreApplication::processEvents();
    }
    const bench::Summary shown = bench::summarise(listed);
    bench::printRow("versions: the list of 50 until shown", bench::show(shown, "ms"), "-", "-", "<= 100 ms",
                    bench::met(shown.median <= 100));
    const bench::Summary small = bench::summarise(compared);
    bench::printRow("versions: two versions of 5,000 lines compared and shown", bench::show(small, "ms"), "-", "-",
                    "<= 100 ms", bench::met(small.median <= 100));

    // The whole script: two versions of it, every hundredth line changed.
    const QString longFile = fiftyVersions(folder, QStringLiteral("long.dnml"), expected, 2);
    Window big;
    big.dialogs->openPath = longFile;
    big.window.mnu_open_Click();
    openList(big);
    versions::VersionsDialog *list = big.history().list();
    compared.clear();
    for (int run = 0; run < runs; ++run) {
        double turn = 0;
        compared.push_back(compareOnce(list, run % 2, 0 == run % 2 ? 1 : -1, turn));
        turns.push_back(turn);
    }
    const bench::Summary large = bench::summarise(compared);
    bench::printRow("versions: two versions of " + std::to_string(expected.count(u"\r\n") + 1) +
                        " lines compared and shown",
                    bench::show(large, "ms"), "-", "-", "<= 2000 ms", bench::met(large.median <= 2000));
    const bench::Summary stall = bench::summarise(turns);
    bench::printRow("versions: longest turn of the event loop meanwhile", bench::show(stall, "ms"), "-", "-",
                    "<= 16 ms", bench::met(stall.median <= 16));
}

} // namespace

void versionsFigures(const QString &path, const QString &expected, int runs)
{
    saveFigure(path, runs);
    listAndComparisonFigures(expected, runs);
}

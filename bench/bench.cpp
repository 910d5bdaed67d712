// The figures timed inside the process, through the real windows on the
// offscreen platform: open, save, insertion, keystrokes, picker, memory,
// colours, the check, the outline, search, the asset palette and completion,
// and the context rows. Program and baseline runs alternate; each figure prints one
// row of the results table (see stats.h).
//
// usage: scrivlet_bench <script file> <runs>
//        scrivlet_bench --peak program|baseline|check|outline|replace|prose <script file>
//            (one process of a memory figure: prints its peak resident
//            set in kB; "check" opens the script and runs the check,
//            "outline" opens it and shows the outline panel, "prose"
//            opens it and runs the check with the prose rules on,
//            "replace" opens it and replaces all through the search bar)
#include "app/main_window.h"
#include "assets/ui/completion.h"
#include "assets/ui/palette.h"
#include "editor/script_edit.h"
#include "document/script_file.h"
#include "bench/prose_bench.h"
#include "bench/stats.h"
#include "bench/turns.h"
#include "dnml/ui/findings_panel.h"
#include "dnml/ui/highlighter.h"
#include "outline/ui/outline_panel.h"
#include "markup/markup.h"
#include "pickers/picker.h"
#include "recovery/recovery.h"
#include "search/ui/search_bar.h"
#include "tests/scripted_dialogs.h"

#include <QApplication>
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

// bench/versions_bench.cpp
void versionsFigures(const QString &path, const QString &expected, int runs);

namespace {

using bench::Summary;
using bench::summarise;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "scrivlet_bench: %s\n", what);
    std::exit(1);
}

void check(bool ok, const char *what)
{
    if (!ok)
        fail(what);
}

double milliseconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

// The program with its dialogs answered: the open and save dialogs with
// the paths the figure sets, every question with Yes; a warning means the
// figure measured a failure.
struct Program {
    std::shared_ptr<DialogScript> dialogs = [] {
        auto script = std::make_shared<DialogScript>();
        script->onWarning = [](const QString &message) {
            std::fprintf(stderr, "scrivlet_bench: the program warned: %s\n", qPrintable(message));
            std::exit(1);
        };
        return script;
    }();
    MainWindow window{std::make_unique<ScriptedDialogs>(dialogs)};
};

// The toolkit's own editor, the size of the program's, bare but for one
// setting that Text1 has too: the vertical scroll bar always shown. Left
// to appear with a long text, it narrows the view, and the editor then lays
// every line out afresh, keeping a layout object per line: a quarter of a
// second and some 180 MB for the long script, which would flatter the
// program.
struct Baseline {
    QMainWindow window;
    QPlainTextEdit *edit = new QPlainTextEdit;

    Baseline()
    {
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        window.setCentralWidget(edit);
        window.resize(656, 548);
        edit->setPlainText(QString::fromUtf16(markup::startingDocument.data(), qsizetype(markup::startingDocument.size())));
        window.show();
    }

    void open(const QString &path)
    {
        QFile file(path);
        check(file.open(QIODevice::ReadOnly), "the baseline cannot read the script");
        const QByteArray bytes = file.readAll();
        QStringDecoder decoder("windows-31j");
        edit->setPlainText(decoder(bytes));
    }

    void save(const QString &path)
    {
        QStringEncoder encoder("windows-31j");
        const QByteArray bytes = encoder(edit->toPlainText());
        QSaveFile file(path);
        check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit(),
              "the baseline cannot save");
    }
};

// Lets the windows finish what the last step queued (layout, painting),
// outside the timed span, so that it is not charged to the next one.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "cannot read a file back");
    return file.readAll();
}

// One row of a figure measured against its baseline: the ratio's median
// must not exceed `goal`.
void printRatioRow(const char *figure, const std::vector<double> &program, const std::vector<double> &baseline,
                   const char *unit, double goal)
{
    const Summary ratio = summarise(bench::pairRatios(program, baseline));
    char goalText[32];
    std::snprintf(goalText, sizeof goalText, "<= %gx", goal);
    bench::printRow(figure, bench::show(summarise(program), unit), bench::show(summarise(baseline), unit),
                    bench::showRatio(ratio), goalText, bench::met(ratio.median <= goal));
}

void openFigure(const QString &path, int runs, const QString &expected)
{
    std::vector<double> program, baseline;
    for (int run = 0; run < runs; ++run) {
        {
            Program p;
            p.dialogs->openPath = path;
            settle();
            QElapsedTimer timer;
            timer.start();
            p.window.mnu_open_Click();
            program.push_back(milliseconds(timer));
            check(p.window.textChanged() && p.window.text1()->caret() == 0 &&
                      p.window.text1()->length() == expected.size(),
                  "open left the text, the caret or the flag wrong");
            if (run == 0)
                check(p.window.text1()->text() == expected, "open did not put the script in place");
        }
        settle();
        {
            Baseline b;
            settle();
            QElapsedTimer timer;
            timer.start();
            b.open(path);
            baseline.push_back(milliseconds(timer));
        }
        settle();
    }
    printRatioRow("open", program, baseline, "ms", 1.15);
}

void saveFigure(const QString &path, int runs, const QString &expected)
{
    QTemporaryDir folder;
    check(folder.isValid(), "no temporary folder");
    Program p;
    p.dialogs->openPath = path;
    p.dialogs->savePath = folder.filePath(QStringLiteral("program.dnml"));
    p.window.mnu_open_Click();
    Baseline b;
    b.edit->setPlainText(expected);
    const QString baselineFile = folder.filePath(QStringLiteral("baseline.dnml"));
    settle();

    std::vector<double> program, baseline;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const bool saved = p.window.mnu_save_Click();
        program.push_back(milliseconds(timer));
        check(saved && !p.window.textChanged(), "save did not write the script");
        if (run == 0)
            check(fileBytes(p.dialogs->savePath) == fileBytes(path), "save did not give back the file it opened");
        settle();

        timer.start();
        b.save(baselineFile);
        baseline.push_back(milliseconds(timer));
        settle();
    }
    printRatioRow("save", program, baseline, "ms", 1.2);
}

// The first `lines` lines of the script.
QStringView firstLines(QStringView text, qsizetype lines)
{
    qsizetype at = 0;
    for (qsizetype line = 1; line < lines; ++line) {
        at = text.indexOf(u"\r\n", at);
        if (at < 0)
            return text;
        at += 2;
    }
    const qsizetype end = text.indexOf(u"\r\n", at);
    return end < 0 ? text : text.first(end);
}

qsizetype lineCount(QStringView text) { return text.count(u"\r\n") + 1; }

// Form5's block, as its OK writes it for the first row (the comment, the
// tag and the speaker's name), in one insertion.
void insertSpriteBlock(MainWindow &window)
{
    const PickerForm &form = *pickerNamed("Form5");
    writeRow(form, form.adult, 0, window);
}

void insertionFigure(const QString &expected, int runs)
{
    const qsizetype total = lineCount(expected);
    const qsizetype sizes[] = {std::min<qsizetype>(10'000, total), std::min<qsizetype>(100'000, total), total};
    std::vector<std::unique_ptr<Program>> windows;
    for (qsizetype lines : sizes) {
        auto p = std::make_unique<Program>();
        p->window.text1()->setText(firstLines(expected, lines));
        p->window.text1()->setCaret(p->window.text1()->length() / 2);
        windows.push_back(std::move(p));
    }
    settle();

    // The block goes in at the middle of each text in turn, so that the
    // sizes share whatever the machine is doing.
    const int blocks = 10 * runs;
    std::vector<double> times[3];
    for (int block = 0; block < blocks; ++block) {
        for (std::size_t i = 0; i < 3; ++i) {
            ScriptEdit *text1 = windows[i]->window.text1();
            const qsizetype before = text1->length();
            QElapsedTimer timer;
            timer.start();
            insertSpriteBlock(windows[i]->window);
            times[i].push_back(milliseconds(timer));
            check(text1->length() > before, "the block did not go in");
            settle();
        }
    }
    const auto label = [](qsizetype lines) { return "insertion, " + std::to_string(lines) + " lines"; };
    for (std::size_t i = 0; i < 2; ++i)
        bench::printRow(label(sizes[i]), bench::show(summarise(times[i]), "ms"), "-", "-", "-", "-");
    // The largest text against the smallest, block by block.
    const Summary largest = summarise(times[2]);
    const Summary growth = summarise(bench::pairRatios(times[2], times[0]));
    bench::printRow(label(sizes[2]), bench::show(largest, "ms"),
                    bench::show(summarise(times[0]), "ms") + " at " + std::to_string(sizes[0]) + " lines",
                    bench::showRatio(growth), "< 1 ms, <= 2x", bench::met(largest.median < 1 && growth.median <= 2));
}

// One typed character at the caret, until the editor has taken it.
double keystroke(ScriptEdit *text1)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral(u"あ"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QStringLiteral(u"あ"));
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::sendEvent(text1, &press);
    QCoreApplication::sendEvent(text1, &release);
    return milliseconds(timer);
}

// A keystroke in the middle of the opened script with the recovery journal
// on, against one in a window with it off. The first keystroke after the
// open, which starts the journal's copy of the text, is shown on its own.
void journalKeystrokeFigure(const QString &path, int runs)
{
    Program on, off;
    recovery::Recovery *recovery = &on.window.recovery();
    off.window.recovery().setJournalling(false);
    for (Program *p : {&on, &off}) {
        p->dialogs->openPath = path;
        p->window.mnu_open_Click();
        p->window.text1()->setCaret(p->window.text1()->length() / 2);
    }
    settle();
    const double first = keystroke(on.window.text1());
    const double firstOff = keystroke(off.window.text1());
    // The journal copies the text a slice at a time: time the keystrokes
    // that come after.
    while (!recovery->journal().active())
        settle();
    std::vector<double> program, baseline;
    for (int stroke = 0; stroke < 10 * runs; ++stroke) {
        program.push_back(keystroke(on.window.text1()));
        settle();
        baseline.push_back(keystroke(off.window.text1()));
        settle();
    }
    recovery->journal().waitForDisk();
    check(on.window.text1()->length() == off.window.text1()->length(), "the keystrokes did not all go in");
    printRatioRow("keystroke, journal on vs off", program, baseline, "ms", 1.1);
    bench::printRow("keystroke, first after open", bench::show({first, first, first}, "ms"),
                    bench::show({firstOff, firstOff, firstOff}, "ms") + " journal off", "-", "-", "-");
}

void pickerFigure(int runs)
{
    Program p;
    settle();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        p.window.launch(*pickerNamed("Form5"));
        QCoreApplication::processEvents();
        times.push_back(milliseconds(timer));
        Picker *form5 = p.window.picker(*pickerNamed("Form5"));
        check(form5 && form5->isVisible() && form5->findChild<PickerCombo *>(QStringLiteral("Combo1"))->count() == 110,
              "the launcher did not show Form5 with its 110 rows");
        form5->close();
        settle();
        check(!p.window.picker(*pickerNamed("Form5")), "Form5 stayed open");
    }
    const Summary s = summarise(times);
    bench::printRow("picker", bench::show(s, "ms"), "-", "-", "< 15 ms", bench::met(s.median < 15));
}

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    check(status.open(QIODevice::ReadOnly), "cannot read /proc/self/status");
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    fail("no VmHWM in /proc/self/status");
}

void peakFigure(const char *figure, const char *program, const char *baseline, const QString &path, int runs,
                double goal);

// The colours and the check: the program with colours on against itself
// with colours off, and the check through its panel.
void paintText(MainWindow &window)
{
    window.text1()->viewport()->repaint();
}

void setColours(MainWindow &window, bool on)
{
    QAction *colours = window.findChild<QAction *>(QStringLiteral("mnu_colours"));
    if (colours->isChecked() != on)
        colours->trigger();
    paintText(window);
}

// A new window set up by `prepare` opens the script: the time until the
// first paint, in ms.
double openAndPaint(const QString &path, const std::function<void(MainWindow &)> &prepare)
{
    Program p;
    p.dialogs->openPath = path;
    prepare(p.window);
    settle();
    QElapsedTimer timer;
    timer.start();
    p.window.mnu_open_Click();
    paintText(p.window);
    return milliseconds(timer);
}

void pressKey(QWidget *target, int key, Qt::KeyboardModifiers modifiers, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

void colourFigures(const QString &path, int runs)
{
    // Open until the first paint of the text, colours on and off in turn.
    std::vector<double> on, off;
    for (int run = 0; run < runs; ++run) {
        for (bool colours : {true, false})
            (colours ? on : off).push_back(openAndPaint(path, [colours](MainWindow &w) { setColours(w, colours); }));
        settle();
    }
    printRatioRow("open with colours on (baseline: off), to the first paint", on, off, "ms", 1.05);

    // Keystrokes at mid-script and their repaints, in a window with colours
    // and one without, 50 keys at a time in turn.
    struct PaintWatch : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    };
    std::unique_ptr<Program> windows[2];
    PaintWatch painted[2];
    for (int i = 0; i < 2; ++i) {
        windows[i] = std::make_unique<Program>();
        Program &w = *windows[i];
        w.dialogs->openPath = path;
        setColours(w.window, i == 0);
        w.window.mnu_open_Click();
        ScriptEdit *text1 = w.window.text1();
        text1->viewport()->installEventFilter(&painted[i]);
        text1->setCaret(text1->length() / 2);
        text1->ensureCursorVisible();
        paintText(w.window);
    }
    settle();
    on.clear();
    off.clear();
    for (int run = 0; run < 10 * runs; ++run) {
        for (int i = 0; i < 2; ++i) {
            ScriptEdit *text1 = windows[i]->window.text1();
            QElapsedTimer timer;
            timer.start();
            for (int key = 0; key < 50; ++key) {
                pressKey(text1, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                // Until every repaint the keystroke asked for is done,
                // through the event loop: one at least, then a round
                // without one.
                painted[i].count = 0;
                int before = -1;
                while (painted[i].count == 0 || painted[i].count != before) {
                    before = painted[i].count;
                    QCoreApplication::processEvents();
                }
            }
            (i == 0 ? on : off).push_back(milliseconds(timer) / 50);
            settle();
        }
    }
    printRatioRow("keystroke at mid-script and its repaint, colours on (baseline: off)", on, off, "ms", 1.2);
    for (int i = 0; i < 2; ++i)
        windows[i]->window.text1()->viewport()->removeEventFilter(&painted[i]);
    windows[1].reset();

    Program &p = *windows[0];
    ScriptEdit *text1 = p.window.text1();

    // Ctrl+End from the top after a new line there (which drops every line
    // state below), until the end is painted.
    on.clear();
    off.clear();
    for (int run = 0; run < runs; ++run) {
        for (bool colours : {true, false}) {
            setColours(p.window, colours);
            text1->setCaret(0);
            text1->insert(u"\r\n");
            pressKey(text1, Qt::Key_Home, Qt::ControlModifier);
            paintText(p.window);
            settle();
            QElapsedTimer timer;
            timer.start();
            pressKey(text1, Qt::Key_End, Qt::ControlModifier);
            paintText(p.window);
            (colours ? on : off).push_back(milliseconds(timer));
            check(text1->caret() == text1->length(), "Ctrl+End did not reach the end");
        }
    }
    const Summary jump = summarise(on);
    bench::printRow("Ctrl+End and the first paint there, colours on", bench::show(jump, "ms"),
                    bench::show(summarise(off), "ms") + " colours off", "-", "<= 100 ms", bench::met(jump.median <= 100));
}

// From F7 until the panel shows the findings, waiting in the event loop
// while the worker checks.
double checkOnce(MainWindow &window, bool clean = true)
{
    auto *panel = window.findings();
    QEventLoop loop;
    QObject::connect(panel, &dnml::FindingsPanel::checked, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    window.mnu_check_Click();
    loop.exec();
    const double ms = milliseconds(timer);
    check(panel->isOpen() && (!clean || panel->findings().empty()), "the check found something in the program's own lines");
    window.mnu_check_Click();
    return ms;
}

void checkFigures(const QString &path, const QString &expected, int runs)
{
    // The markup's check alone: the prose has figures of its own.
    const bench::ProseRulesOff markupAlone;
    {
        Program p;
        p.dialogs->openPath = path;
        p.window.mnu_open_Click();
        settle();
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            times.push_back(checkOnce(p.window));
            settle();
        }
        const Summary whole = summarise(times);
        bench::printRow("the whole check, F7 until the findings show", bench::show(whole, "ms"), "-", "-", "<= 500 ms",
                        bench::met(whole.median <= 500));
    }
    peakFigure("memory with the check (baseline: open alone)", "check", "program", path, runs, 1.1);

    // The window closed while the check of the long script runs: from the
    // close until the window is gone.
    {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            auto p = std::make_unique<Program>();
            p->dialogs->openPath = path;
            p->window.mnu_open_Click();
            settle();
            p->window.mnu_check_Click();
            // The check is well under way on its worker.
            QThread::msleep(60);
            QElapsedTimer timer;
            timer.start();
            p.reset();
            times.push_back(milliseconds(timer));
        }
        const Summary closing = summarise(times);
        bench::printRow("the window closed during the whole check", bench::show(closing, "ms"), "-", "-", "<= 100 ms",
                        bench::met(closing.median <= 100));
    }

    // A keystroke with the panel open, and the findings it brings, in a
    // script of a million findings (a line of a million "<") against one of
    // none: the longest turn of the event loop from the key until the
    // findings are shown again.
    {
        std::vector<double> many, none;
        for (const bool findings : {true, false}) {
            Program p;
            p.window.text1()->setText(QString(1'000'000, findings ? u'<' : u'あ'));
            p.window.text1()->setCaret(500'000);
            p.window.mnu_check_Click();
            auto *panel = p.window.findings();
            QEventLoop settled;
            QObject::connect(panel, &dnml::FindingsPanel::checked, &settled, &QEventLoop::quit);
            settled.exec();
            for (int run = 0; run < runs; ++run)
                (findings ? many : none).push_back(bench::timedTurns([&](QEventLoop &loop) {
                    QObject::connect(panel, &dnml::FindingsPanel::checked, &loop, &QEventLoop::quit);
                    pressKey(p.window.text1(), Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                }).longestTurn);
        }
        const Summary a = summarise(many);
        const Summary b = summarise(none);
        bench::printRow("keystroke and its findings: longest turn, 1 M findings (baseline: none)", bench::show(a, "ms"),
                        bench::show(b, "ms"), "-", "<= 16 ms more", bench::met(a.median - b.median <= 16));
    }

    // Typing in a 3,000-line script with the panel open.
    Program p;
    p.window.text1()->setText(firstLines(expected, 3000));
    p.window.text1()->setCaret(p.window.text1()->length() / 2);
    auto *panel = p.window.findings();
    checkOnce(p.window);
    p.window.mnu_check_Click();
    QEventLoop loop;
    QObject::connect(panel, &dnml::FindingsPanel::checked, &loop, &QEventLoop::quit);
    loop.exec();
    std::vector<double> times;
    for (int run = 0; run < 3 * runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        pressKey(p.window.text1(), Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        loop.exec();
        times.push_back(milliseconds(timer));
    }
    const Summary typing = summarise(times);
    bench::printRow("3,000 lines: last keystroke to updated findings", bench::show(typing, "ms"), "-", "-",
                    "<= 300 ms", bench::met(typing.median <= 300));
}

// Every "が" of the long script (some 100,000) becomes "ガ", through the bar.
constexpr char16_t replacedText[] = u"が";
constexpr char16_t replacementText[] = u"ガ";

qsizetype replaceAllThroughTheBar(MainWindow &window)
{
    SearchBar *bar = window.searchBar();
    bar->showReplace();
    bar->findChild<QLineEdit *>(QStringLiteral("replace_text"))->setText(QString::fromUtf16(replacementText));
    bar->setSearchText(QString::fromUtf16(replacedText));
    bar->replaceAll();
    check(bar->message().endsWith(QStringLiteral(u"件置換しました")), "replace all replaced nothing");
    return bar->message().section(u' ', 0, 0).toLongLong();
}

// The outline panel: from Ctrl+Shift+O until it shows the survey of the
// text, and the longest turn of the event loop meanwhile (a zero timer
// notes each turn). The panel is closed again unless told not to, giving
// its survey up.
using OutlineTimes = bench::Turns;
OutlineTimes outlineOnce(MainWindow &window, bool close = true);

int peakChild(const QString &which, const QString &path)
{
    if (which == u"baseline") {
        Baseline b;
        settle();
        b.open(path);
        settle();
    } else {
        Program p;
        p.dialogs->openPath = path;
        settle();
        p.window.mnu_open_Click();
        settle();
        if (which == u"check") {
            checkOnce(p.window);
        } else if (which == u"prose") {
            bench::proseCheckForPeak(p.window);
        } else if (which == u"outline") {
            outlineOnce(p.window, false);
        } else if (which == u"replace") {
            replaceAllThroughTheBar(p.window);
            settle();
        }
    }
    // The high-water mark stays where it was when the window is gone.
    std::printf("%ld\n", peakKilobytes());
    return 0;
}

double peakOf(const char *which, const QString &path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--peak"), QLatin1String(which), path});
    check(child.waitForFinished(120'000) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
          "a memory process failed");
    bool ok = false;
    const double kilobytes = child.readAllStandardOutput().trimmed().toDouble(&ok);
    check(ok, "a memory process printed no figure");
    return kilobytes / 1024;
}

// Peak memory of processes doing `program` against ones doing `baseline`
// (see peakChild), alternating.
void peakFigure(const char *figure, const char *program, const char *baseline, const QString &path, int runs,
                double goal)
{
    std::vector<double> programPeaks, baselinePeaks;
    for (int run = 0; run < runs; ++run) {
        programPeaks.push_back(peakOf(program, path));
        baselinePeaks.push_back(peakOf(baseline, path));
    }
    printRatioRow(figure, programPeaks, baselinePeaks, "MB", goal);
}

// Search figures, through the bar of a window holding the long script.
void findNextFigure(const QString &path, int runs)
{
    Program p;
    p.dialogs->openPath = path;
    p.window.mnu_open_Click();
    ScriptEdit *text1 = p.window.text1();
    // A word found nowhere else, on the last line; its first letter has two
    // cases to look for.
    const QString word = QStringLiteral(u"Zephyrの目印");
    text1->setCaret(text1->length());
    text1->insert(word);
    const qsizetype lastLine = text1->length() - word.size();
    SearchBar *bar = p.window.searchBar();
    bar->showFind();
    bar->setSearchText(word);
    settle();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        text1->setCaret(0);
        settle();
        QElapsedTimer timer;
        timer.start();
        bar->findNext();
        times.push_back(milliseconds(timer));
        check(text1->selectionStart() == lastLine && text1->selectionLength() == word.size(),
              "find next did not select the word on the last line");
        settle();
    }
    const Summary s = summarise(times);
    bench::printRow("find next, only match on the last line", bench::show(s, "ms"), "-", "-", "<= 50 ms",
                    bench::met(s.median <= 50));
}

void countFigure(const QString &path, int runs)
{
    Program p;
    p.dialogs->openPath = path;
    p.window.mnu_open_Click();
    ScriptEdit *text1 = p.window.text1();
    SearchBar *bar = p.window.searchBar();
    bar->showFind();
    settle();
    std::vector<double> times, longest, afterEdit;
    for (int run = 0; run < runs; ++run) {
        // An edit in the middle: the search must read the script again
        // from there, at once, because find-as-you-type needs it.
        text1->setCaret(text1->length() / 2);
        text1->insert(u"x");
        bar->setSearchText(QString());
        settle();
        QElapsedTimer timer;
        timer.start();
        bar->setSearchText(QStringLiteral("<P>"));
        afterEdit.push_back(milliseconds(timer));
        // Then the count, from the event loop: from the keystroke that
        // makes the pattern until it shows, with the longest time the
        // event loop was held by one slice meanwhile.
        bar->setSearchText(QString());
        settle();
        timer.start();
        bar->setSearchText(QStringLiteral("<P>"));
        double held = 0;
        while (!bar->counted()) {
            QElapsedTimer slice;
            slice.start();
            QCoreApplication::processEvents();
            held = std::max(held, milliseconds(slice));
        }
        times.push_back(milliseconds(timer));
        longest.push_back(held);
        check(bar->countText().contains(u'/'), "the count did not show");
        settle();
    }
    const Summary s = summarise(times);
    const Summary held = summarise(longest);
    bench::printRow("count of \"<P>\" (" + bar->countText().section(u'/', -1).trimmed().toStdString() + ")",
                    bench::show(s, "ms"), "-", "-", "<= 300 ms", bench::met(s.median <= 300));
    bench::printRow("count: longest slice of the event loop", bench::show(held, "ms"), "-", "-", "<= 16 ms",
                    bench::met(held.max <= 16));
    bench::printRow("context: first search keystroke after an edit in the middle", bench::show(summarise(afterEdit), "ms"),
                    "-", "-", "-", "-");
}

void replaceAllFigure(const QString &path, const QString &expected, int runs)
{
    Program p;
    p.dialogs->openPath = path;
    std::vector<double> times;
    qsizetype replaced = 0;
    for (int run = 0; run < runs; ++run) {
        p.window.text1()->setText(expected);
        p.window.text1()->document()->clearUndoRedoStacks();
        settle();
        QElapsedTimer timer;
        timer.start();
        replaced = replaceAllThroughTheBar(p.window);
        times.push_back(milliseconds(timer));
        check(!p.window.text1()->text().contains(QString::fromUtf16(replacedText)), "a match was left");
        if (run == 0) {
            p.window.text1()->undo();
            check(p.window.text1()->text() == expected, "undo did not give the script back");
        }
        settle();
    }
    const Summary s = summarise(times);
    bench::printRow("replace all (" + std::to_string(replaced) + " matches)",
                    bench::show(s, "ms"), "-", "-", "<= 2000 ms, 1 undo step", bench::met(s.median <= 2000));
}

// One typed character ("a") at the caret, until the editor has taken it
// and handled what it set going: marks, painting, the panels' timers.
double keystrokeHandled(ScriptEdit *text1)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::sendEvent(text1, &press);
    QCoreApplication::sendEvent(text1, &release);
    QCoreApplication::processEvents();
    return milliseconds(timer);
}

// One typed character in the middle of the script: with the bar open and
// its matches marked, against a window whose bar is closed.
void searchKeystrokeFigure(const QString &path, int runs)
{
    Program open, closed;
    for (Program *p : {&open, &closed}) {
        p->dialogs->openPath = path;
        p->window.mnu_open_Click();
        p->window.text1()->setCaret(p->window.text1()->length() / 2);
    }
    open.window.searchBar()->showFind();
    open.window.searchBar()->setSearchText(QStringLiteral("<P>"));
    while (!open.window.searchBar()->counted())
        QCoreApplication::processEvents();
    for (Program *p : {&open, &closed})
        p->window.focusText();
    settle();
    check(!open.window.text1()->extraSelections().isEmpty(), "no match is marked");
    std::vector<double> program, baseline;
    for (int run = 0; run < 10 * runs; ++run) {
        program.push_back(keystrokeHandled(open.window.text1()));
        baseline.push_back(keystrokeHandled(closed.window.text1()));
    }
    printRatioRow("keystroke, bar open with marks", program, baseline, "ms", 1.2);
}

// An empty line of its own before the line holding `offset`, the caret on it.
void newLineAt(ScriptEdit *text1, qsizetype offset)
{
    text1->setCaret(offset);
    QTextCursor cursor = text1->textCursor();
    cursor.movePosition(QTextCursor::StartOfBlock);
    text1->setTextCursor(cursor);
    text1->insert(u"\r\n");
    text1->setCaret(text1->caret() - 2);
}

// The asset palette and completion in a window holding the long script.
void assetFigures(const QString &path, int runs)
{
    // The recovery journal's first copy of the text, a slice per turn of
    // the event loop, would land in the keystrokes timed here.
    Program p;
    p.window.recovery().setJournalling(false);
    p.dialogs->openPath = path;
    p.window.mnu_open_Click();
    ScriptEdit *text1 = p.window.text1();
    assets::Palette *palette = p.window.palette();
    auto *field = palette->findChild<QLineEdit *>(QStringLiteral("paletteField"));
    auto *rows = palette->findChild<QTreeView *>(QStringLiteral("paletteList"));
    QAction *item = p.window.findChild<QAction *>(QStringLiteral("mnu_palette"));
    settle();

    // Ctrl+P until the palette is shown with its rows painted.
    struct PaintSeen : QObject {
        bool seen = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            seen = seen || event->type() == QEvent::Paint;
            return false;
        }
    } painted;
    rows->viewport()->installEventFilter(&painted);
    std::vector<double> opening, filtering;
    const QString typed = QStringLiteral(u"ゆら／こーと・正面・笑顔");
    for (int run = 0; run < runs; ++run) {
        painted.seen = false;
        QElapsedTimer timer;
        timer.start();
        item->trigger();
        while (!painted.seen && timer.elapsed() < 1000)
            QCoreApplication::processEvents();
        opening.push_back(milliseconds(timer));
        check(palette->isVisible() && rows->model()->rowCount() > 700, "the palette did not show every row");
        settle();
        // Each keystroke narrows all the rows again: typing a name, then
        // taking it back.
        for (QChar c : typed) {
            timer.start();
            pressKey(field, Qt::Key_unknown, Qt::NoModifier, QString(c));
            filtering.push_back(milliseconds(timer));
        }
        check(rows->model()->rowCount() > 0 && rows->model()->rowCount() < 20, "typing did not narrow the rows");
        for (qsizetype i = 0; i < typed.size(); ++i) {
            timer.start();
            pressKey(field, Qt::Key_Backspace, Qt::NoModifier);
            filtering.push_back(milliseconds(timer));
        }
        pressKey(field, Qt::Key_Escape, Qt::NoModifier);
        settle();
    }
    rows->viewport()->removeEventFilter(&painted);
    const Summary open = summarise(opening);
    bench::printRow("palette: Ctrl+P until shown", bench::show(open, "ms"), "-", "-", "<= 50 ms",
                    bench::met(open.median <= 50));
    const Summary filter = summarise(filtering);
    bench::printRow("palette: a keystroke filtering all rows", bench::show(filter, "ms"), "-", "-", "<= 2 ms",
                    bench::met(filter.median <= 2));

    // In the middle of the script, on a line of its own: the quote of
    // <ACT NAME="人" SRC=" until the list of all 385 sprites is shown under
    // it.
    auto *completion = p.window.findChild<assets::Completion *>(QStringLiteral("completion"));
    text1->setFocus();
    std::vector<double> listed;
    double first = 0;
    for (int run = 0; run < 5 * runs; ++run) {
        newLineAt(text1, text1->length() / 2);
        for (QChar c : QStringLiteral(u"<ACT NAME=\"人\" SRC="))
            pressKey(text1, Qt::Key_unknown, Qt::NoModifier, QString(c));
        settle();
        QElapsedTimer timer;
        timer.start();
        pressKey(text1, Qt::Key_QuoteDbl, Qt::NoModifier, QStringLiteral("\""));
        while (!completion->isShown() && timer.elapsed() < 1000)
            QCoreApplication::processEvents();
        (run == 0 ? first : listed.emplace_back()) = milliseconds(timer);
        check(completion->isShown() && completion->list()->model()->rowCount() > 300, "no sprites under SRC=\"");
        pressKey(text1, Qt::Key_Escape, Qt::NoModifier);
        settle();
    }
    const Summary shown = summarise(listed);
    bench::printRow("completion: the keystroke that calls for a list until it shows", bench::show(shown, "ms"),
                    bench::show({first, first, first}, "ms") + " the first after the open", "-", "<= 16 ms",
                    bench::met(shown.median <= 16));

}

// Keystrokes in prose, where no list is called for, each until the events
// it set going are done (painting included), against a window whose
// completion is taken off Text1, as before there was one.
void completionKeystrokeFigure(const QString &path, int runs)
{
    Program with, plain;
    for (Program *p : {&with, &plain}) {
        p->window.recovery().setJournalling(false);
        p->dialogs->openPath = path;
        p->window.mnu_open_Click();
        newLineAt(p->window.text1(), p->window.text1()->length() / 3);
        p->window.text1()->setFocus();
    }
    ScriptEdit *text1 = with.window.text1();
    ScriptEdit *without = plain.window.text1();
    auto *completion = with.window.findChild<assets::Completion *>(QStringLiteral("completion"));
    auto *detached = plain.window.findChild<assets::Completion *>(QStringLiteral("completion"));
    without->removeEventFilter(detached);
    QObject::disconnect(without, nullptr, detached, nullptr);
    settle();
    const auto keystroke = [](ScriptEdit *edit) {
        QElapsedTimer timer;
        timer.start();
        pressKey(edit, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::processEvents();
        return milliseconds(timer);
    };
    std::vector<double> on, off;
    for (int stroke = 0; stroke < 20 * runs; ++stroke) {
        // Which window goes first changes from one to the next.
        for (int turn = 0; turn < 2; ++turn) {
            settle();
            if ((stroke + turn) % 2 == 0)
                on.push_back(keystroke(text1));
            else
                off.push_back(keystroke(without));
        }
    }
    check(!completion->isShown(), "a list showed in prose");
    printRatioRow("keystroke calling for no list, completion on (baseline: off)", on, off, "ms", 1.05);
}

OutlineTimes outlineOnce(MainWindow &window, bool close)
{
    const OutlineTimes times = bench::timedTurns([&window](QEventLoop &loop) {
        window.mnu_outline_Click();
        QObject::connect(window.outline(), &outline::OutlinePanel::surveyed, &loop, &QEventLoop::quit);
    });
    outline::OutlinePanel *panel = window.outline();
    check(panel->survey() && panel->survey()->lines.size() == std::size_t(window.document().lineCount()),
          "the panel does not show the survey of the whole script");
    if (close)
        panel->dismiss();
    return times;
}

// Lets the window's other work in the background end first, so that a
// figure sees the panel's alone: the journal is off, and the colours have
// lexed every line ahead.
void waitForColours(MainWindow &window)
{
    // The colours keep a state per block, and a long line is several.
    const int lines = window.document().textDocument()->blockCount();
    while (window.highlighter()->lexedLines() < lines - 1)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void quiet(MainWindow &window)
{
    window.recovery().setJournalling(false);
    waitForColours(window);
    settle();
}

void outlineFigures(const QString &path, const QString &expected, int runs)
{
    std::vector<double> longest;
    const qsizetype all = lineCount(expected);
    for (const qsizetype lines : {std::min<qsizetype>(5000, all), all}) {
        Program p;
        p.window.text1()->setText(firstLines(expected, lines));
        quiet(p.window);
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            const OutlineTimes t = outlineOnce(p.window);
            times.push_back(t.elapsed);
            longest.push_back(t.longestTurn);
            settle();
        }
        const double goal = lines < all ? 30 : 1000;
        const Summary s = summarise(times);
        bench::printRow("outline, stage and counts, " + std::to_string(lines) + " lines: Ctrl+Shift+O until shown",
                        bench::show(s, "ms"), "-", "-", "<= " + std::to_string(int(goal)) + " ms",
                        bench::met(s.median <= goal));
    }
    // Each run's longest turn; the machine's other work can stretch any one.
    const Summary stall = summarise(longest);
    bench::printRow("outline: longest turn of the event loop meanwhile", bench::show(stall, "ms"), "-", "-",
                    "<= 16 ms", bench::met(stall.median <= 16));

    // Typing in the middle of the long script, the panel open and surveyed.
    Program open, closed;
    for (Program *p : {&open, &closed}) {
        p->dialogs->openPath = path;
        p->window.mnu_open_Click();
        p->window.text1()->setCaret(p->window.text1()->length() / 2);
    }
    outlineOnce(open.window, false);
    for (Program *p : {&open, &closed})
        p->window.focusText();
    settle();
    std::vector<double> program, baseline;
    for (int run = 0; run < 10 * runs; ++run) {
        program.push_back(keystrokeHandled(open.window.text1()));
        baseline.push_back(keystrokeHandled(closed.window.text1()));
    }
    check(open.window.outline()->isOpen(), "the panel closed");
    printRatioRow("keystroke, outline panel open (baseline: closed)", program, baseline, "ms", 1.05);
    peakFigure("memory with the outline panel (baseline: open alone)", "outline", "program", path, runs, 1.1);
}

// Context: the floor under the open figure, and the system's converter.
void contextRows(const QString &path, int runs)
{
    std::vector<double> load, iconv;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const scriptfile::Loaded loaded = scriptfile::load(path);
        load.push_back(milliseconds(timer));
        check(!loaded.error && loaded.script.firstBadLine == 0, "the script does not read back");

        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        timer.start();
        process.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP932"), QStringLiteral("-t"),
                                                QStringLiteral("UTF-8"), path});
        const bool done = process.waitForFinished(60'000);
        iconv.push_back(milliseconds(timer));
        check(done && process.exitCode() == 0, "iconv failed on the script");
    }
    bench::printRow("context: read + decode (scriptfile::load)", bench::show(summarise(load), "ms"), "-", "-", "-",
                    "-");
    bench::printRow("context: iconv -f CP932 -t UTF-8", bench::show(summarise(iconv), "ms"), "-", "-", "-", "-");
}

// --- The writing surface and long lines -------------------------------

// Keys typed at the caret, each until every repaint it asked for is done
// through the event loop; the time of one key, in ms.
double keysAndRepaints(ScriptEdit *text1, int keys)
{
    struct PaintWatch : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } painted;
    text1->viewport()->installEventFilter(&painted);
    QElapsedTimer timer;
    timer.start();
    for (int key = 0; key < keys; ++key) {
        pressKey(text1, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        painted.count = 0;
        int before = -1;
        while (painted.count == 0 || painted.count != before) {
            before = painted.count;
            QCoreApplication::processEvents();
        }
    }
    text1->viewport()->removeEventFilter(&painted);
    return milliseconds(timer) / keys;
}

// Ten keys a run in the middle of whatever Text1 shows, each with its
// repaints, against the frame of 16 ms.
void keystrokeRow(const char *figure, ScriptEdit *text1, int runs)
{
    std::vector<double> keys;
    for (int run = 0; run < 10 * runs; ++run)
        keys.push_back(keysAndRepaints(text1, 1));
    const Summary s = summarise(keys);
    bench::printRow(figure, bench::show(s, "ms"), "-", "-", "<= 16 ms", bench::met(s.median <= 16));
}

// The CPU the process uses, in clock ticks, while its event loop runs for
// `ms` with nothing to do.
// The CPU time of every thread of this process so far, in clock ticks.
long processTicks()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    check(stat.open(QIODevice::ReadOnly), "cannot read /proc/self/stat");
    const QList<QByteArray> fields = stat.readAll().split(' ');
    return fields.value(13).toLong() + fields.value(14).toLong();  // utime, stime
}

long idleTicks(int ms)
{
    settle();
    const long before = processTicks();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return processTicks() - before;
}

void setView(MainWindow &window, bool on)
{
    for (const char *name : {"mnu_wrap", "mnu_line_numbers"}) {
        QAction *action = window.findChild<QAction *>(QLatin1String(name));
        if (action->isChecked() != on)
            action->trigger();
    }
    paintText(window);
}

// A script written elsewhere: the first `lines` lines of the long script,
// each ending in LF alone.
QString loneLineFeedScript(const QString &expected, qsizetype lines)
{
    QString text = firstLines(expected, lines).toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString path = QDir::temp().filePath(QStringLiteral("scrivlet-bench-lf.dnml"));
    QFile file(path);
    check(file.open(QIODevice::WriteOnly) && file.write(scriptfile::encode(text).bytes) > 0, "cannot write the LF script");
    return path;
}

// A file of one line of 10 MB: the long script's text without its line
// breaks, as many times as it takes, cut to 10,000,000 bytes.
QString oneLineScript(const QString &expected)
{
    QString once = expected;
    once.remove(QStringLiteral("\r\n"));
    constexpr qsizetype bytes = 10'000'000;
    const qsizetype times = bytes / scriptfile::encode(once).bytes.size() + 1;
    QString text = once.repeated(times);
    const QByteArray all = scriptfile::encode(text).bytes;
    text.truncate(qsizetype(double(text.size()) * double(bytes) / double(all.size())));
    const QString path = QDir::temp().filePath(QStringLiteral("scrivlet-bench-one-line.dnml"));
    QFile file(path);
    check(file.open(QIODevice::WriteOnly) && file.write(scriptfile::encode(text).bytes) > 0, "cannot write the one-line script");
    return path;
}

// A keystroke in the middle of one line of `length` characters of the
// script's own text, between two short lines.
void lineOfLength(const QString &expected, qsizetype length, const char *figure, int runs)
{
    QString once = expected;
    once.remove(QStringLiteral("\r\n"));
    const QString text = QStringLiteral(u"前の行\r\n") + once.mid(100'000, length) + QStringLiteral(u"\r\n後の行");
    Program p;
    p.window.text1()->setText(text);
    ScriptEdit *text1 = p.window.text1();
    text1->setCaret(5 + length / 2);
    paintText(p.window);
    settle();
    keystrokeRow(figure, text1, runs);
}

// Opening, typing, the journal, the check and idling on a single line of 10 MB.
void longLineFigures(const QString &expected, int runs)
{
    // The markup's check alone, as in the check's own rows.
    const bench::ProseRulesOff markupAlone;
    static_assert(ScriptDocument::cutAbove == 4096, "the row names the longest line left whole");
    lineOfLength(expected, ScriptDocument::cutAbove, "keystroke, the longest line left whole (4,096 characters)", runs);
    lineOfLength(expected, 20'000, "keystroke, one line of 20,000 characters", runs);
    const QString path = oneLineScript(expected);
    Program p;
    p.dialogs->openPath = path;
    QElapsedTimer timer;
    timer.start();
    p.window.mnu_open_Click();
    paintText(p.window);
    const double open = milliseconds(timer);
    ScriptEdit *text1 = p.window.text1();
    check(text1->script().lineCount() == 1, "the one-line script is not one line");
    bench::printRow("open, one line of 10 MB, to the first paint", bench::show({open, open, open}, "ms"), "-", "-", "-",
                    "-");
    text1->setCaret(text1->length() / 2);
    paintText(p.window);
    // The first keystroke starts the journal's copy of the text.
    recovery::Journal &journal = p.window.recovery().journal();
    keysAndRepaints(text1, 1);
    while (!journal.active())
        settle();
    journal.waitForDisk();
    settle();
    keystrokeRow("keystroke, one line of 10 MB", text1, runs);
    // From a keystroke until the journal file has grown by it.
    std::vector<double> journalled;
    for (int run = 0; run < runs; ++run) {
        journal.waitForDisk();
        const qint64 before = QFileInfo(journal.path()).size();
        timer.restart();
        pressKey(text1, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        while (QFileInfo(journal.path()).size() == before) {
            check(timer.elapsed() < 60'000, "the journal did not grow within a minute");
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        journalled.push_back(milliseconds(timer));
    }
    const Summary disk = summarise(journalled);
    bench::printRow("journal on disk after a keystroke, one line of 10 MB", bench::show(disk, "ms"), "-", "-",
                    "<= 2000 ms", bench::met(disk.max <= 2000));
    std::vector<double> checks;
    for (int run = 0; run < runs; ++run)
        checks.push_back(checkOnce(p.window, false));
    bench::printRow("the whole check, one line of 10 MB", bench::show(summarise(checks), "ms"), "-", "-", "-", "-");
    waitForColours(p.window);
    journal.waitForDisk();
    const long ticks = idleTicks(5000);
    bench::printRow("CPU over 5 s idle, one line of 10 MB", std::to_string(ticks) + " ticks", "-", "-", "0 ticks",
                    bench::met(ticks == 0));
    QFile::remove(path);
}

void surfaceFigures(const QString &path, const QString &expected, int runs)
{
    // Open with wrapping on against off, to the first paint.
    {
        std::vector<double> on, off;
        for (int run = 0; run < runs; ++run)
            for (const bool wrap : {true, false})
                (wrap ? on : off).push_back(openAndPaint(path, [wrap](MainWindow &w) { setView(w, wrap); }));
        printRatioRow("open with wrapping on (baseline: off), to the first paint", on, off, "ms", 1.15);
    }
    // A keystroke at line 275,000 with the status bar, line numbers and
    // wrapping on, against them off.
    {
        std::unique_ptr<Program> windows[2];
        for (int i = 0; i < 2; ++i) {
            windows[i] = std::make_unique<Program>();
            windows[i]->dialogs->openPath = path;
            windows[i]->window.mnu_open_Click();
            setView(windows[i]->window, i == 0);
            ScriptEdit *text1 = windows[i]->window.text1();
            text1->showLine(275'000);
            paintText(windows[i]->window);
        }
        settle();
        std::vector<double> on, off;
        for (int run = 0; run < 10 * runs; ++run)
            for (int i = 0; i < 2; ++i) {
                (i == 0 ? on : off).push_back(keysAndRepaints(windows[i]->window.text1(), 20));
                settle();
            }
        printRatioRow("keystroke at line 275,000, line numbers and wrapping on (baseline: off)", on, off, "ms", 1.1);
        // Idle means after the work an open leaves for the background: the
        // colours lex every line ahead once, so that a jump finds them known.
        const long before = processTicks();
        for (const auto &program : windows)
            waitForColours(program->window);
        bench::printRow("context: the colours lexing ahead after the last keystroke, both windows",
                        std::to_string(processTicks() - before) + " ticks", "-", "-", "-", "-");
        const long ticks = idleTicks(5000);
        bench::printRow("CPU over 5 s idle, caret in the 550,000-line script", std::to_string(ticks) + " ticks", "-",
                        "-", "0 ticks", bench::met(ticks == 0));
    }
    // 5,000 lines whose lone LF breaks are kept as they are.
    {
        Program p;
        p.dialogs->openPath = loneLineFeedScript(expected, 5000);
        p.dialogs->answers = {false};
        p.window.mnu_open_Click();
        ScriptEdit *text1 = p.window.text1();
        text1->showOffset(text1->length() / 2);
        paintText(p.window);
        settle();
        keystrokeRow("keystroke, 5,000 lines of lone LF breaks kept", text1, runs);
        const long ticks = idleTicks(5000);
        bench::printRow("CPU over 5 s idle, 5,000 lines of lone LF breaks", std::to_string(ticks) + " ticks", "-", "-",
                        "0 ticks", bench::met(ticks == 0));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Recovery journals go to a folder of the benchmark's own, never the user's.
    QTemporaryDir data;
    check(data.isValid(), "no temporary folder");
    if (argc != 4)
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    if (argc == 4 && std::string_view(argv[1]) == "--peak")
        return peakChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fputs("usage: scrivlet_bench <script file> <runs>\n"
                   "       scrivlet_bench --peak program|baseline|check|outline|replace|prose <script file>\n",
                   stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int runs = std::atoi(argv[2]);
    const scriptfile::Loaded loaded = scriptfile::load(path);
    check(!loaded.error && loaded.script.firstBadLine == 0, "the script cannot be read");
    const QString &expected = loaded.script.text;
    std::fprintf(stderr, "scrivlet_bench: %lld lines, %lld runs per figure\n",
                 static_cast<long long>(lineCount(expected)), static_cast<long long>(runs));

    // BENCH_ONLY=search (or colours, check, outline, journal, assets, surface, longline, versions, prose,
    // picker) runs that group alone.
    const QByteArray only = qgetenv("BENCH_ONLY");
    const auto group = [&only](const char *name) { return only.isEmpty() || only == name; };
    if (only.isEmpty()) {
        openFigure(path, runs, expected);
        saveFigure(path, runs, expected);
    }
    if (group("picker"))
        insertionFigure(expected, runs);
    if (group("journal"))
        journalKeystrokeFigure(path, runs);
    if (group("picker"))
        pickerFigure(runs);
    if (only.isEmpty())
        peakFigure("memory", "program", "baseline", path, runs, 1.2);
    if (group("colours"))
        colourFigures(path, runs);
    if (group("check"))
        checkFigures(path, expected, runs);
    if (group("assets")) {
        assetFigures(path, runs);
        completionKeystrokeFigure(path, runs);
    }
    if (group("outline"))
        outlineFigures(path, expected, runs);
    if (group("prose")) {
        bench::proseFigures(path, expected, runs);
        peakFigure("memory with the 文章 check (baseline: open alone)", "prose", "program", path, runs, 1.2);
    }
    if (group("search")) {
        findNextFigure(path, runs);
        countFigure(path, runs);
        replaceAllFigure(path, expected, runs);
        peakFigure("memory, replace all against open", "replace", "program", path, runs, 1.3);
        searchKeystrokeFigure(path, runs);
    }
    if (group("surface"))
        surfaceFigures(path, expected, runs);
    if (group("longline"))
        longLineFigures(expected, runs);
    if (group("versions"))
        versionsFigures(path, expected, runs);
    if (only.isEmpty())
        contextRows(path, runs);
    return 0;
}

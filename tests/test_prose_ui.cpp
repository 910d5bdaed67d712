// The prose check and 使用箇所 through the real main window on the
// offscreen platform: the findings among the check's, F8 onto them, the
// unify step as one undo step, the rules' switches remembered, the run
// that gives up a text that changed under it, and the list of uses by keys.
#include "editor.h"
#include "dnml/ui/findings_panel.h"
#include "prose/ui/prose_findings.h"
#include "prose/ui/unify_dialog.h"
#include "prose/ui/usage_panel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

QString script(const QStringList &lines) { return lines.join(u"\r\n"_s); }

// ゆら says 私 twice and あたし once; a ！ wants a space after it.
const QString voices =
    script({u"ゆら 「私は行く」<P>"_s, u"ゆら 「私も」<P>"_s, u"雪が降る！白い。<P>"_s, u"ゆら 「あたしは？」<P>"_s});

struct Window {
    Editor editor;
    dnml::FindingsPanel *panel = editor.window->findings();

    explicit Window(const QString &text)
    {
        editor.text()->setText(text);
        QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }

    // F7, and the findings of the text as it is.
    void check() const
    {
        QSignalSpy checked(panel, &dnml::FindingsPanel::checked);
        press(Qt::Key_F7);
        QVERIFY(checked.wait(10000));
    }

    QString title() const { return panel->findChild<QLabel *>(u"findingsTitle"_s)->text(); }
};

} // namespace

class TestProseUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void f8WaitsForTheProseAndLandsOnIt();
    void unifyingIsOneUndoStep();
    void unifyingChangesOnlyTheTickedPlaces();
    void rulesAreSwitchedAndRemembered();
    void aRunGivesUpATextThatChanged();
    void theWritersListIsReadAtEachCheck();
    void usesByKeys();
    void usesOfALongScriptComeFromTheWorker();
};

void TestProseUi::f8WaitsForTheProseAndLandsOnIt()
{
    Window w(voices + u"\r\n<BGM SRC=\"ありえない曲\">"_s);
    w.editor.text()->setCaret(0);
    QSignalSpy checked(w.panel, &dnml::FindingsPanel::checked);
    // At once, before any finding has come: the move waits for both kinds.
    w.press(Qt::Key_F7);
    w.press(Qt::Key_F8);
    QVERIFY(checked.wait(10000));
    QCOMPARE(w.editor.text()->caret(), voices.indexOf(u"あたし"_s));
    QCOMPARE(QApplication::focusWidget(), w.editor.text());
    QCOMPARE(w.title(), u"検査結果: 2 件"_s);
    // The check's own finding follows, in the order of the text.
    w.press(Qt::Key_F8);
    QCOMPARE(w.editor.text()->caret(), w.editor.text()->text().indexOf(u"ありえない"_s));
}

void TestProseUi::unifyingIsOneUndoStep()
{
    const QString text =
        script({u"出来る。"_s, u"ゆら 「出来た？」<P>"_s, u"できる。『できる男』"_s, u"できない。"_s, u"できた。"_s});
    Window w(text);
    w.editor.text()->setCaret(0);
    w.check();
    auto *unify = w.panel->findChild<QPushButton *>(u"proseUnify"_s);
    // The first row is current: the word's only finding.
    QVERIFY(unify && unify->isEnabled());
    w.press(Qt::Key_F8);
    QCOMPARE(w.editor.text()->caret(), text.indexOf(u"出来る。"_s));
    QVERIFY(unify->isEnabled());
    // Alt+T from the script, the shortcut of the button.
    w.press(Qt::Key_T, Qt::AltModifier);
    prose::UnifyDialog *dialog = nullptr;
    // The button is pressed as a click would, a moment later.
    QTRY_VERIFY((dialog = w.editor.window->findChild<prose::UnifyDialog *>(u"unifyDialog"_s)) && dialog->isVisible());
    auto *spellings = dialog->findChild<QListWidget *>(u"unifySpellings"_s);
    auto *changes = dialog->findChild<QTreeWidget *>(u"unifyChanges"_s);
    // The most used spelling is chosen, and its places shown before anything is written.
    QCOMPARE(spellings->currentItem()->text(), u"「できる」 3件"_s);
    QTRY_COMPARE(changes->topLevelItemCount(), 2);
    QCOMPARE(changes->topLevelItem(1)->text(0), u"2"_s);
    QCOMPARE(changes->topLevelItem(1)->text(1), u"ゆら 「出来た？」<P>"_s);
    QCOMPARE(changes->topLevelItem(1)->text(2), u"ゆら 「できた？」<P>"_s);
    QCOMPARE(w.editor.text()->text(), text);
    // Another spelling: its own places.
    QTest::keyClick(spellings, Qt::Key_Down);
    QTRY_COMPARE(changes->topLevelItemCount(), 3);
    QCOMPARE(changes->topLevelItem(0)->text(1), u"できる。『できる男』"_s);
    QCOMPARE(changes->topLevelItem(0)->text(2), u"出来る。『できる男』"_s);
    QCOMPARE(changes->topLevelItem(1)->text(2), u"出来ない。"_s);
    // Back to できる; the first place unticked by Space, and Return writes the rest.
    QTest::keyClick(spellings, Qt::Key_Up);
    QTRY_COMPARE(changes->topLevelItemCount(), 2);
    changes->setFocus();
    QTest::keyClick(changes, Qt::Key_Space);
    QCOMPARE(changes->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QSignalSpy changed(w.editor.text(), &ScriptEdit::contentChanged);
    QTest::keyClick(changes, Qt::Key_Return);
    QCOMPARE(changed.size(), 1);
    QTRY_VERIFY(!w.editor.window->findChild<prose::UnifyDialog *>(u"unifyDialog"_s));
    const QString unified =
        script({u"出来る。"_s, u"ゆら 「できた？」<P>"_s, u"できる。『できる男』"_s, u"できない。"_s, u"できた。"_s});
    QCOMPARE(w.editor.text()->text(), unified);
    // The focus is back in the script at the place written: Ctrl+Z takes it all back.
    QTRY_COMPARE(QApplication::focusWidget(), w.editor.text());
    QCOMPARE(w.editor.text()->caret(), text.indexOf(u"出来た"_s));
    w.press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.editor.text()->text(), text);
    w.press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.editor.text()->text(), unified);
}

// Random scenes of words written two ways among words that share their
// reading but not their lemma: unifying one word to a spelling changes
// exactly the places of its other spelling that stay ticked, and one undo
// gives the text back as it was.
void TestProseUi::unifyingChangesOnlyTheTickedPlaces()
{
    struct Family {
        QString before, after;  // around the word
        QString spellings[2];
    };
    const Family families[] = {
        {u"今日は"_s, u"。"_s, {u"出来る"_s, u"できる"_s}},
        {u"空が"_s, u"だ。"_s, {u"綺麗"_s, u"きれい"_s}},
        {u"とても"_s, u"。"_s, {u"嬉しい"_s, u"うれしい"_s}},
        {QString(), u"好きだ。"_s, {u"一番"_s, u"いちばん"_s}},
    };
    // Words of another lemma, some read as one of the families' words, and
    // text that is no prose: never written.
    const QStringList others = {u"鐘が鳴る。"_s,       u"大人になる。"_s, u"ため息をつく。"_s,      u"駅に着く。"_s,
                                u"「ちょっといい？」"_s, u"そう言う。"_s,   u"『出来る男』を読む。"_s, u"<!-- できる -->"_s};
    prose::Reader words;
    prose::Reader lemmas(prose::Dictionary::UniDic);
    QVERIFY(words.ok() && lemmas.ok());
    Window w{QString()};
    ScriptEdit *edit = w.editor.text();
    QRandomGenerator random(32);
    int unifiedRounds = 0;
    for (int round = 0; round < 40; ++round) {
        const Family &family = families[random.bounded(int(std::size(families)))];
        const int target = random.bounded(2);
        QString text;
        std::vector<prose::Replacement> model;  // the other spelling's places
        int uses = 0;                           // of either spelling
        const int lines = 2 + random.bounded(12);
        for (int line = 0; line < lines; ++line) {
            if (line > 0)
                text += u"\r\n"_s;
            for (int part = 1 + random.bounded(3); part > 0; --part) {
                if (random.bounded(3) == 0) {
                    text += others[random.bounded(int(others.size()))];
                    continue;
                }
                const int spelling = random.bounded(2);
                ++uses;
                text += family.before;
                if (spelling != target)
                    model.push_back({text.size(), family.spellings[spelling].size(), family.spellings[target]});
                text += family.spellings[spelling] + family.after;
            }
        }
        const prose::Result result = prose::check(text, words, &lemmas, {}, {});
        const auto group = std::find_if(result.groups.begin(), result.groups.end(), [&family](const auto &g) {
            return std::any_of(g.spellings.begin(), g.spellings.end(),
                               [&family](const auto &s) { return s.text == family.spellings[0]; });
        });
        // A group exactly when both spellings are used.
        QCOMPARE(group != result.groups.end(), !model.empty() && uses > int(model.size()));
        if (group == result.groups.end())
            continue;
        QCOMPARE(group->spellings.size(), std::size_t(2));
        const prose::Unified unified = prose::unify(text, words, &lemmas, *group, family.spellings[target]);
        QCOMPARE(unified.replacements, model);
        std::vector<prose::Replacement> ticked;
        for (const prose::Replacement &r : model)
            if (random.bounded(3) != 0)
                ticked.push_back(r);
        QString expected = text;
        for (auto r = ticked.rbegin(); r != ticked.rend(); ++r)
            expected.replace(r->offset, r->length, r->text);
        edit->setText(text);
        prose::replaceInScript(*edit, ticked);
        QCOMPARE(edit->text(), expected);
        if (!ticked.empty()) {
            edit->undo();
            QCOMPARE(edit->text(), text);
        }
        ++unifiedRounds;
    }
    QVERIFY(unifiedRounds > 20);
}

void TestProseUi::rulesAreSwitchedAndRemembered()
{
    {
        Window w(voices);
        QAction *voice = w.editor.action("mnu_prose_voice");
        QVERIFY(voice && voice->isChecked());
        QVERIFY(!w.editor.action("mnu_prose_punctuation")->isChecked());
        w.check();
        QCOMPARE(w.title(), u"検査結果: 1 件"_s);
        QSignalSpy checked(w.panel, &dnml::FindingsPanel::checked);
        voice->trigger();
        QVERIFY(checked.wait(10000));
        QCOMPARE(w.title(), u"検査結果: 指摘はありません"_s);
        w.editor.action("mnu_prose_punctuation")->trigger();
        QVERIFY(checked.wait(10000));
        QCOMPARE(w.title(), u"検査結果: 1 件"_s);
        QCOMPARE(w.panel->findings().front().line, 3);
    }
    Window again(voices);
    QVERIFY(!again.editor.action("mnu_prose_voice")->isChecked());
    QVERIFY(again.editor.action("mnu_prose_punctuation")->isChecked());
    again.editor.action("mnu_prose_voice")->trigger();
    again.editor.action("mnu_prose_punctuation")->trigger();
}

void TestProseUi::aRunGivesUpATextThatChanged()
{
    ScriptDocument document;
    document.replaceWhole(voices, ScriptDocument::Origin::Replaced);
    prose::ProseRun run(document);
    std::vector<prose::Result> results;
    connect(&run, &prose::ProseRun::checked, this, [&results](const prose::Result &r) { results.push_back(r); });
    run.check({});
    QVERIFY(run.checking());
    // An edit before the worker is done: the findings of the old text never come.
    QTextCursor cursor(document.textDocument());
    cursor.movePosition(QTextCursor::End);
    document.insert(cursor, u"\r\nゆら 「僕」"_s);
    QVERIFY(!run.checking() && run.stale());
    QTest::qWait(500);
    QVERIFY(results.empty());
    run.check({});
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), std::size_t(1), 10000);
    // Of the text with the new line: its 僕 is one more.
    QCOMPARE(results.front().findings.size(), std::size_t(2));
    QCOMPARE(results.front().lines, 5);
    QVERIFY(!run.stale());
}

void TestProseUi::theWritersListIsReadAtEachCheck()
{
    const QString path = prose::userListPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    const auto write = [&path](const QByteArray &rules) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(rules) == rules.size());
    };
    write(u"出来る=できる\n"_s.toUtf8());
    Window w(script({u"ゆら 「出来た」<P>"_s, u"雪が降る。"_s}));
    w.check();
    QCOMPARE(w.title(), u"検査結果: 1 件"_s);
    QCOMPARE(w.panel->findings().front().message, u"表記ゆれ: 「出来る」は「できる」と書きます（表記の一覧）。"_s);
    // Changed while the program runs: the next check has it.
    write(u"雪=ゆき\n"_s.toUtf8());
    QSignalSpy checked(w.panel, &dnml::FindingsPanel::checked);
    w.editor.text()->setCaret(w.editor.text()->length());
    typeInto(w.editor.text(), u"。"_s);
    QVERIFY(checked.wait(10000));
    QCOMPARE(w.panel->findings().size(), std::size_t(1));
    QCOMPARE(w.panel->findings().front().line, 2);
    QVERIFY(QFile::remove(path));
}

void TestProseUi::usesByKeys()
{
    const QString text = script({u"ゆら 「私」<P>"_s, u"<BGM SRC=\"ふたりの時間\">"_s, u"しずく 「うん」<P>"_s,
                                 u"ゆら 「あたし」<P>"_s, u"<BGM SRC=\"ふたりの時間\">"_s});
    Window w(text);
    w.editor.text()->setCaret(text.indexOf(u"の時間"_s));
    w.press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    prose::UsagePanel *panel = w.editor.window->usages();
    QVERIFY(panel && panel->isOpen());
    QCOMPARE(panel->title(), u"使用箇所: 「ふたりの時間」 2 行"_s);
    auto *list = panel->findChild<QTreeWidget *>(u"usageList"_s);
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->currentItem()->text(0), u"2"_s);
    w.press(Qt::Key_Down);
    w.press(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.editor.text());
    QCOMPARE(w.editor.text()->caret(), text.lastIndexOf(u"ふたりの時間"_s));

    // A speaker: their lines; the list starts at the caret's line.
    w.editor.text()->setCaret(text.indexOf(u"あたし"_s));
    w.press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(panel->title(), u"使用箇所: 星野ゆらの台詞 2 行"_s);
    QCOMPARE(list->currentItem()->text(0), u"4"_s);
    QCOMPARE(list->currentItem()->text(1), u"ゆら 「あたし」<P>"_s);
    w.press(Qt::Key_Escape);
    QVERIFY(!panel->isOpen());
    QCOMPARE(QApplication::focusWidget(), w.editor.text());

    // Nothing at the caret: said, and the focus stays in the script.
    w.editor.text()->setCaret(text.indexOf(u"<BGM"_s));
    w.press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(panel->title(), u"使用箇所: カーソルの位置に素材も話者もありません"_s);
    QCOMPARE(QApplication::focusWidget(), w.editor.text());
}

// A script too long to search at once: the panel says it is looking, with
// the focus in its list, and the worker's uses come in as a short script's
// would. Two lines name the music 10,000 times each: every use is a line,
// once.
void TestProseUi::usesOfALongScriptComeFromTheWorker()
{
    const QString heavy = u"<BGM SRC=\"ふたりの時間\">"_s.repeated(10000);
    const QString text = script({heavy, u"雪が降る。"_s, heavy, u"<BGM SRC=\"ふたりの時間\">"_s});
    QVERIFY(text.size() > prose::UsagePanel::searchedAtOnce);
    Window w(text);
    w.editor.text()->setCaret(text.lastIndexOf(u"の時間"_s));
    w.press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    prose::UsagePanel *panel = w.editor.window->usages();
    auto *list = panel->findChild<QTreeWidget *>(u"usageList"_s);
    QVERIFY(panel->isOpen());
    QCOMPARE(panel->title(), u"使用箇所: 「ふたりの時間」を探しています…"_s);
    QCOMPARE(QApplication::focusWidget(), list);
    QTRY_COMPARE_WITH_TIMEOUT(panel->title(), u"使用箇所: 「ふたりの時間」 3 行"_s, 10000);
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(list->topLevelItem(1)->text(0), u"3"_s);
    // The caret's line is current, and Return goes there.
    QCOMPARE(list->currentItem()->text(0), u"4"_s);
    QCOMPARE(QApplication::focusWidget(), list);
    w.press(Qt::Key_Return);
    QCOMPARE(w.editor.text()->caret(), text.lastIndexOf(u"ふたりの時間"_s));
}

QTEST_MAIN(TestProseUi)
#include "test_prose_ui.moc"

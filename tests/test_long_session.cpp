// A long session at the keyboard and the mouse: random operations through
// the real widgets, after each of which Text1's text, caret, selection and
// the changed flag must agree with a plain string model of the script;
// at the end a save and an open give the model back.
//   SCRIVLET_SEED=n repeats a session; SCRIVLET_OPERATIONS=n sets its length.
#include "app/main_window.h"
#include "editor/script_edit.h"
#include "catalogues/catalogue.h"
#include "markup/markup.h"
#include "pickers/picker.h"
#include "editor.h"

#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <functional>
#include <memory>

namespace {

QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// What the author should see: the script, caret and anchor in script
// offsets (a line break is CR LF and counts two), the changed flag, and
// the two options.
struct Model {
    QString text;
    qsizetype anchor = 0;
    qsizetype caret = 0;
    bool changed = false;
    bool adult = true;
    bool names = true;
    QString clipboard;
    QString saved;
    bool hasSaved = false;

    qsizetype from() const { return std::min(anchor, caret); }
    qsizetype to() const { return std::max(anchor, caret); }
    bool selection() const { return anchor != caret; }
    void place(qsizetype at) { anchor = caret = at; }
    void replaceSelection(const QString &piece)
    {
        if (!selection() && piece.isEmpty())
            return;
        const qsizetype at = from();
        text.replace(at, to() - at, piece);
        place(at + piece.size());
        changed = true;
    }
    // Length of the character before / after an offset: a line break is one.
    qsizetype before(qsizetype at) const { return at >= 2 && text[at - 1] == u'\n' && text[at - 2] == u'\r' ? 2 : 1; }
    qsizetype after(qsizetype at) const { return text[at] == u'\r' ? 2 : 1; }
    bool boundary(qsizetype at) const { return at == 0 || at >= text.size() || !(text[at - 1] == u'\r' && text[at] == u'\n'); }
};

// Characters an author types. The last two cannot be saved in code page
// 932: a script holding them is refused until they are gone.
const QString typedAscii = QStringLiteral("abcXYZ019 <>=\"\\~/.!");
const QString typedJapanese = QStringLiteral(u"あいうえお漢字仮名カタカナ「」。、ｱｲｳ～①髙ゆら");
const QString unsaveable = QStringLiteral(u"\u00a0€");

struct Launcher {
    const char *name;
    bool isAction;
    int form;
};

constexpr Launcher launchers[] = {
    {"Command14", false, 2}, {"Command15", false, 3}, {"Command16", false, 4}, {"Command1", false, 5},
    {"Command7", false, 6},  {"Command3", false, 7},  {"Command2", false, 8},  {"Command10", false, 9},
    {"Command8", false, 10}, {"Command5", false, 11}, {"Command9", false, 12}, {"Command6", false, 13},
    {"Command4", false, 14}, {"mnu_hosino", true, 15}, {"mnu_demo", true, 16}, {"mnu_chitose", true, 17},
    {"mnu_sizuku", true, 18}, {"mnu_rin", true, 19},   {"mnu_yuzuki", true, 20},
};

// The fragment a picker's OK writes for the row the author moved to (-1:
// none, the field showing the first row).
QString pickerFragment(int form, int row, const Model &model)
{
    const PickerForm &picker = pickerNumbered(form);
    const catalogues::Catalogue rows = model.adult ? picker.adult : picker.allAges;
    const QString field = str(rows[std::size_t(std::max(row, 0))].name);
    const QString reference = str(rows[std::size_t(std::max(row, 0))].ref);
    const QString tail = markup::folderTail(model.adult ? markup::InstallType::Adult : markup::InstallType::AllAges);
    if (form == 2)
        return markup::bgmTag(field);
    if (form == 4)
        return markup::soundTag(field);
    if (form == 3)
        return row == int(rows.size()) - 1 ? str(markup::blackBackground) : markup::backgroundHead(field) + tail;
    if (form <= 14)
        return markup::commentLine(field) + markup::actHead(reference) + tail + (model.names ? str(picker.speaker->speaker) : QString());
    return markup::commentLine(field) + markup::backgroundHead(reference) + tail;
}

} // namespace

class TestLongSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void widgetsNeverDriftFromTheModel();

private:
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString &text);
    void commit(const QString &text);
    bool agrees(QString &why) const;

    std::unique_ptr<MainWindow> m_window;
    ScriptEdit *m_text1 = nullptr;
    std::shared_ptr<DialogScript> m_dialogs = std::make_shared<DialogScript>();
    Model m_model;
};

void TestLongSession::key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_text1, key, modifiers);
}

void TestLongSession::type(const QString &text)
{
    for (QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, m_text1, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, m_text1, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Japanese arrives from the input method as a committed string.
void TestLongSession::commit(const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(m_text1, &event);
}

bool TestLongSession::agrees(QString &why) const
{
    const QString text = m_text1->text();
    if (text != m_model.text) {
        qsizetype i = 0;
        while (i < text.size() && i < m_model.text.size() && text[i] == m_model.text[i])
            ++i;
        why = QStringLiteral("text differs at %1 (lengths %2, model %3): [%4] against model [%5]")
                  .arg(i)
                  .arg(text.size())
                  .arg(m_model.text.size())
                  .arg(text.mid(std::max<qsizetype>(0, i - 10), 30).toHtmlEscaped(),
                       m_model.text.mid(std::max<qsizetype>(0, i - 10), 30).toHtmlEscaped());
        return false;
    }
    const qsizetype start = m_text1->selectionStart();
    const qsizetype length = m_text1->selectionLength();
    if (m_text1->caret() != m_model.caret || start != m_model.from() || length != m_model.to() - m_model.from()) {
        why = QStringLiteral("caret %1, selection %2+%3; model caret %4, selection %5+%6")
                  .arg(m_text1->caret())
                  .arg(start)
                  .arg(length)
                  .arg(m_model.caret)
                  .arg(m_model.from())
                  .arg(m_model.to() - m_model.from());
        return false;
    }
    if (m_window->textChanged() != m_model.changed) {
        why = QStringLiteral("changed flag %1, model %2").arg(m_window->textChanged()).arg(m_model.changed);
        return false;
    }
    return true;
}

// The offscreen platform says for every picker shown that it cannot raise
// or size windows; thousands of such lines would bury a real failure.
static QtMessageHandler testHandler = nullptr;

static void withoutPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        testHandler(type, context, message);
}

void TestLongSession::initTestCase()
{
    testHandler = qInstallMessageHandler(withoutPlatformNotes);
}

void TestLongSession::widgetsNeverDriftFromTheModel()
{
    const int operations = qEnvironmentVariableIsSet("SCRIVLET_OPERATIONS") ? qEnvironmentVariableIntValue("SCRIVLET_OPERATIONS")
                                                                           : 100000;
    const quint32 seed = qEnvironmentVariableIsSet("SCRIVLET_SEED") ? quint32(qEnvironmentVariableIntValue("SCRIVLET_SEED"))
                                                                    : QRandomGenerator::system()->generate();
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral(u"長い執筆.dnml"));

    m_dialogs->openPath = path;
    m_dialogs->savePath = path;
    m_window = std::make_unique<MainWindow>(std::make_unique<ScriptedDialogs>(m_dialogs));
    m_text1 = m_window->findChild<ScriptEdit *>(QStringLiteral("Text1"));
    QVERIFY(m_text1);
    m_model.text = str(markup::startingDocument);
    m_model.place(m_model.text.size());
    QGuiApplication::clipboard()->clear();

    auto pick = [&](const QString &from) { return from[random.bounded(from.size())]; };
    auto anyBoundary = [&] {
        qsizetype at = random.bounded(m_model.text.size() + 1);
        return m_model.boundary(at) ? at : at - 1;
    };
    auto button = [&](const char *name) { return m_window->findChild<QPushButton *>(QLatin1String(name)); };
    auto action = [&](const char *name) { return m_window->findChild<QAction *>(QLatin1String(name)); };
    // Opens a picker from its button or menu item; its field.
    auto openPicker = [&](const Launcher &launcher) {
        if (launcher.isAction)
            action(launcher.name)->trigger();
        else
            QTest::mouseClick(button(launcher.name), Qt::LeftButton);
        QWidget *picker = m_window->picker(pickerNumbered(launcher.form));
        return picker ? picker->findChild<QComboBox *>(QStringLiteral("Combo1")) : nullptr;
    };
    auto pressOk = [&](const Launcher &launcher) {
        QWidget *picker = m_window->picker(pickerNumbered(launcher.form));
        QTest::mouseClick(picker->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    };

    // Each operation acts through the widgets and says what the author
    // expects; the weights are how often an author does it.
    struct Operation {
        const char *name;
        int weight;
        std::function<void()> run;
    };
    const Operation table[] = {
        {"type letters", 20,
         [&] {
             QString s;
             for (int n = 1 + random.bounded(5); n > 0; --n)
                 s += pick(typedAscii);
             type(s);
             m_model.replaceSelection(s);
         }},
        {"input method commits Japanese", 12,
         [&] {
             QString s;
             for (int n = 1 + random.bounded(4); n > 0; --n)
                 s += pick(typedJapanese);
             commit(s);
             m_model.replaceSelection(s);
         }},
        {"type a character code page 932 lacks", 1,
         [&] {
             const QString s = pick(unsaveable);
             type(s);
             m_model.replaceSelection(s);
         }},
        {"Enter or Shift+Enter", 6,
         [&] {
             key(Qt::Key_Return, random.bounded(2) ? Qt::ShiftModifier : Qt::NoModifier);
             m_model.replaceSelection(QStringLiteral("\r\n"));
         }},
        {"Backspace", 8,
         [&] {
             key(Qt::Key_Backspace);
             if (!m_model.selection() && m_model.caret > 0)
                 m_model.anchor = m_model.caret - m_model.before(m_model.caret);
             m_model.replaceSelection({});
         }},
        {"Delete", 5,
         [&] {
             key(Qt::Key_Delete);
             if (!m_model.selection() && m_model.caret < m_model.text.size())
                 m_model.anchor = m_model.caret + m_model.after(m_model.caret);
             m_model.replaceSelection({});
         }},
        {"Left or Shift+Left", 6,
         [&] {
             const bool shift = random.bounded(2);
             key(Qt::Key_Left, shift ? Qt::ShiftModifier : Qt::NoModifier);
             if (!shift && m_model.selection())
                 m_model.place(m_model.from());
             else if (m_model.caret > 0)
                 m_model.caret -= m_model.before(m_model.caret);
             if (!shift)
                 m_model.anchor = m_model.caret;
         }},
        {"Right or Shift+Right", 6,
         [&] {
             const bool shift = random.bounded(2);
             key(Qt::Key_Right, shift ? Qt::ShiftModifier : Qt::NoModifier);
             if (!shift && m_model.selection())
                 m_model.place(m_model.to());
             else if (m_model.caret < m_model.text.size())
                 m_model.caret += m_model.after(m_model.caret);
             if (!shift)
                 m_model.anchor = m_model.caret;
         }},
        {"Ctrl+Home or Ctrl+End", 2,
         [&] {
             const bool home = random.bounded(2);
             key(home ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
             m_model.place(home ? 0 : m_model.text.size());
         }},
        {"Ctrl+A", 1,
         [&] {
             key(Qt::Key_A, Qt::ControlModifier);
             m_model.anchor = 0;
             m_model.caret = m_model.text.size();
         }},
        {"select a range", 6,
         [&] {
             const qsizetype a = anyBoundary();
             const qsizetype b = anyBoundary();
             m_text1->select(a, b - a);
             m_model.anchor = a;
             m_model.caret = b;
         }},
        {"place the caret anywhere", 4,
         [&] {
             const qsizetype at = random.bounded(m_model.text.size() + 6);
             m_text1->setCaret(at);
             qsizetype placed = std::min(at, m_model.text.size());
             m_model.place(m_model.boundary(placed) ? placed : placed - 1);
         }},
        {"Ctrl+C", 2,
         [&] {
             key(Qt::Key_C, Qt::ControlModifier);
             if (m_model.selection())
                 m_model.clipboard = m_model.text.mid(m_model.from(), m_model.to() - m_model.from());
         }},
        {"Ctrl+X", 2,
         [&] {
             key(Qt::Key_X, Qt::ControlModifier);
             if (m_model.selection()) {
                 m_model.clipboard = m_model.text.mid(m_model.from(), m_model.to() - m_model.from());
                 m_model.replaceSelection({});
             }
         }},
        {"Ctrl+V", 3,
         [&] {
             key(Qt::Key_V, Qt::ControlModifier);
             // Every line break on the clipboard comes back as CR LF, a
             // lone LF of the script included.
             QString piece = m_model.clipboard;
             piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));
             if (!piece.isEmpty())
                 m_model.replaceSelection(piece);
         }},
        {"Command12 or Command17", 4,
         [&] {
             const bool indented = random.bounded(2);
             QTest::mouseClick(button(indented ? "Command12" : "Command17"), Qt::LeftButton);
             const markup::Skeleton &skeleton = indented ? markup::indentedDialogue : markup::plainDialogue;
             m_model.replaceSelection(str(skeleton.text));
             m_model.place(m_model.caret - skeleton.caretBack);
         }},
        {"section scaffold", 2,
         [&] {
             const int which = random.bounded(4);
             const char *names[] = {"mnu_maegaki", "mnu_taitlecall", "mnu_honpen", "mnu_atogaki"};
             action(names[which])->trigger();
             if (which == 1) {
                 m_model.replaceSelection(markup::titleCall());
                 m_model.place(m_model.text.size());
                 return;
             }
             const std::u16string_view labels[] = {markup::forewordLabel, {}, markup::mainStoryLabel, markup::afterwordLabel};
             m_model.replaceSelection(markup::sectionScaffold(labels[which]));
         }},
        {"switch an option", 2,
         [&] {
             if (random.bounded(2)) {
                 QTest::mouseClick(button("Command13"), Qt::LeftButton);
                 m_model.names = !m_model.names;
             } else {
                 const int index = random.bounded(2);
                 action(index == 0 ? "mnu_insto_type_0" : "mnu_insto_type_1")->trigger();
                 m_model.adult = index == 0;
             }
         }},
        {"picker OK", 4,
         [&] {
             const Launcher &launcher = launchers[random.bounded(int(std::size(launchers)))];
             QComboBox *combo = openPicker(launcher);
             QVERIFY(combo);
             const int downs = random.bounded(3) == 0 ? 0 : 1 + random.bounded(combo->count() + 1);
             for (int n = 0; n < downs; ++n)
                 QTest::keyClick(combo, Qt::Key_Down);
             const int row = downs == 0 ? -1 : std::min(downs, combo->count()) - 1;
             pressOk(launcher);
             QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
             m_model.replaceSelection(pickerFragment(launcher.form, row, m_model));
         }},
        {"picture picker refuses a name no row has", 1,
         [&] {
             // A sprite or event picture picker: a typed name matching no
             // row writes nothing and leaves it open; then it is closed.
             const Launcher &launcher = launchers[3 + random.bounded(int(std::size(launchers)) - 3)];
             QComboBox *combo = openPicker(launcher);
             QVERIFY(combo);
             combo->lineEdit()->selectAll();
             typeInto(combo->lineEdit(), QStringLiteral(u"どの行でもない名前"));
             pressOk(launcher);
             QWidget *picker = m_window->picker(pickerNumbered(launcher.form));
             QVERIFY(picker);
             picker->close();
             QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
         }},
        {"save", 1,
         [&] {
             const qsizetype warned = m_dialogs->warnings.size();
             const bool canSave = std::none_of(unsaveable.begin(), unsaveable.end(),
                                               [&](QChar c) { return m_model.text.contains(c); });
             action("mnu_save")->trigger();
             QCOMPARE(m_dialogs->warnings.size(), warned + (canSave ? 0 : 1));
             if (canSave) {
                 m_model.saved = m_model.text;
                 m_model.hasSaved = true;
                 m_model.changed = false;
             } else {
                 // A refused save selects the first character in the way.
                 qsizetype first = m_model.text.size();
                 for (QChar c : unsaveable)
                     if (const qsizetype at = m_model.text.indexOf(c); at >= 0)
                         first = std::min(first, at);
                 m_model.anchor = first;
                 m_model.caret = first + 1;
             }
         }},
        {"open what was saved", 1,
         [&] {
             if (!m_model.hasSaved)
                 return;
             action("mnu_open")->trigger();
             m_model.text = m_model.saved;
             m_model.place(0);
             m_model.changed = true;
         }},
        {"delete a long stretch", 0, [] {}},
    };
    const qsizetype tableSize = qsizetype(std::size(table));
    int totalWeight = 0;
    for (const Operation &operation : table)
        totalWeight += operation.weight;

    std::deque<const char *> recent;
    QString why;
    QVERIFY2(agrees(why), qPrintable(why));
    qsizetype longest = 0;
    for (int done = 1; done <= operations; ++done) {
        const Operation *operation = nullptr;
        if (m_model.text.size() > 3000 && random.bounded(20) == 0) {
            // Keep the script a few pages long, as an author revising it.
            const qsizetype a = anyBoundary();
            const qsizetype b = anyBoundary();
            m_text1->select(a, b - a);
            m_model.anchor = a;
            m_model.caret = b;
            key(Qt::Key_Delete);
            m_model.replaceSelection({});
            operation = &table[tableSize - 1];
        } else {
            int draw = random.bounded(totalWeight);
            for (const Operation &candidate : table) {
                if (draw < candidate.weight) {
                    operation = &candidate;
                    break;
                }
                draw -= candidate.weight;
            }
            operation->run();
            if (QTest::currentTestFailed())
                break;
        }
        recent.push_back(operation->name);
        if (recent.size() > 8)
            recent.pop_front();
        if (!agrees(why)) {
            QStringList names;
            for (const char *name : recent)
                names << QLatin1String(name);
            QFAIL(qPrintable(QStringLiteral("operation %1 (seed %2), after: %3\n%4")
                                 .arg(done)
                                 .arg(seed)
                                 .arg(names.join(QStringLiteral(", ")), why)));
        }
        longest = std::max(longest, m_model.text.size());
        if (done % 1000 == 0)
            QCoreApplication::processEvents();
    }

    // Characters the code page lacks are mended away, then the script is
    // saved and opened again.
    for (QChar c : unsaveable) {
        for (qsizetype at; (at = m_model.text.indexOf(c)) >= 0;) {
            m_text1->select(at, 1);
            key(Qt::Key_Delete);
            m_model.anchor = at;
            m_model.caret = at + 1;
            m_model.replaceSelection({});
        }
    }
    QVERIFY2(agrees(why), qPrintable(why));
    const QString final = m_model.text;
    QVERIFY(m_window->mnu_save_Click());
    QVERIFY(!m_window->textChanged());
    m_text1->setText(QStringLiteral("something else"));
    m_window->mnu_open_Click();
    QVERIFY2(m_text1->text() == final, "saved and opened, the script differs from the model");
    QVERIFY(m_window->textChanged());
    qInfo("%d operations (seed %u), longest script %lld characters, final %lld", operations, seed, qint64(longest),
          qint64(final.size()));
}

QTEST_MAIN(TestLongSession)
#include "test_long_session.moc"

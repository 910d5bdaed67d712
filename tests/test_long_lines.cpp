// Long lines, which Text1 shows in pieces, against a plain model of the
// script's text: keys through the real widget (typing, Enter, Backspace,
// Delete and their word forms, Ctrl+K and Ctrl+U, selections by Shift and
// the arrows, select all, cut, copy and paste by both their keys, undo,
// redo, a caret put at either side of a piece's edge), double and triple
// clicks, the middle button's paste, and replace-all, after each of which
// the script, its lines and the caret must be what the same keys and clicks
// give on a line shown whole. Now and then the recovery journal and a save
// must give the model back too. Every edit is also checked against the
// document's record of pieces.
//   SCRIVLET_SEED=n repeats one session; SCRIVLET_OPERATIONS=n sets its length.
//   The middle button pastes only on a platform with a selection to paste:
//   run with -platform xcb under a display for that.
#include "dnml/check.h"
#include "dnml/ui/findings_panel.h"
#include "dnml/ui/highlighter.h"
#include "document/script_document.h"
#include "editor/script_edit.h"
#include "recovery/journal_format.h"
#include "recovery/recovery.h"
#include "search/search.h"
#include "search/ui/search_bar.h"
#include "test_files.h"

#include <QApplication>
#include <QLineEdit>
#include <QClipboard>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the keys should do to the script: the text and the selection in
// script offsets, and the texts at each of the document's undo levels.
struct Model {
    QString text;
    qsizetype anchor = 0;
    qsizetype caret = 0;
    QString clipboard;
    std::map<int, QString> levels;

    qsizetype from() const { return std::min(anchor, caret); }
    qsizetype to() const { return std::max(anchor, caret); }
    void replace(qsizetype start, qsizetype end, const QString &with)
    {
        text.replace(start, end - start, with);
        anchor = caret = start + with.size();
    }
    void replaceSelection(const QString &with) { replace(from(), to(), with); }
    qsizetype lineStart(qsizetype at) const
    {
        const qsizetype cr = at >= 2 ? text.lastIndexOf(u"\r\n"_s, at - 2) : -1;
        return cr < 0 ? 0 : cr + 2;
    }
    qsizetype lineEnd(qsizetype at) const
    {
        const qsizetype cr = text.indexOf(u'\r', at);
        return cr < 0 ? text.size() : cr;
    }
    // Where a step by words or characters lands from the caret, as the
    // editor's layout steps over a line shown whole.
    qsizetype step(bool forward, QTextLayout::CursorMode mode) const
    {
        const qsizetype start = lineStart(caret);
        QString line = text.sliced(start, lineEnd(caret) - start);
        line.replace(u'\n', QChar(0x2028));
        const QTextLayout layout(line);
        const int at = int(caret - start);
        return start + (forward ? layout.nextCursorPosition(at, mode) : layout.previousCursorPosition(at, mode));
    }
    // What a double click at `at` selects on a line shown whole: the word
    // Qt's text takes there.
    void selectWord(qsizetype at)
    {
        const qsizetype start = lineStart(at);
        QTextDocument line;
        QTextCursor cursor(&line);
        cursor.insertText(text.sliced(start, lineEnd(at) - start).replace(u'\n', QChar(0x2028)));
        cursor.setPosition(int(at - start));
        cursor.select(QTextCursor::WordUnderCursor);
        anchor = start + cursor.anchor();
        caret = start + cursor.position();
    }
    // A triple click: the line and the break after it.
    void selectLine(qsizetype at)
    {
        anchor = lineStart(at);
        caret = std::min(lineEnd(at) + 2, text.size());
    }
    // Ctrl+K: from the anchor to the end of the caret's line.
    void deleteToLineEnd()
    {
        const qsizetype end = lineEnd(caret);
        replace(std::min(anchor, end), std::max(anchor, end), {});
    }
};

// Clicks of the left button at `at` of Text1's view: a double click's
// second press comes as the double click a window system makes of it.
void clickTimes(QWidget *view, QPoint at, int times)
{
    for (int i = 0; i < times; ++i) {
        if (i == 1)
            QTest::mouseDClick(view, Qt::LeftButton, {}, at);
        else
            QTest::mousePress(view, Qt::LeftButton, {}, at);
        QTest::mouseRelease(view, Qt::LeftButton, {}, at);
    }
}

// A script of short lines and long ones: runs of ASCII with no stop in
// them, Japanese prose with 。 and 、, markup, surrogate pairs.
QString longLine(QRandomGenerator &random, qsizetype length)
{
    static const QStringList kinds[] = {
        {u"a"_s, u"b"_s, u"c"_s},
        {u"雪が降る。"_s, u"静かな夜だった、"_s, u"「うん」"_s, u"彼女は言った。"_s},
        {u"<BGM SRC=\"Snow Drop\">"_s, u"<P>"_s, u"<!-- ■ 見出し -->"_s, u"<ACT NAME=\"hito\" SRC=\"PDT\\CGYR10.PDT\">"_s},
        {u"😀"_s, u"𠮷"_s, u"あ"_s},
    };
    const QStringList &kind = kinds[random.bounded(4)];
    QString line;
    while (line.size() < length)
        line += kind[random.bounded(qsizetype(kind.size()))];
    line.truncate(length);
    if (!line.isEmpty() && line.back().isHighSurrogate())
        line.chop(1);
    return line;
}

QString generatedScript(QRandomGenerator &random, qsizetype longest)
{
    // One line at least is cut into pieces.
    QStringList lines{longLine(random, random.bounded(int(ScriptDocument::cutAbove) + 1'000, longest))};
    const int count = random.bounded(1, 6);
    for (int i = 0; i < count; ++i)
        lines.insert(random.bounded(lines.size() + 1),
                     longLine(random, random.bounded(3) == 0 ? random.bounded(1, 80) : random.bounded(1'000, longest)));
    return lines.join(u"\r\n"_s);
}

// Text1 over a document with its colours and its journal, and the model.
class Session
{
public:
    explicit Session(const QString &script)
        : recovery(document, folder.path())
        , colours(edit)
    {
        edit.resize(700, 500);
        edit.show();
        document.replaceWhole(script, ScriptDocument::Origin::Replaced);
        model.text = script;
        model.levels[level()] = script;
        QApplication::clipboard()->clear();
    }

    // Presses a key; `change` makes the same change in the model (moves
    // take the widget's caret as it is).
    template <typename Change>
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text, Change change)
    {
        change();
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&edit, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(&edit, &up);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        press(key, modifiers, {}, [] {});
        takeSelection();
    }
    void takeSelection()
    {
        const QTextCursor cursor = edit.textCursor();
        model.anchor = document.toScript(cursor.anchor());
        model.caret = document.toScript(cursor.position());
    }
    int level() const { return edit.document()->availableUndoSteps(); }
    // A place on screen to click, and the script offset a click there
    // hits: a random place of the text, brought into view.
    std::pair<QPoint, qsizetype> placeToClick(QRandomGenerator &random)
    {
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(random.bounded(document.positions() + 1));
        edit.setTextCursor(cursor);
        edit.ensureCursorVisible();
        takeSelection();
        const QPoint at = edit.cursorRect().center();
        return {at, document.toScript(edit.cursorForPosition(at).position())};
    }
    // The text at the document's undo level now: the one noted at that
    // level. A level within a step (the document counts a move of the
    // caret it makes with an edit as a level of its own) holds the text
    // noted just below it or just above it, never another.
    void takeLevel()
    {
        if (const auto at = model.levels.find(level()); at != model.levels.end()) {
            model.text = at->second;
            return;
        }
        const auto above = model.levels.upper_bound(level());
        const QString text = edit.text();
        if ((above != model.levels.end() && above->second == text) ||
            (above != model.levels.begin() && std::prev(above)->second == text))
            model.text = text;
    }

    // What the script must be now; the undo levels are noted as they go,
    // and an edit made from `before` ends the levels that were above it.
    bool agrees(int before, bool undoing, QString *why)
    {
        const QString text = edit.text();
        if (text != model.text) {
            qsizetype at = 0;
            while (at < text.size() && at < model.text.size() && text[at] == model.text[at])
                ++at;
            *why = u"the script differs at %1 (%2 against %3 characters): %4 | %5"_s.arg(at)
                       .arg(text.size())
                       .arg(model.text.size())
                       .arg(readable(text.mid(std::max<qsizetype>(at - 10, 0), 30)),
                            readable(model.text.mid(std::max<qsizetype>(at - 10, 0), 30)));
            return false;
        }
        const QStringList lines = model.text.split(u"\r\n"_s);
        if (document.lineCount() != lines.size()) {
            *why = u"%1 lines, not %2"_s.arg(document.lineCount()).arg(lines.size());
            return false;
        }
        for (int line = 0; line < lines.size(); ++line)
            if (document.lineLength(line) != lines[line].size() ||
                document.lineText(line, lines[line].size() / 2, 40) != lines[line].mid(lines[line].size() / 2, 40)) {
                *why = u"line %1 reads otherwise"_s.arg(line + 1);
                return false;
            }
        if (edit.caret() != model.caret || edit.selectionStart() != model.from()) {
            *why = u"the caret is at %1, not %2"_s.arg(edit.caret()).arg(model.caret);
            return false;
        }
        const auto known = model.levels.find(level());
        const bool edited = level() != before || known == model.levels.end() || known->second != text;
        if (!undoing && edited)
            model.levels.erase(model.levels.upper_bound(before), model.levels.end());
        model.levels[level()] = text;
        return true;
    }

    // The journal on disk, replayed, and a save read back give the model.
    bool roundTrips(QString *why)
    {
        while (!recovery.journal().active())
            QCoreApplication::processEvents();
        recovery.journal().flush();
        recovery.journal().waitForDisk();
        const recovery::Replayed replayed = recovery::replay(readFile(recovery.journal().path()));
        if (replayed.text != model.text) {
            *why = u"the journal gives back another text"_s;
            return false;
        }
        const scriptfile::Encoded encoded = scriptfile::encode(model.text);
        if (encoded.error)
            return true;  // a character Shift-JIS cannot hold: no save
        const QString path = folder.filePath(u"saved.dnml"_s);
        if (document.save(path, encoded.bytes) || scriptfile::decode(readFile(path)).text != model.text) {
            *why = u"the file saved reads back otherwise"_s;
            return false;
        }
        return true;
    }

    QTemporaryDir folder;
    ScriptDocument document;
    recovery::Recovery recovery;
    ScriptEdit edit{document};
    dnml::Highlighter colours;
    Model model;
};

// One random operation on the session; its name, for a failure's message.
QString operate(Session &s, QRandomGenerator &random)
{
    Model &m = s.model;
    const auto typed = [&](const QString &text) {
        s.press(Qt::Key_unknown, Qt::NoModifier, text, [&] { m.replaceSelection(text); });
        return u"type "_s + text;
    };
    // Long lines keep coming back, by paste, once the ones there are gone.
    if (!s.document.hasPieces() && random.bounded(4) == 0) {
        const QString line = longLine(random, random.bounded(int(ScriptDocument::cutAbove) + 100, 60'000));
        QApplication::clipboard()->setText(line);
        s.press(Qt::Key_V, Qt::ControlModifier, {}, [&] {
            m.clipboard = line;
            m.replaceSelection(scriptfile::savable(line));
        });
        return u"paste a line of %1 characters"_s.arg(line.size());
    }
    switch (random.bounded(30)) {
    case 0:
    case 1: {
        static const QStringList texts{u"x"_s, u"あ"_s, u"。"_s, u"<"_s, u"\""_s, u" "_s, u"😀"_s};
        return typed(texts[random.bounded(qsizetype(texts.size()))]);
    }
    case 2:
        s.press(Qt::Key_Return, Qt::NoModifier, u"\r"_s, [&] { m.replaceSelection(u"\r\n"_s); });
        return u"Enter"_s;
    case 3:
    case 4:
        s.press(Qt::Key_Backspace, Qt::NoModifier, {}, [&] {
            if (m.anchor != m.caret)
                return m.replaceSelection({});
            if (m.caret == 0)
                return;
            const qsizetype at = m.caret;
            const bool lineStart = at >= 2 && m.text[at - 1] == u'\n' && m.text[at - 2] == u'\r';
            const bool pair = m.text[at - 1].isLowSurrogate() && at >= 2 && m.text[at - 2].isHighSurrogate();
            m.replace(at - (lineStart || pair ? 2 : 1), at, {});
        });
        return u"Backspace"_s;
    case 5:
    case 6:
        s.press(Qt::Key_Delete, Qt::NoModifier, {}, [&] {
            if (m.anchor != m.caret)
                return m.replaceSelection({});
            if (m.caret == m.text.size())
                return;
            const qsizetype at = m.caret;
            m.replace(at, m.text[at] == u'\r' ? at + 2 : m.step(true, QTextLayout::SkipCharacters), {});
        });
        return u"Delete"_s;
    case 7:
        s.press(Qt::Key_Backspace, Qt::ControlModifier, {}, [&] {
            if (m.anchor != m.caret)
                return m.replaceSelection({});
            const qsizetype at = m.caret;
            if (at == 0)
                return;
            m.replace(at == m.lineStart(at) ? at - 2 : m.step(false, QTextLayout::SkipWords), at, {});
        });
        return u"Ctrl+Backspace"_s;
    case 8:
        s.press(Qt::Key_Delete, Qt::ControlModifier, {}, [&] {
            if (m.anchor != m.caret)
                return m.replaceSelection({});
            const qsizetype at = m.caret;
            if (at == m.text.size())
                return;
            m.replace(at, at == m.lineEnd(at) ? at + 2 : m.step(true, QTextLayout::SkipWords), {});
        });
        return u"Ctrl+Delete"_s;
    case 9:
    case 10: {
        static const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End};
        const Qt::Key key = moves[random.bounded(6)];
        s.press(key, random.bounded(2) ? Qt::ShiftModifier : Qt::NoModifier);
        return u"move %1"_s.arg(key);
    }
    case 11: {
        // A caret put at either side of a block's edge, as a click may.
        const QTextDocument *text = s.edit.document();
        const QTextBlock block = text->findBlockByNumber(random.bounded(text->blockCount()));
        QTextCursor cursor = s.edit.textCursor();
        cursor.setPosition(block.position() + (random.bounded(2) ? block.length() - 1 : 0),
                           random.bounded(3) == 0 ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        s.edit.setTextCursor(cursor);
        s.takeSelection();
        return u"caret at block %1"_s.arg(block.blockNumber());
    }
    case 12:
        s.press(Qt::Key_A, Qt::ControlModifier);
        return u"select all"_s;
    case 13: {
        const bool shift = random.bounded(2);
        s.press(shift ? Qt::Key_Delete : Qt::Key_X, shift ? Qt::ShiftModifier : Qt::ControlModifier, {}, [&] {
            if (m.anchor == m.caret)
                return;
            m.clipboard = m.text.sliced(m.from(), m.to() - m.from()).replace(u"\r\n"_s, u"\n"_s);
            m.replaceSelection({});
        });
        return shift ? u"cut by Shift+Delete"_s : u"cut"_s;
    }
    case 14: {
        const bool insert = random.bounded(2);
        s.press(insert ? Qt::Key_Insert : Qt::Key_C, Qt::ControlModifier, {}, [&] {
            if (m.anchor != m.caret)
                m.clipboard = m.text.sliced(m.from(), m.to() - m.from()).replace(u"\r\n"_s, u"\n"_s);
        });
        return insert ? u"copy by Ctrl+Insert"_s : u"copy"_s;
    }
    case 15: {
        const bool shift = random.bounded(2);
        s.press(shift ? Qt::Key_Insert : Qt::Key_V, shift ? Qt::ShiftModifier : Qt::ControlModifier, {}, [&] {
            if (!m.clipboard.isEmpty())
                m.replaceSelection(scriptfile::savable(ScriptDocument::fromOutside(m.clipboard)));
        });
        return shift ? u"paste by Shift+Insert"_s : u"paste"_s;
    }
    case 16:
    case 17:
        s.press(Qt::Key_Z, Qt::ControlModifier);
        s.takeLevel();
        return u"undo"_s;
    case 18:
        s.press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        s.takeLevel();
        return u"redo"_s;
    case 19: {
        static const std::pair<QString, search::Options> patterns[] = {
            {u"^"_s, {true, true}}, {u"$"_s, {true, true}}, {u"^.*$"_s, {true, true}},
            {u"(a+)(b+)"_s, {true, true}}, {u"ab"_s, {true, false}}, {u"。"_s, {true, false}}};
        const auto &[pattern, options] = patterns[random.bounded(6)];
        const search::Pattern compiled(pattern, options);
        const std::vector<search::Edit> edits = compiled.replaceAll(s.edit.text(), u"\\2\\1Z"_s);
        if (!edits.empty()) {
            s.edit.replaceEach(edits);
            // The caret ends after the last replacement, which the ones
            // before it moved on.
            qsizetype grown = 0;
            for (std::size_t i = 0; i + 1 < edits.size(); ++i)
                grown += edits[i].text.size() - edits[i].length;
            for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
                m.text.replace(edit->start, edit->length, edit->text);
            m.anchor = m.caret = edits.back().start + grown + edits.back().text.size();
        }
        return u"replace all "_s + pattern;
    }
    case 20:
        s.press(Qt::Key_K, Qt::ControlModifier, QString(QChar(0x0b)), [&] { m.deleteToLineEnd(); });
        return u"Ctrl+K"_s;
    case 21:
        // Bound to no edit in Qt's text view: nothing changes.
        s.press(Qt::Key_U, Qt::ControlModifier, QString(QChar(0x15)), [] {});
        return u"Ctrl+U"_s;
    case 22:
    case 23: {
        const auto [at, offset] = s.placeToClick(random);
        const int times = random.bounded(2, 4);
        clickTimes(s.edit.viewport(), at, times);
        if (times == 2)
            m.selectWord(offset);
        else
            m.selectLine(offset);
        return u"%1 clicks at %2"_s.arg(times).arg(offset);
    }
    case 24: {
        // The window system's selection, where it has one, goes in where
        // the middle button is clicked.
        const auto [at, offset] = s.placeToClick(random);
        QClipboard *clipboard = QApplication::clipboard();
        const QString selection = clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : QString();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent click(type, at, s.edit.viewport()->mapToGlobal(at), Qt::MiddleButton,
                              type == QEvent::MouseButtonPress ? Qt::MiddleButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(s.edit.viewport(), &click);
        }
        if (!selection.isEmpty()) {
            m.anchor = m.caret = offset;
            m.replaceSelection(scriptfile::savable(ScriptDocument::fromOutside(selection)));
        }
        return u"middle click at %1"_s.arg(offset);
    }
    default:
        return typed(u"字"_s);
    }
}

// A key as a row writes it, pressed with the model's change for it.
struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// The change a key makes in the model, as on a line shown whole; a key
// that only moves takes the caret the widget gives.
void pressAsWhole(Session &s, Key key)
{
    Model &m = s.model;
    const bool ctrl = key.modifiers & Qt::ControlModifier;
    switch (key.key) {
    case Qt::Key_Delete:
        return s.press(key.key, key.modifiers, {}, [&] {
            if (m.anchor != m.caret)
                return m.replaceSelection({});
            if (m.caret == m.text.size())
                return;
            const qsizetype at = m.caret;
            m.replace(at, m.text[at] == u'\r' ? at + 2
                                               : m.step(true, ctrl ? QTextLayout::SkipWords : QTextLayout::SkipCharacters),
                      {});
        });
    case Qt::Key_Backspace:
        return s.press(key.key, key.modifiers, {}, [&] {
            if (m.anchor != m.caret)
                return m.replaceSelection({});
            const qsizetype at = m.caret;
            if (at == 0)
                return;
            m.replace(at == m.lineStart(at) ? at - 2 : m.step(false, ctrl ? QTextLayout::SkipWords : QTextLayout::SkipCharacters), at, {});
        });
    case Qt::Key_X:
        return s.press(key.key, key.modifiers, {}, [&] { m.replaceSelection({}); });
    case Qt::Key_Return:
        return s.press(key.key, key.modifiers, u"\r"_s, [&] { m.replaceSelection(u"\r\n"_s); });
    case Qt::Key_Z:
        s.press(key.key, key.modifiers);
        return s.takeLevel();
    default:
        return s.press(key.key, key.modifiers);
    }
}

} // namespace

Q_DECLARE_METATYPE(QList<Key>)

class TestLongLines : public QObject
{
    Q_OBJECT

private slots:
    // Sequences of keys that once lost a line break, took the wrong
    // character or hung, each checked against the model key by key and
    // then through the journal and a save.
    void keysKeepEveryBreak_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("line");  // where the caret starts, at the line's start
        QTest::addColumn<QList<Key>>("keys");
        const int n = int(ScriptDocument::cutAbove);
        const QString first = u"first\r\n"_s + QString(2 * n, u'b') + u"\r\nthird"_s;
        const Key down{Qt::Key_Down, Qt::ShiftModifier};
        const Key undo{Qt::Key_Z, Qt::ControlModifier};
        QTest::newRow("a line's first piece deleted, then a join taken back")
            << first << 1
            << QList<Key>{down, {Qt::Key_Delete}, {Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_End}, down,
                          {Qt::Key_Delete}, undo};
        QTest::newRow("a line's first piece deleted, then everything cut and taken back")
            << first << 1
            << QList<Key>{down, {Qt::Key_Delete}, {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier}, undo};
        QTest::newRow("Backspace and Delete join the lines after a piece was deleted")
            << first << 1
            << QList<Key>{down, {Qt::Key_Delete}, {Qt::Key_Backspace}, {Qt::Key_End}, {Qt::Key_Up}, {Qt::Key_End},
                          {Qt::Key_Delete}};
        QTest::newRow("Backspace after the first piece of the first line is deleted")
            << QString(2 * n, u'a') + u"\r\nb"_s << 0
            << QList<Key>{down, {Qt::Key_Delete}, {Qt::Key_Backspace}, {Qt::Key_Left}, {Qt::Key_Backspace}};
        QTest::newRow("everything deleted, then Backspace and Left where the last line was long")
            << u"a\r\n"_s + QString(2 * n, u'z') << 0
            << QList<Key>{{Qt::Key_A, Qt::ControlModifier}, {Qt::Key_Delete}, {Qt::Key_Backspace}, {Qt::Key_Left}, undo};
        QTest::newRow("words deleted across a piece's edge")
            << u"x "_s.repeated(n) << 0
            << QList<Key>{down, {Qt::Key_Backspace, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ControlModifier}, undo, undo};
        QTest::newRow("Enter at a piece's edge, and its undo")
            << QString(2 * n, u'b') << 0 << QList<Key>{{Qt::Key_Down}, {Qt::Key_Return}, {Qt::Key_Return}, undo};
    }

    void keysKeepEveryBreak()
    {
        QFETCH(QString, script);
        QFETCH(int, line);
        QFETCH(QList<Key>, keys);
        Session session(script);
        session.edit.showLine(line);
        session.takeSelection();
        QString why;
        int step = 0;
        for (const Key &key : keys) {
            const int before = session.level();
            pressAsWhole(session, key);
            if (!session.agrees(before, key.key == Qt::Key_Z, &why))
                QFAIL(qPrintable(u"key %1: %2"_s.arg(step).arg(why)));
            ++step;
        }
        QVERIFY2(session.roundTrips(&why), qPrintable(why));
    }

    // Regular expressions see a cut line whole: ^ and $ stand at its ends
    // alone, and a match runs across a piece's edge, for the count and
    // for replace-all through the search bar.
    void searchSeesALineWhole_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("with");
        QTest::newRow("^ at the line's start only") << u"^"_s << u"X"_s;
        QTest::newRow("$ at the line's end only") << u"$"_s << u"X"_s;
        QTest::newRow("^.*$ takes the line whole") << u"^.*$"_s << u"Z"_s;
        QTest::newRow("a match across an edge") << u"ab"_s << u"-"_s;
        QTest::newRow("groups across an edge swapped") << u"(a+)(b+)"_s << u"\\2\\1"_s;
    }

    void searchSeesALineWhole()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, with);
        const qsizetype run = ScriptDocument::cutAbove / 3 + 1;
        const QString line = QString(run, u'a') + QString(run, u'b') + QString(run, u'c') + QString(200, u'd');
        const QString script = u"前\r\n"_s + line + u"\r\n後"_s;
        Session session(script);
        QVERIFY(session.document.hasPieces());
        SearchBar bar(session.edit);
        bar.showReplace();
        bar.setSearchText(pattern, {true, true});
        bar.findChild<QLineEdit *>(u"replace_text"_s)->setText(with);
        bar.replaceAll();
        QTRY_VERIFY(!bar.message().isEmpty() && !bar.message().contains(u"…"_s));
        QString expected;
        const QRegularExpression re(pattern);
        for (const QString &each : script.split(u"\r\n"_s))
            expected += (expected.isEmpty() ? u""_s : u"\r\n"_s) + QString(each).replace(re, QString(with).replace(u"\\"_s, u"\\"_s));
        QCOMPARE(readable(session.edit.text().left(60)), readable(expected.left(60)));
        QVERIFY(session.edit.text() == expected);
    }

    // The check, the colours and the text of a cut line are the script's:
    // line numbers count lines, a long value is one value, a U+FDD0 of the
    // author's stays, and a paragraph as long as writers write is not cut.
    void whatIsBesideTheTextSeesLinesWhole()
    {
        const qsizetype n = ScriptDocument::cutAbove;
        const QString value = u"<BGM SRC=\""_s + QString(n + 10, u'x') + u"\">"_s;
        const QString script = QString(n + 100, u'a') + u"\r\n<BGM SRC=\"Snow Dorp\">\r\n"_s + value + u"\r\n「"_s +
                               QString(n, u'あ') + u"」"_s;
        Session session(script);
        QVERIFY(session.edit.document()->blockCount() > 6);
        dnml::FindingsPanel panel(session.edit);
        panel.toggle();
        QTRY_VERIFY(!panel.findings().empty());
        // Two unknown titles, on lines 2 and 3; nothing of quotes or
        // brackets left open where a cut falls.
        QCOMPARE(panel.findings().size(), 2u);
        for (int i : {0, 1}) {
            QCOMPARE(panel.findings()[std::size_t(i)].kind, dnml::FindingKind::UnknownReference);
            QCOMPARE(panel.findings()[std::size_t(i)].line, i + 2);
        }
        // The value's second piece starts in the value, and is coloured so.
        session.edit.showLine(2);
        QTest::qWait(0);
        session.edit.viewport()->repaint();
        const QTextBlock second = session.document.lineBlock(2).next();
        QVERIFY(session.document.continuesLine(second));
        const QList<QTextLayout::FormatRange> formats = second.layout()->formats();
        QVERIFY(!formats.isEmpty());
        QCOMPARE(formats.front().start, 0);
        QCOMPARE(formats.front().format.foreground().color(), dnml::Highlighter::colour(dnml::Token::Value));
        // A U+FDD0 pasted in stays, and the check names it.
        QApplication::clipboard()->setText(u"\uFDD0"_s);
        session.edit.setCaret(3);
        session.edit.paste();
        QCOMPARE(session.edit.text().at(3), QChar(0xFDD0));
        const std::vector<dnml::Finding> found = dnml::check(session.edit.text());
        QVERIFY(std::any_of(found.begin(), found.end(), [](const dnml::Finding &f) {
            return f.kind == dnml::FindingKind::Unsavable && f.offset == 3;
        }));
        // A paragraph of 1,500 characters is one block.
        session.edit.setText(QString(1'500, u'雪'));
        QCOMPARE(session.edit.document()->blockCount(), 1);
    }

    void sessionAgainstTheModel_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("longest");
        const QByteArray chosen = qgetenv("SCRIVLET_SEED");
        if (!chosen.isEmpty()) {
            QTest::newRow("chosen seed") << quint32(chosen.toUInt()) << 200'000;
            return;
        }
        QTest::newRow("lines up to 20,000 characters, seed 1") << 1u << 20'000;
        QTest::newRow("lines up to 40,000 characters, seed 2") << 2u << 40'000;
        QTest::newRow("lines up to 80,000 characters, seed 3") << 3u << 80'000;
        QTest::newRow("lines up to 200,000 characters, seed 4") << 4u << 200'000;
    }

    void sessionAgainstTheModel()
    {
        QFETCH(quint32, seed);
        QFETCH(int, longest);
        QRandomGenerator random(seed);
        Session session(generatedScript(random, longest));
        QVERIFY(session.edit.document()->blockCount() > session.document.lineCount());
        const int operations = qEnvironmentVariableIsSet("SCRIVLET_OPERATIONS")
                                   ? qEnvironmentVariableIntValue("SCRIVLET_OPERATIONS")
                                   : 1'500;
        QString why;
        int cut = 0;
        for (int i = 0; i < operations; ++i) {
            cut += session.document.hasPieces();
            const int before = session.level();
            const QString what = operate(session, random);
            if (!session.agrees(before, what == u"undo"_s || what == u"redo"_s, &why))
                QFAIL(qPrintable(u"step %1 (%2): %3"_s.arg(i).arg(what, why)));
            if (i % 300 == 299 && !session.roundTrips(&why))
                QFAIL(qPrintable(u"step %1: %2"_s.arg(i).arg(why)));
        }
        QVERIFY2(cut > operations / 2, "most steps are taken where a line is cut");
    }
};

QTEST_MAIN(TestLongLines)
#include "test_long_lines.moc"

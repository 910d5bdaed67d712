// The document without any widget: edits reported exactly, copies of the
// text that follow the edits, and the worker's order and replies.
#include "document/background_run.h"
#include "document/script_document.h"
#include "document/settings.h"
#include "document/text_reader.h"
#include "document/worker.h"
#include "test_files.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

using Edit = std::function<void(QTextDocument *)>;

// Replaces `length` positions from `start` the way a keystroke or a paste does.
Edit replace(int start, int length, const QString &text)
{
    return [=](QTextDocument *document) {
        QTextCursor cursor(document);
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        cursor.insertText(text);
    };
}

// A text of several of the reader's slices: lines of markup and prose.
QString longScript()
{
    QString script;
    for (int line = 0; line < 12'000; ++line)
        script += u"<BGM SRC=\"雪\">「あ」\nうん\r\n"_s;
    return script;
}

// A change to a script and to its model, a copy of the text it should have.
using ScriptEdit = std::function<void(ScriptDocument &, QString &model)>;

// Replaces `length` characters of the script from `offset`, as a command does.
ScriptEdit put(qsizetype offset, qsizetype length, const QString &text)
{
    return [=](ScriptDocument &document, QString &model) {
        QTextCursor cursor(document.textDocument());
        cursor.setPosition(document.toPosition(offset));
        cursor.setPosition(document.toPosition(offset + length), QTextCursor::KeepAnchor);
        document.insert(cursor, text);
        model.replace(offset, length, text);
    };
}

// Deletes as Backspace over a selection does, then takes it back with undo.
ScriptEdit deleteThenUndo(qsizetype offset, qsizetype length)
{
    return [=](ScriptDocument &document, QString &) {
        QTextCursor cursor(document.textDocument());
        cursor.setPosition(document.toPosition(offset));
        cursor.setPosition(document.toPosition(offset + length), QTextCursor::KeepAnchor);
        document.insert(cursor, {});
        document.textDocument()->undo();
    };
}

// One line of prose and markup far longer than a piece.
QString longLine(int characters)
{
    QString line;
    while (line.size() < characters)
        line += u"<BGM SRC=\"雪\">雪が降っている、とても静かな夜だった。"_s;
    return line.left(characters);
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(ScriptEdit)
Q_DECLARE_METATYPE(QList<ScriptEdit>)
Q_DECLARE_METATYPE(TextReader::Edits)

class TestDocument : public QObject
{
    Q_OBJECT

private slots:
    void editsAreReportedExactly_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("a keystroke") << replace(3, 0, u"x"_s);
        QTest::newRow("a line break typed") << replace(3, 0, u"\n"_s);
        QTest::newRow("everything selected and replaced, the end included") << Edit([](QTextDocument *d) {
            QTextCursor cursor(d);
            cursor.select(QTextCursor::Document);
            cursor.insertText(u"新"_s);
        });
        QTest::newRow("everything deleted") << Edit([](QTextDocument *d) {
            QTextCursor cursor(d);
            cursor.select(QTextCursor::Document);
            cursor.removeSelectedText();
        });
        QTest::newRow("undo of a replacement") << Edit([](QTextDocument *d) {
            replace(0, 5, u"abc"_s)(d);
            d->undo();
        });
    }

    void editsAreReportedExactly()
    {
        QFETCH(Edit, edit);
        ScriptDocument document;
        document.replaceWhole(u"一行目\r\n二\n行目\r\n"_s, ScriptDocument::Origin::Opened, u"a.dnml"_s);
        QString model = document.text();
        const quint64 revision = document.revision();
        int edits = 0;
        connect(&document, &ScriptDocument::edited, this, [&](qsizetype offset, qsizetype removed, qsizetype added) {
            model.replace(offset, removed, document.text(offset, added));
            ++edits;
        });
        edit(document.textDocument());
        QVERIFY(edits > 0);
        QCOMPARE(readable(model), readable(document.text()));
        QCOMPARE(document.revision(), revision + quint64(edits));
        QCOMPARE(document.source(), u"a.dnml"_s);
    }

    // A copy read a slice at a time while the text is edited ends up as
    // the text, whether it reads the changed part again or folds it in.
    void copiesFollowTheEdits_data()
    {
        QTest::addColumn<TextReader::Edits>("mode");
        QTest::addColumn<Edit>("edit");
        const int slice = 1 << 17;
        for (const auto &[mode, name] : {std::pair{TextReader::Edits::ReadAgain, "read again"},
                                         std::pair{TextReader::Edits::FoldIn, "fold in"}}) {
            const auto row = [&](const char *what) { return QByteArray(name) + ": " + what; };
            QTest::newRow(row("before what was read").constData()) << mode << replace(10, 3, u"\n追加\n"_s);
            QTest::newRow(row("across where the copy has got").constData()) << mode << replace(slice - 5, 20, u"跨"_s);
            QTest::newRow(row("at where the copy has got").constData()) << mode << replace(slice, 0, u"境"_s);
            QTest::newRow(row("after it").constData()) << mode << replace(slice * 2, 7, QString());
            QTest::newRow(row("all of it replaced").constData()) << mode << Edit([](QTextDocument *d) {
                QTextCursor cursor(d);
                cursor.select(QTextCursor::Document);
                cursor.insertText(u"全"_s);
            });
        }
    }

    void copiesFollowTheEdits()
    {
        QFETCH(TextReader::Edits, mode);
        QFETCH(Edit, edit);
        ScriptDocument document;
        document.replaceWhole(longScript(), ScriptDocument::Origin::Opened);
        TextReader reader(document, mode);
        QVERIFY2(!reader.read(QDeadlineTimer(0)), "one slice is not the whole text");
        edit(document.textDocument());
        while (!reader.read(QDeadlineTimer(0))) {
        }
        QVERIFY(reader.complete());
        QVERIFY(reader.text() == document.text());
        // And again after a whole new text.
        document.replaceWhole(u"短い\r\n"_s, ScriptDocument::Origin::Replaced);
        QVERIFY(!reader.complete());
        QCOMPARE(reader.whole(), u"短い\r\n"_s);
    }

    // A line too long to lay out at each keystroke is shown in pieces, which
    // are nothing in the script: through edits that cut, join and make
    // pieces, and undo, the text, its offsets and lines stay the script's,
    // and no line at most cutAbove long is ever cut.
    void longLinesAreShownInPiecesOfOneLine_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<ScriptEdit>>("edits");
        constexpr qsizetype n = ScriptDocument::cutAbove;
        const QString script = u"短い行\r\n"_s + longLine(3 * n) + u"\r\n最後\r\n"_s;
        QTest::newRow("opened as it is") << script << QList<ScriptEdit>{};
        QTest::newRow("a line break put into a later piece") << script << QList<ScriptEdit>{put(2 * n, 0, u"\r\n"_s)};
        QTest::newRow("a selection over a piece break replaced by two lines")
            << script << QList<ScriptEdit>{put(n, 3'000, u"一\r\n二"_s)};
        QTest::newRow("a long line pasted into a short one")
            << script << QList<ScriptEdit>{put(2, 0, longLine(2 * n) + u"\r\n"_s + longLine(n + 5))};
        QTest::newRow("pieces deleted and brought back by undo")
            << script << QList<ScriptEdit>{deleteThenUndo(3'000, 2 * n), put(5, 0, u"x"_s)};
        QTest::newRow("the whole long line deleted, then undone, then edited")
            << script << QList<ScriptEdit>{deleteThenUndo(5, 3 * n + 2), put(2 * n, 1, u"\r\n"_s), put(12, 0, u"字"_s)};
        QTest::newRow("a line made just long enough is cut")
            << u"a\r\n"_s + longLine(n) + u"\r\nb"_s << QList<ScriptEdit>{put(3 + n / 2, 0, u"字"_s)};
        QTest::newRow("a cut line shortened to cutAbove is one block again")
            << u"a\r\n"_s + longLine(n + 2'000) + u"\r\nb"_s << QList<ScriptEdit>{put(5, 2'000, {})};
        QTest::newRow("a piece emptied by a deletion goes")
            << script << QList<ScriptEdit>{put(n, 1'500, {}), put(n - 600, 1'200, {}), put(n + 10, 900, {})};
        QTest::newRow("the first piece emptied from the line's start")
            << script << QList<ScriptEdit>{put(5, 1'300, {}), put(5, 0, u"頭"_s)};
        QTest::newRow("no cut between the halves of a surrogate pair")
            << QString(ScriptDocument::pieceLength - 1, u'あ') + u"😀"_s + QString(ScriptDocument::pieceLength - 2, u'い') +
                   u"😀"_s + QString(n, u'う')
            << QList<ScriptEdit>{put(100, 0, u"\r\n"_s)};
        QTest::newRow("a U+FDD0 of the author's is a character like any other")
            << u"前\uFDD0後\r\n"_s + longLine(2 * n) + u"\uFDD0"_s << QList<ScriptEdit>{put(n, 0, u"\uFDD0"_s)};
    }

    void longLinesAreShownInPiecesOfOneLine()
    {
        QFETCH(QString, script);
        QFETCH(QList<ScriptEdit>, edits);
        ScriptDocument document;
        document.replaceWhole(script, ScriptDocument::Origin::Opened);
        QString model = script;
        for (const ScriptEdit &edit : edits)
            edit(document, model);
        QVERIFY(document.text() == model);
        QCOMPARE(document.length(), model.size());
        const QStringList lines = model.split(u"\r\n"_s);
        QCOMPARE(document.lineCount(), lines.size());
        int blocks = 0;
        for (qsizetype line = 0; line < lines.size(); ++line) {
            QVERIFY(document.lineText(int(line)) == lines[line]);
            blocks += lines[line].size() > ScriptDocument::cutAbove ? 2 : 1;
        }
        QVERIFY2(document.textDocument()->blockCount() >= blocks, "every line longer than cutAbove is cut");
        for (qsizetype offset = 0; offset <= model.size(); offset += 97)
            if (offset == 0 || model[offset - 1] != u'\r')
                QCOMPARE(document.toScript(document.toPosition(offset)), offset);
        for (QTextBlock block = document.textDocument()->begin(); block.isValid(); block = block.next()) {
            QVERIFY(!block.text().endsWith(QChar(scriptdoc::loneLineFeed)));
            QVERIFY2(block.text().isEmpty() || !block.text().back().isHighSurrogate(), "a surrogate pair cut");
            const int line = int(model.left(document.toScript(block.position())).count(u"\r\n"_s));
            QCOMPARE(document.lineOf(block.position()), line);
            QVERIFY2(block.length() - 1 <= ScriptDocument::cutAbove || lines[line].size() <= ScriptDocument::cutAbove ||
                         block.length() - 1 <= 2 * ScriptDocument::pieceLength,
                     "a cut line's blocks are pieces");
        }
    }

    // What is remembered comes back at the next start, and what is not
    // there, or is out of range, falls back to the usual.
    void settingsComeBackAtTheNextStart()
    {
        QCOMPARE(settings::loadView(), settings::View{});
        settings::saveView({true, true, 99});
        QCOMPARE(settings::loadView(), (settings::View{true, true, settings::largestFont}));
        settings::RecentFiles recent = settings::RecentFiles::load();
        QVERIFY(recent.paths().isEmpty());
        for (int i = 1; i <= 12; ++i)
            recent.add(u"/台本/%1.dnml"_s.arg(i));
        recent.add(u"/台本/3.dnml"_s);
        recent.remove(u"/台本/12.dnml"_s);
        recent.save();
        QCOMPARE(settings::RecentFiles::load().paths(),
                 (QStringList{u"/台本/3.dnml"_s, u"/台本/11.dnml"_s, u"/台本/10.dnml"_s, u"/台本/9.dnml"_s,
                              u"/台本/8.dnml"_s, u"/台本/7.dnml"_s, u"/台本/6.dnml"_s, u"/台本/5.dnml"_s,
                              u"/台本/4.dnml"_s}));
    }

    // A run's result comes back only while the run is the latest and the
    // text is as it was; a new run, or the run's end, stops the job under
    // way, which gives up at once.
    void backgroundRunsDeliverOnlyWhatIsCurrent()
    {
        ScriptDocument document;
        document.replaceWhole(u"a"_s, ScriptDocument::Origin::Started);
        QList<int> delivered;
        std::atomic<int> stopped = 0;
        std::atomic<bool> running = false;
        const auto endless = [&stopped, &running](const BackgroundRun::Cancel &cancel) {
            running = true;
            while (!cancel.load())
                QThread::msleep(1);
            ++stopped;
            return -1;
        };
        const auto deliver = [&delivered](int value) { delivered << value; };
        {
            BackgroundRun run(document, u"test"_s);
            run.begin();
            run.post([](const BackgroundRun::Cancel &) { return 1; }, deliver);
            QTRY_COMPARE(delivered, QList<int>{1});
            QVERIFY(!run.stale());
            // The text moved on while the job ran: its result is dropped.
            run.begin();
            run.post([&document](const BackgroundRun::Cancel &) { return 2; }, deliver);
            QTextCursor(document.textDocument()).insertText(u"b"_s);
            QTRY_VERIFY(!run.busy());
            QCOMPARE(delivered, QList<int>{1});
            QVERIFY(run.stale());
            // A job that only feeds a later one delivers nothing.
            run.begin();
            run.post([](const BackgroundRun::Cancel &) {});
            QTRY_VERIFY(!run.busy());
            QVERIFY(run.stale());
            // A new run stops the one under way, and only its result comes.
            run.begin();
            run.post(endless, deliver);
            QTRY_VERIFY(running.load());
            run.begin();
            run.post([](const BackgroundRun::Cancel &) { return 3; }, deliver);
            QTRY_COMPARE(delivered, (QList<int>{1, 3}));
            QCOMPARE(stopped.load(), 1);
            // Gone with a job under way: the job stops, nothing comes.
            running = false;
            run.begin();
            run.post(endless, deliver);
            QTRY_VERIFY(running.load());
        }
        QCOMPARE(stopped.load(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(delivered, (QList<int>{1, 3}));
    }

    void workerRunsInOrderAndRepliesOnTheCallersThread()
    {
        QList<int> ran;
        QList<int> replies;
        QObject receiver;
        {
            Worker worker(u"test"_s);
            for (int job = 0; job < 20; ++job)
                worker.post([&ran, &receiver, &replies, job] {
                    ran << job;
                    Worker::reply(&receiver, [&replies, &receiver, job] {
                        QCOMPARE(QThread::currentThread(), receiver.thread());
                        replies << job;
                    });
                });
        }  // the jobs posted all run before the worker is gone
        QCOMPARE(ran.size(), 20);
        QVERIFY(std::is_sorted(ran.begin(), ran.end()));
        QTRY_COMPARE(replies.size(), 20);
        QVERIFY(std::is_sorted(replies.begin(), replies.end()));
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"

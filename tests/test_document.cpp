// The document without any widget: edits reported exactly, copies of the
// text that follow the edits, and the worker's order and replies.
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
        cursor.removeSelectedText();
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
        QString model = document.textDocument()->toRawText();
        const quint64 revision = document.revision();
        int edits = 0;
        connect(&document, &ScriptDocument::edited, this, [&](int position, int removed, int added) {
            model.replace(position, removed, document.rawText(position, added));
            ++edits;
        });
        edit(document.textDocument());
        QVERIFY(edits > 0);
        QCOMPARE(readable(model), readable(document.textDocument()->toRawText()));
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
        QVERIFY(reader.text() == document.textDocument()->toRawText());
        // And again after a whole new text.
        document.replaceWhole(u"短い\r\n"_s, ScriptDocument::Origin::Replaced);
        QVERIFY(!reader.complete());
        QCOMPARE(reader.whole(), QStringLiteral(u"短い\u2029"));
    }

    // A line too long to lay out at each keystroke is shown in pieces, which
    // are nothing in the script: through edits that cut, join and make
    // pieces, and undo, the text, its offsets and lines stay the script's,
    // and the raw text a journal keeps gives the same script back.
    void longLinesAreShownInPiecesOfOneLine_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<ScriptEdit>>("edits");
        const QString script = u"短い行\r\n"_s + longLine(10'000) + u"\r\n最後\r\n"_s;
        QTest::newRow("opened as it is") << script << QList<ScriptEdit>{};
        QTest::newRow("a line break put into a later piece") << script << QList<ScriptEdit>{put(9'000, 0, u"\r\n"_s)};
        QTest::newRow("a selection over a piece break replaced by two lines")
            << script << QList<ScriptEdit>{put(4'000, 300, u"一\r\n二"_s)};
        QTest::newRow("a long line pasted into a short one")
            << script << QList<ScriptEdit>{put(2, 0, longLine(9'000) + u"\r\n"_s + longLine(5'000))};
        QTest::newRow("pieces deleted and brought back by undo")
            << script << QList<ScriptEdit>{deleteThenUndo(3'000, 6'000), put(5, 0, u"x"_s)};
        QTest::newRow("the whole long line deleted, then undone, then edited")
            << script
            << QList<ScriptEdit>{deleteThenUndo(5, 10'002), put(8'000, 1, u"\r\n"_s), put(12, 0, u"字"_s)};
        QTest::newRow("no cut between the halves of a surrogate pair")
            << QString(ScriptDocument::pieceLength - 1, u'あ') + u"😀"_s + QString(ScriptDocument::pieceLength - 2, u'い') +
                   u"😀"_s + QString(3'000, u'う')
            << QList<ScriptEdit>{put(100, 0, u"\r\n"_s)};
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
        QVERIFY(document.textDocument()->blockCount() > int(model.count(u"\r\n"_s)) + 1);
        QVERIFY(document.text() == model);
        QCOMPARE(document.length(), model.size());
        QCOMPARE(document.lineCount(), int(model.count(u"\r\n"_s)) + 1);
        for (qsizetype offset = 0; offset <= model.size(); offset += 97)
            if (offset == 0 || model[offset - 1] != u'\r')
                QCOMPARE(document.toScript(document.toPosition(offset)), offset);
        for (QTextBlock block = document.textDocument()->begin(); block.isValid(); block = block.next()) {
            QVERIFY(!block.text().endsWith(QChar(scriptdoc::loneLineFeed)));
            QVERIFY2(block.text().isEmpty() || !block.text().back().isHighSurrogate(), "a surrogate pair cut");
            QCOMPARE(document.lineOf(block.position()),
                     int(model.left(document.toScript(block.position())).count(u"\r\n"_s)));
        }
        ScriptDocument restored;
        restored.replaceWholeRaw(document.rawText(0, document.positions()), ScriptDocument::Origin::Restored, {});
        QVERIFY(restored.text() == model);
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

// Script files, byte for byte: decoding with the line-end rules, encoding,
// and the atomic write; the words for a file that fails.
#include "document/io_wording.h"
#include "document/script_file.h"
#include "markup/markup.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

using namespace scriptfile;
using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray sjis(const char *hex) { return QByteArray::fromHex(hex); }

using Operation = IoError::Operation;
using Trouble = IoError::Trouble;

IoError failure(Operation operation, Trouble trouble, const QString &path = {}, int code = 0)
{
    IoError error = IoError::of(operation, trouble, path);
    error.code = code;
    return error;
}

IoError with(IoError error, unsigned mode, qint64 size = -1, qint64 limit = -1, qint64 position = -1)
{
    error.mode = mode;
    error.size = size;
    error.limit = limit;
    error.position = position;
    return error;
}

} // namespace

Q_DECLARE_METATYPE(IoError)

class TestScriptFile : public QObject
{
    Q_OBJECT

private slots:
    void decodesLinesAndCharacters_data();
    void decodesLinesAndCharacters();
    void flagsBytesOutsideTheCodePage_data();
    void flagsBytesOutsideTheCodePage();
    void encodesTextThenOneLineBreak_data();
    void encodesTextThenOneLineBreak();
    void refusesCharactersTheCodePageCannotHold_data();
    void refusesCharactersTheCodePageCannotHold();
    void everyCharacterOfTheCodePageRoundTrips();
    void startingDocumentIs335BytesAndComesBack();
    void loadReportsWhatCannotBeRead();
    void saveReplacesTheTargetWhole();
    void failedSaveLeavesTargetAndNoStrayFile_data();
    void failedSaveLeavesTargetAndNoStrayFile();
    void errorsAreWordedAsTheAuthorReadsThem_data();
    void errorsAreWordedAsTheAuthorReadsThem();
    void lookAlikesBecomeWhatTheCodePageHolds_data();
    void lookAlikesBecomeWhatTheCodePageHolds();
    void filesFromElsewhereAreRecognised_data();
    void filesFromElsewhereAreRecognised();
    void filesFromElsewhereAreReadAsAsked_data();
    void filesFromElsewhereAreReadAsAsked();
};

void TestScriptFile::decodesLinesAndCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("no bytes: empty text") << QByteArray() << QString();
    QTest::newRow("only CR LF: empty text") << sjis("0d0a") << QString();
    QTest::newRow("last line needs no break") << QByteArray("A\r\nB") << QStringLiteral("A\r\nB");
    QTest::newRow("one final CR LF is dropped") << QByteArray("A\r\nB\r\n") << QStringLiteral("A\r\nB");
    QTest::newRow("empty last line survives") << QByteArray("A\r\n\r\n") << QStringLiteral("A\r\n");
    QTest::newRow("lone CR ends a line") << QByteArray("A\rB") << QStringLiteral("A\r\nB");
    QTest::newRow("lone CR at the end is dropped") << QByteArray("A\r") << QStringLiteral("A");
    QTest::newRow("lone CR before CR LF") << QByteArray("A\r\r\nB") << QStringLiteral("A\r\n\r\nB");
    QTest::newRow("lone LF stays in its line") << QByteArray("A\nB\n") << QStringLiteral("A\nB\n");
    QTest::newRow("LF CR is LF then a break") << QByteArray("A\n\rB") << QStringLiteral("A\n\r\nB");
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\r\nb\r\nc\nd");
    QTest::newRow("backslash and tilde are ASCII") << QByteArray("\\~") << QStringLiteral("\\~");
    QTest::newRow("control codes stay themselves") << sjis("1a1c7f00") << QString::fromUtf16(u"\x1a\x1c\x7f\0", 4);
    QTest::newRow("kanji and kana") << sjis("8a bf 8e9a 82a9 83 4a") << QStringLiteral(u"漢字かカ");
    QTest::newRow("half-width katakana") << sjis("b1 dd df a1") << QStringLiteral(u"ｱﾝﾟ｡");
    QTest::newRow("trail byte that looks like a letter") << sjis("8141") << QStringLiteral(u"、");
    QTest::newRow("trail byte that looks like a backslash") << sjis("955c") << QStringLiteral(u"表");
    QTest::newRow("NEC special: circled one") << sjis("8740") << QStringLiteral(u"①");
    QTest::newRow("IBM extension kanji") << sjis("fbfc") << QStringLiteral(u"髙");
    QTest::newRow("user-defined area") << sjis("f040") << QString(QChar(0xE000));
    QTest::newRow("wave dash is the full-width tilde") << sjis("8160") << QStringLiteral(u"～");
}

void TestScriptFile::decodesLinesAndCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const Decoded decoded = decode(bytes);
    QCOMPARE(readable(decoded.text), readable(text));
    QCOMPARE(decoded.firstBadLine, 0);
}

void TestScriptFile::flagsBytesOutsideTheCodePage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("firstBadLine");

    // U+FFFD stands where the bytes were not code page 932.
    QTest::newRow("lead byte at the very end") << sjis("41 81") << QStringLiteral(u"A\uFFFD") << 1;
    QTest::newRow("lead byte at the end of a line") << sjis("410d0a 42 81 0d0a 43") << QStringLiteral(u"A\r\nB\uFFFD\r\nC") << 2;
    QTest::newRow("lead byte then an invalid trail byte") << sjis("81 ff 41") << QStringLiteral(u"\uFFFD\uFFFDA") << 1;
    QTest::newRow("lead byte then CR keeps the break") << sjis("81 0d 41") << QStringLiteral(u"\uFFFD\r\nA") << 1;
    QTest::newRow("unassigned pair") << sjis("0d0a 8540") << QStringLiteral(u"\r\n\uFFFD") << 2;
    QTest::newRow("unassigned single bytes") << sjis("80 a0 fd fe ff") << QStringLiteral(u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD") << 1;
    QTest::newRow("first of several is reported") << sjis("0d0a0d0a 80 0d0a 80") << QStringLiteral(u"\r\n\r\n\uFFFD\r\n\uFFFD") << 3;
}

void TestScriptFile::flagsBytesOutsideTheCodePage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, firstBadLine);
    const Decoded decoded = decode(bytes);
    QCOMPARE(readable(decoded.text), readable(text));
    QCOMPARE(decoded.firstBadLine, firstBadLine);
}

void TestScriptFile::encodesTextThenOneLineBreak_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty text is one CR LF") << QString() << sjis("0d0a");
    QTest::newRow("two lines") << QStringLiteral("A\r\nB") << QByteArray("A\r\nB\r\n");
    QTest::newRow("text ending in a break gains another") << QStringLiteral("A\r\n") << QByteArray("A\r\n\r\n");
    QTest::newRow("lone LF written as it is") << QStringLiteral("A\nB") << QByteArray("A\nB\r\n");
    QTest::newRow("kanji and kana") << QStringLiteral(u"漢字かカ") << sjis("8abf8e9a82a9834a0d0a");
    QTest::newRow("half-width katakana one byte each") << QStringLiteral(u"ｱﾝ") << sjis("b1dd0d0a");
    QTest::newRow("full-width tilde") << QStringLiteral(u"～") << sjis("81600d0a");
    QTest::newRow("IBM kanji written as Windows does") << QStringLiteral(u"髙") << sjis("fbfc0d0a");
    QTest::newRow("because: JIS row, not NEC row 13") << QStringLiteral(u"∵") << sjis("81e60d0a");
}

void TestScriptFile::encodesTextThenOneLineBreak()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const Encoded encoded = encode(text);
    QVERIFY(!encoded.error);
    QCOMPARE(encoded.bytes.toHex(' '), bytes.toHex(' '));
}

void TestScriptFile::refusesCharactersTheCodePageCannotHold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("character");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");

    QTest::newRow("euro sign") << QStringLiteral(u"price €") << uint(0x20AC) << 1 << 7;
    QTest::newRow("yen sign is not backslash") << QStringLiteral(u"¥") << uint(0xA5) << 1 << 1;
    QTest::newRow("wave dash U+301C") << QStringLiteral(u"a\r\nb〜") << uint(0x301C) << 2 << 2;
    QTest::newRow("no-break space") << QStringLiteral(u"a\u00a0") << uint(0xA0) << 1 << 2;
    QTest::newRow("lone LF is a character of its line") << QStringLiteral(u"ab\ncd€") << uint(0x20AC) << 1 << 6;
    QTest::newRow("emoji counts one column") << QStringLiteral(u"\r\n\r\nx😀y") << uint(0x1F600) << 3 << 2;
    QTest::newRow("lone surrogate") << (QStringLiteral("ab") + QChar(0xD800)) << uint(0xD800) << 1 << 3;
    QTest::newRow("replacement character from a bad file") << QStringLiteral(u"x\uFFFD") << uint(0xFFFD) << 1 << 2;
    QTest::newRow("first of several") << QStringLiteral(u"ok\r\n€ and ¥") << uint(0x20AC) << 2 << 1;
}

void TestScriptFile::refusesCharactersTheCodePageCannotHold()
{
    QFETCH(QString, text);
    QFETCH(uint, character);
    QFETCH(int, line);
    QFETCH(int, column);
    const Encoded encoded = encode(text);
    QVERIFY(encoded.error);
    QVERIFY(encoded.bytes.isEmpty());
    QCOMPARE(uint(encoded.error->character), character);
    QCOMPARE(encoded.error->line, line);
    QCOMPARE(encoded.error->column, column);
}

void TestScriptFile::everyCharacterOfTheCodePageRoundTrips()
{
    // Every assigned byte sequence decodes to a character that encodes back
    // to bytes that decode to the same character; duplicates of the NEC and
    // IBM areas settle on one pair.
    int characters = 0;
    for (int lead = 0; lead < 0x100; ++lead) {
        for (int trail = 0x40; trail < 0x100; ++trail) {
            QByteArray bytes(1, char(lead));
            if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))
                bytes.append(char(trail));
            else if (trail != 0x40)
                continue;
            const Decoded decoded = decode(bytes);
            if (decoded.firstBadLine != 0 || bytes == "\r")
                continue;
            ++characters;
            const Encoded encoded = encode(decoded.text);
            QVERIFY2(!encoded.error, qPrintable(bytes.toHex()));
            QCOMPARE(decode(encoded.bytes.chopped(2)).text, decoded.text);
        }
    }
    // 128 ASCII less CR, 63 half-width kana, and the double-byte table.
    QVERIFY2(characters > 127 + 63 + 7000, qPrintable(QString::number(characters)));
}

void TestScriptFile::startingDocumentIs335BytesAndComesBack()
{
    const QString document = QString::fromUtf16(markup::startingDocument.data(), qsizetype(markup::startingDocument.size()));
    const Encoded encoded = encode(document);
    QVERIFY(!encoded.error);
    QCOMPARE(encoded.bytes.size(), 335);
    QVERIFY(encoded.bytes.endsWith("\">\r\n\r\n"));
    QCOMPARE(decode(encoded.bytes).text, document);
}

void TestScriptFile::loadReportsWhatCannotBeRead()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.dnml"));
    QVERIFY(writeFile(empty, {}));
    const Loaded opened = load(empty);
    QVERIFY(!opened.error);
    QCOMPARE(opened.script.text, QString());

    for (const QString &path : {dir.path(), dir.filePath(QStringLiteral("missing.dnml"))}) {
        const Loaded failed = load(path);
        QVERIFY2(failed.error, qPrintable(path));
        QVERIFY(!wording(*failed.error).isEmpty());
        QVERIFY(failed.script.text.isEmpty());
    }
}

void TestScriptFile::saveReplacesTheTargetWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(u"台本.dnml"));
    QVERIFY(writeFile(path, QByteArray(1000, 'x')));
    QVERIFY(!save(path, "A\r\nB\r\n"));
    QCOMPARE(readFile(path), QByteArray("A\r\nB\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral(u"台本.dnml")});
}

void TestScriptFile::failedSaveLeavesTargetAndNoStrayFile_data()
{
    QTest::addColumn<QString>("target");  // relative to a fresh folder holding "old.dnml" and "file"
    QTest::newRow("folder is gone") << QStringLiteral("gone/new.dnml");
    QTest::newRow("parent is a file") << QStringLiteral("file/new.dnml");
    QTest::newRow("target is a folder") << QStringLiteral("folder");
}

void TestScriptFile::failedSaveLeavesTargetAndNoStrayFile()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("old.dnml")), "old"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("file")), "a file"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    const auto error = save(dir.filePath(target), "new\r\n");
    QVERIFY(error);
    QVERIFY(!wording(*error).isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("file"))), QByteArray("a file"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
}

void TestScriptFile::errorsAreWordedAsTheAuthorReadsThem_data()
{
    QTest::addColumn<IoError>("error");
    QTest::addColumn<QString>("sentence");
    const QString full = QString::fromLocal8Bit(std::strerror(ENOSPC));
    IoError device = failure(Operation::Write, Trouble::System);
    device.systemText = u"Device said no"_s;

    QTest::newRow("no path: the system's words alone") << failure(Operation::Read, Trouble::System, {}, ENOSPC) << full;
    QTest::newRow("no path: a device's own words") << device << u"Device said no"_s;
    QTest::newRow("a folder to read says what it is") << with(failure(Operation::Read, Trouble::NotAFile), S_IFDIR)
                                                      << u"ファイルではなくフォルダーです"_s;
    QTest::newRow("a link refused says so") << with(failure(Operation::Read, Trouble::NotAFile), S_IFLNK)
                                            << u"ファイルではなくシンボリックリンクです"_s;
    QTest::newRow("too large: its size and the limit in MB")
        << with(failure(Operation::Read, Trouble::TooLarge), 0, 300 << 20, 256 << 20)
        << u"300.0 MB のファイルです。開けるのは 256 MB までです"_s;
    QTest::newRow("too large, size unknown: only the limit") << with(failure(Operation::Read, Trouble::TooLarge), 0, -1, 256 << 20)
                                                             << u"256 MB より大きいファイルです"_s;
    QTest::newRow("a write cut short: bytes taken of all") << with(failure(Operation::Write, Trouble::ShortWrite), 0, 10, -1, 4)
                                                           << u"10バイトのうち4バイトしか書き込めませんでした"_s;
    QTest::newRow("a named file not written: the path, then why")
        << failure(Operation::Write, Trouble::System, u"/v/a"_s, ENOSPC) << u"「/v/a」に書けません（%1）。"_s.arg(full);
    QTest::newRow("a named file not read, for its size")
        << with(failure(Operation::Read, Trouble::TooLarge, u"/v/t"_s), 0, 300 << 20, 256 << 20)
        << u"「/v/t」を読めません（300.0 MB のファイルです。開けるのは 256 MB までです）。"_s;
    QTest::newRow("create") << failure(Operation::Create, Trouble::System, u"/j"_s, ENOSPC) << u"「/j」を作れません（%1）。"_s.arg(full);
    QTest::newRow("finish writing") << failure(Operation::Finish, Trouble::System, u"/j"_s, ENOSPC)
                                    << u"「/j」を書き終えられません（%1）。"_s.arg(full);
    QTest::newRow("remove") << failure(Operation::Remove, Trouble::System, u"/j"_s, ENOSPC) << u"「/j」を消せません（%1）。"_s.arg(full);
    QTest::newRow("inspect a folder") << failure(Operation::Inspect, Trouble::System, u"/d"_s, ENOSPC)
                                      << u"フォルダ「/d」を調べられません（%1）。"_s.arg(full);
    QTest::newRow("a folder not made, with why") << failure(Operation::MakeFolder, Trouble::System, u"/d"_s, ENOSPC)
                                                 << u"フォルダ「/d」を作れません（%1）。"_s.arg(full);
    QTest::newRow("a folder not made, nothing says why: no brackets")
        << failure(Operation::MakeFolder, Trouble::System, u"/d"_s) << u"フォルダ「/d」を作れません。"_s;
    QTest::newRow("no lock file") << failure(Operation::Lock, Trouble::System, u"/j"_s) << u"「/j」の鎖錠ファイルを作れません。"_s;
    QTest::newRow("a link where a folder should be")
        << with(failure(Operation::Inspect, Trouble::NotAFolder, u"/d"_s), S_IFLNK | 0777)
        << u"「/d」はフォルダーではなくシンボリックリンクです。"_s;
    QTest::newRow("another user's folder") << failure(Operation::Inspect, Trouble::NotOwned, u"/d"_s)
                                           << u"フォルダ「/d」の持ち主がこのユーザーではありません。"_s;
    QTest::newRow("a folder open to others: its permissions in octal")
        << with(failure(Operation::Inspect, Trouble::OpenToOthers, u"/d"_s), S_IFDIR | 0755)
        << u"フォルダ「/d」にほかのユーザーも入れます（755）。"_s;
    QTest::newRow("a folder another window holds") << failure(Operation::Lock, Trouble::InUse, u"/d"_s)
                                                   << u"版のフォルダ「/d」を、ほかのウィンドウが使っています。"_s;
    QTest::newRow("damaged") << failure(Operation::Read, Trouble::Damaged, u"/t"_s) << u"「/t」は壊れています。"_s;
}

void TestScriptFile::errorsAreWordedAsTheAuthorReadsThem()
{
    QFETCH(IoError, error);
    QFETCH(QString, sentence);
    QCOMPARE(wording(error), sentence);
}

void TestScriptFile::lookAlikesBecomeWhatTheCodePageHolds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("written");  // as every other code page 932 encoder writes it
    QTest::newRow("wave dash") << u"〜"_s << QByteArray("\x81\x60");
    QTest::newRow("minus sign") << u"\u2212"_s << QByteArray("\x81\x7c");
    QTest::newRow("double vertical line") << u"\u2016"_s << QByteArray("\x81\x61");
    QTest::newRow("em dash") << u"\u2014"_s << QByteArray("\x81\x5c");
    QTest::newRow("cent sign") << u"\u00a2"_s << QByteArray("\x81\x91");
    QTest::newRow("pound sign") << u"\u00a3"_s << QByteArray("\x81\x92");
    QTest::newRow("not sign") << u"\u00ac"_s << QByteArray("\x81\xca");
    QTest::newRow("yen sign") << u"\u00a5"_s << QByteArray("\x5c");
    QTest::newRow("overline") << u"\u203e"_s << QByteArray("\x7e");
    QTest::newRow("a heart is no look-alike") << u"\u2665"_s << QByteArray();
}

// The look-alike reads back from the bytes every other encoder writes, so
// the text shows what the file will hold; a character the code page lacks
// stays as it is, and cannot be saved.
void TestScriptFile::lookAlikesBecomeWhatTheCodePageHolds()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, written);
    qsizetype replaced = 0;
    const QString held = scriptfile::savable(u"a"_s + typed + u"b"_s, &replaced);
    QCOMPARE(replaced, written.isEmpty() ? 0 : 1);
    const scriptfile::Encoded encoded = scriptfile::encode(held);
    if (written.isEmpty()) {
        QCOMPARE(held, u"a"_s + typed + u"b"_s);
        QVERIFY(encoded.error);
        QVERIFY(!scriptfile::holds(typed.front().unicode()));
        return;
    }
    QCOMPARE(encoded.bytes, "a" + written + "b\r\n");
    QCOMPARE(scriptfile::decode(encoded.bytes).text, held);
    QVERIFY(scriptfile::holds(held[1].unicode()));
}

void TestScriptFile::filesFromElsewhereAreRecognised_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("nul");
    QTest::addColumn<bool>("loneLineFeeds");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("the program's own: CR LF") << QByteArray("a\r\nb") << false << false << false;
    QTest::newRow("LF only") << QByteArray("a\nb\n") << false << true << false;
    QTest::newRow("mixed: a CR anywhere keeps LFs inside lines") << QByteArray("a\nb\r\n") << false << false << false;
    QTest::newRow("UTF-8 with a mark, ASCII only") << QByteArray("\xef\xbb\xbf<P>") << false << false << true;
    QTest::newRow("UTF-8 without a mark") << QByteArray("\xe3\x81\x82\r\n") << false << false << true;
    QTest::newRow("Shift-JIS that is no UTF-8") << QByteArray("\x82\xa0\r\n") << false << false << false;
    QTest::newRow("Shift-JIS that happens to be ASCII") << QByteArray("<BGM SRC=\"x\">") << false << false << false;
    QTest::newRow("NUL bytes") << QByteArray("MZ\0\0\x90", 5) << true << false << false;
}

void TestScriptFile::filesFromElsewhereAreRecognised()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, nul);
    QFETCH(bool, loneLineFeeds);
    QFETCH(bool, utf8);
    const scriptfile::Survey survey = scriptfile::survey(bytes);
    QCOMPARE(survey.nul, nul);
    QCOMPARE(survey.loneLineFeeds, loneLineFeeds);
    QCOMPARE(survey.utf8, utf8);
}

void TestScriptFile::filesFromElsewhereAreReadAsAsked_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lineFeedsBreak");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("text");
    QTest::newRow("LF as line ends") << QByteArray("a\nb\n") << true << false << u"a\r\nb"_s;
    QTest::newRow("LF kept inside its line") << QByteArray("a\nb\n") << false << false << u"a\nb\n"_s;
    QTest::newRow("UTF-8 with a mark, LF as line ends, 〜 held as ～")
        << QByteArray("\xef\xbb\xbf\xe3\x81\xa1\xe3\x80\x9c\nx\n") << true << true << u"ち～\r\nx"_s;
    QTest::newRow("UTF-8 keeps what Shift-JIS lacks, for the check to find")
        << QByteArray("\xe2\x99\xa5\r\n") << false << true << u"\u2665"_s;
}

void TestScriptFile::filesFromElsewhereAreReadAsAsked()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lineFeedsBreak);
    QFETCH(bool, utf8);
    QFETCH(QString, text);
    const scriptfile::Decoded decoded = scriptfile::decode(bytes, {lineFeedsBreak, utf8});
    QCOMPARE(readable(decoded.text), readable(text));
    QCOMPARE(decoded.firstBadLine, 0);
}

QTEST_APPLESS_MAIN(TestScriptFile)
#include "test_script_file.moc"

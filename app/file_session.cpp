#include "app/file_session.h"

#include "app/dialogs.h"

#include <QScopedValueRollback>

namespace {

const QString openTitle = QStringLiteral(u"開く");
const QString reloadTitle = QStringLiteral(u"再読み込み");
const QString saveTitle = QStringLiteral(u"保存");

} // namespace

FileSession::FileSession(ScriptDocument &document, Dialogs &dialogs, QWidget *window)
    : m_document(document)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_recent(settings::RecentFiles::load())
{
    connect(&document, &ScriptDocument::replacedWhole, this, &FileSession::followDocument);
    connect(&document, &ScriptDocument::contentChanged, this, &FileSession::textChanged);
}

void FileSession::start(QStringView text)
{
    {
        const QScopedValueRollback replacing(m_replacing, true);
        m_document.replaceWhole(text, ScriptDocument::Origin::Started);
    }
    m_name.clear();
    becomes({}, false);
    showForm({}, {});
}

void FileSession::textChanged()
{
    // A keystroke that finds the mark set costs nothing more.
    if (m_replacing || m_changed)
        return;
    m_changed = true;
    emit fileShown(path(), true);
}

void FileSession::followDocument()
{
    if (m_replacing)
        return;
    // A text from elsewhere (a restored journal, a text put in whole): it
    // names its file, but is not what that file holds.
    m_name = disk::nameToBytes(m_document.source());
    becomes({disk::stampOf(m_document.source()), {}}, m_changed);
    showForm({}, {});
}

void FileSession::becomes(const OnDisk &onDisk, bool changed)
{
    m_onDisk = onDisk;
    m_noticed.reset();
    withdrawNotice();
    m_changed = changed;
    emit fileShown(path(), changed);
}

bool FileSession::mayDiscardEdits(const QString &title, const QString &question)
{
    return !m_changed || m_dialogs.yesNo(m_window, title, question);
}

bool FileSession::mayOpen()
{
    return mayDiscardEdits(QStringLiteral(u"開く確認"), QStringLiteral(u"保存していませんが\n開いても宜しいですか?"));
}

void FileSession::open()
{
    if (!mayOpen())
        return;
    const QString chosen = m_dialogs.openPath(m_window);
    if (!chosen.isEmpty())
        load(chosen, Purpose::Open);
}

void FileSession::openFile(const QString &path)
{
    if (!mayOpen())
        return;
    m_dialogs.chosenElsewhere(path);
    load(path, Purpose::Open);
}

void FileSession::openRecent(const QString &path)
{
    if (disk::present(path)) {
        openFile(path);
        return;
    }
    m_dialogs.warn(m_window, openTitle,
                   QStringLiteral(u"「%1」が見つかりません。最近使ったファイルの一覧から外します。").arg(disk::shownName(path)));
    m_recent.remove(path);
    m_recent.save();
    emit recentFilesChanged(m_recent.paths());
}

bool FileSession::reloadNoticed()
{
    // Opening or saving another file withdrew the notice: it names no file now.
    const bool named = !m_noticeName.isEmpty();
    withdrawNotice();
    return named &&
           mayDiscardEdits(reloadTitle, QStringLiteral(u"保存していない変更は失われます。\n再読み込みしますか?")) &&
           load(path(), Purpose::Reload);
}

bool FileSession::load(const QString &path, Purpose purpose)
{
    const QString title = purpose == Purpose::Open ? openTitle : reloadTitle;
    const QString name = disk::shownName(path);
    const disk::Stamp before = disk::stampOf(path);
    scriptfile::Survey surveyed;
    scriptfile::Loaded loaded;
    {
        const QScopedValueRollback replacing(m_replacing, true);
        loaded = m_document.open(path, [&](const scriptfile::Survey &survey) {
            surveyed = survey;
            return howToRead(survey, title, name);
        });
    }
    if (loaded.givenUp)
        return false;
    if (loaded.error) {
        m_dialogs.warn(m_window, title,
                       purpose == Purpose::Open
                           ? QStringLiteral(u"「%1」を開けませんでした。\n%2").arg(name, loaded.error->reason)
                           : QStringLiteral(u"「%1」を読み直せませんでした。\n%2\n台本は読み直す前のままです。")
                                 .arg(name, loaded.error->reason));
        return false;
    }
    // A change made while the file was read counts as one made after.
    m_name = disk::nameToBytes(m_document.source());
    becomes({before, loaded.digest}, purpose == Purpose::Open);
    showForm(surveyed, loaded.reading);
    remember();
    if (loaded.script.firstBadLine != 0)
        m_dialogs.warn(m_window, openTitle,
                       QStringLiteral(u"「%1」の%2行目に、Shift-JISとして読めない部分があります。\n"
                                      u"読めなかった文字は「\uFFFD」に置き換えてあります。"
                                      u"直すまでは保存できません。")
                           .arg(name, QString::number(loaded.script.firstBadLine)));
    return true;
}

// A file written by another editor is read as the author says, Yes being
// the way other editors read it; one that is no text at all is read only
// if the author insists. Line ends the script cannot keep as they are come
// in one question, and No reads nothing: a script line holds a lone LF,
// but no lone CR and no U+2028 or U+2029 (Text1 shows them as breaks).
std::optional<scriptfile::Reading> FileSession::howToRead(const scriptfile::Survey &survey, const QString &title,
                                                          const QString &name)
{
    if (survey.nul &&
        m_dialogs.choose(m_window, title,
                         QStringLiteral(u"「%1」にはNUL文字があります。テキストファイルではないようです。\n開きますか?").arg(name),
                         {QStringLiteral(u"はい(&Y)"), QStringLiteral(u"いいえ(&N)")}, 1) != 0)
        return std::nullopt;
    scriptfile::Reading reading;
    reading.utf8 = survey.utf8 && m_dialogs.yesNo(m_window, title,
                                                   QStringLiteral(u"「%1」はUTF-8で書かれているようです。UTF-8として読みますか?\n"
                                                                  u"保存するとShift-JISになります。"
                                                                  u"Shift-JISで保存できない文字は検査で指摘されます。")
                                                       .arg(name));
    const qsizetype separators = reading.utf8 ? survey.separators : 0;
    QStringList unkept;
    if (survey.loneCarriageReturns > 0)
        unkept << QStringLiteral(u"CRだけの改行 %1 か所").arg(survey.loneCarriageReturns);
    if (survey.doubledCarriageReturns > 0)
        unkept << QStringLiteral(u"CR CR LF %1 か所").arg(survey.doubledCarriageReturns);
    if (separators > 0)
        unkept << QStringLiteral(u"改行文字 U+2028・U+2029 %1 個").arg(separators);
    if (unkept.isEmpty()) {
        reading.lineFeedsBreak =
            survey.loneLineFeeds &&
            m_dialogs.yesNo(m_window, title,
                            QStringLiteral(u"「%1」の改行はLFだけです。LFで行を分けて読みますか?\n"
                                           u"保存すると改行はCR LFになります。"
                                           u"「いいえ」なら、LFを行の中の文字として読みます。"
                                           u"保存してもLFはそのまま書かれ、ファイルの終わりにCR LFが1つ付きます。")
                                .arg(name));
        return reading;
    }
    if (survey.loneLineFeeds)
        unkept.prepend(QStringLiteral(u"LFだけの改行 %1 か所").arg(survey.lineFeeds));
    if (!m_dialogs.yesNo(m_window, title,
                         QStringLiteral(u"「%1」には、台本の改行（CR LF）にできない改行があります：%2。\n"
                                        u"どれも改行1つとして読みますか? 保存すると改行はCR LFになります。\n"
                                        u"「いいえ」なら読み込まず、台本はいまのままです。")
                             .arg(name, unkept.join(u"、"))))
        return std::nullopt;
    reading.lineFeedsBreak = survey.loneLineFeeds;
    reading.oneBreakForCrCrLf = survey.doubledCarriageReturns > 0;
    reading.separatorsBreak = separators > 0;
    return reading;
}

void FileSession::showForm(const scriptfile::Survey &survey, const scriptfile::Reading &reading)
{
    QStringList mended;
    if (reading.lineFeedsBreak)
        mended << QStringLiteral("LF");
    if (survey.loneCarriageReturns > 0)
        mended << QStringLiteral("CR");
    if (reading.oneBreakForCrCrLf)
        mended << QStringLiteral("CR CR LF");
    if (reading.separatorsBreak)
        mended << QStringLiteral("U+2028/2029");
    const bool keptLineFeeds = survey.loneLineFeeds && !reading.lineFeedsBreak;
    QString form = reading.utf8 ? QStringLiteral(u"UTF-8 から → Shift-JIS") : QStringLiteral(u"Shift-JIS");
    form += !mended.isEmpty() ? QStringLiteral(u"・%1 から → CR LF").arg(mended.join(u"、"))
            : keptLineFeeds   ? QStringLiteral(u"・LF（行の中の文字）")
                              : QStringLiteral(u"・CR LF");
    QString detail = reading.utf8 || !mended.isEmpty()
                         ? QStringLiteral(u"開いたときの形から変えて、Shift-JIS と CR LF で保存します")
                         : QStringLiteral(u"Shift-JIS と CR LF で保存します");
    if (keptLineFeeds)
        detail += QStringLiteral(u"。LF は行の中の文字として LF のまま書き、ファイルの終わりに CR LF を1つ付けます");
    emit formShown(form, detail);
}

std::optional<QByteArray> FileSession::encodedText()
{
    // A script that code page 932 cannot hold would be changed on disk:
    // say which characters stand in the way before anything is chosen.
    scriptfile::Encoded encoded = scriptfile::encode(m_document.text());
    if (!encoded.error)
        return std::move(encoded.bytes);
    const scriptfile::Unencodable &where = *encoded.error;
    const char32_t c = where.character;
    const bool printable = QChar::isPrint(c) && !QChar::isSurrogate(c);
    const QString shown = printable ? QStringLiteral(u"「%1」").arg(QString::fromUcs4(&c, 1)) : QString();
    // The first of them is selected, for the author to mend; F8 goes on to
    // the others once the check lists them.
    emit unsavable(where.offset, where.length);
    m_dialogs.warn(m_window, saveTitle,
                   QStringLiteral(u"Shift-JISで保存できない文字が%1個あります。"
                                  u"最初の文字は%2行目%3文字目の文字%4(U+%5)です。\n"
                                  u"これらの文字を直してから保存してください（検査 F7 で一覧できます）。")
                       .arg(QString::number(encoded.unencodable), QString::number(where.line),
                            QString::number(where.column), shown,
                            QString::number(uint(c), 16).toUpper().rightJustified(4, u'0')));
    return std::nullopt;
}

bool FileSession::save()
{
    const std::optional<QByteArray> bytes = encodedText();
    if (!bytes)
        return false;
    const QString chosen = m_dialogs.savePath(m_window, path());
    return !chosen.isEmpty() && writeTo(chosen, *bytes);
}

bool FileSession::overwrite()
{
    if (m_name.isEmpty())
        return save();
    const std::optional<QByteArray> bytes = encodedText();
    return bytes && writeTo(path(), *bytes);
}

bool FileSession::writeTo(QString path, const QByteArray &bytes)
{
    // Another program (or another window) changed the file since it was
    // opened or saved here: writing over it would lose that without a word.
    if (disk::absoluteName(path) == this->path() && changedOnDisk()) {
        const int choice = m_dialogs.choose(
            m_window, saveTitle,
            QStringLiteral(u"「%1」は、開いたあとでほかのプログラムによって変更されています。\n"
                           u"上書きすると、その変更は失われます。")
                .arg(disk::shownName(path)),
            {QStringLiteral(u"上書き(&O)"), QStringLiteral(u"別名で保存(&A)"), QStringLiteral(u"キャンセル")}, 2);
        if (choice == 2)
            return false;
        if (choice == 1 && (path = m_dialogs.savePath(m_window, this->path())).isEmpty())
            return false;
    }
    emit aboutToWrite(path);
    const QString before = this->path();
    if (const IoResult error = m_document.save(path, bytes)) {
        m_dialogs.warn(m_window, saveTitle,
                       QStringLiteral(u"「%1」に保存できませんでした。\n%2").arg(disk::shownName(path), error->reason));
        return false;
    }
    emit written(before, m_document.source(), bytes);
    m_name = disk::nameToBytes(m_document.source());
    becomes({disk::stampOf(m_document.source()), disk::digestOf(bytes)}, false);
    showForm({}, {});
    remember();
    return true;
}

bool FileSession::changedOnDisk()
{
    if (m_name.isEmpty())
        return false;
    const disk::Stamp now = disk::stampOf(path());
    if (now == m_onDisk.stamp)
        return false;
    // Written again with the same bytes (touched, or put back by a sync
    // tool): the text still matches it.
    if (now.exists && m_onDisk.digest && now.size == m_onDisk.stamp.size) {
        const disk::Read read = disk::readFile(path());
        if (!read.error && disk::digestOf(read.bytes) == *m_onDisk.digest) {
            m_onDisk.stamp = now;
            return false;
        }
    }
    return true;
}

void FileSession::checkDisk()
{
    if (!changedOnDisk())
        return;
    // Said once for each change; nothing is read again without the author.
    const disk::Stamp now = disk::stampOf(path());
    if (m_noticed == now)
        return;
    m_noticed = now;
    m_noticeName = m_name;
    const QString name = disk::shownName(path());
    emit noticed(now.exists ? QStringLiteral(u"「%1」はほかのプログラムによって変更されました。").arg(name)
                            : QStringLiteral(u"「%1」はディスクから削除されたか、移動されました。").arg(name),
                 now.exists);
}

void FileSession::withdrawNotice()
{
    if (m_noticeName.isEmpty())
        return;
    m_noticeName.clear();
    emit noticeWithdrawn();
}

bool FileSession::mayClose()
{
    if (!m_changed)
        return true;
    if (m_dialogs.yesNo(m_window, QStringLiteral(u"終了確認"), QStringLiteral(u"保存していませんが\n終了しても宜しいですか?")))
        return true;
    // No means "save first": the window stays open if the script was not
    // written after all, rather than losing it.
    return save();
}

void FileSession::remember()
{
    m_recent.add(path());
    m_recent.save();
    emit recentFilesChanged(m_recent.paths());
}

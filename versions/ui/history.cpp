#include "versions/ui/history.h"

#include "document/file_access.h"
#include "versions/ui/versions_dialog.h"

#include <QInputDialog>
#include <QMessageBox>

namespace versions {
namespace {

const QString nameTitle = QStringLiteral(u"版に名前を付けて保存");

} // namespace

History::History(ScriptEdit &text1, QWidget *window, Questions questions, const QString &folder)
    : m_text1(text1)
    , m_window(window)
    , m_questions(std::move(questions))
    , m_keeping(loadKeeping())
    , m_keeper(folder)
{
    if (!m_questions.yesNo)
        m_questions.yesNo = [window](const QString &title, const QString &question) {
            return QMessageBox::question(window, title, question, QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::Yes) == QMessageBox::Yes;
        };
    if (!m_questions.warn)
        m_questions.warn = [window](const QString &title, const QString &message) {
            QMessageBox::warning(window, title, message);
        };
    if (!m_questions.note)
        m_questions.note = [window](const QString &title, const QString &label) -> std::optional<QString> {
            bool ok = false;
            const QString note = QInputDialog::getText(window, title, label, QLineEdit::Normal, {}, &ok);
            return ok ? std::optional(note) : std::nullopt;
        };
    m_keeper.setLimits(loadLimits());
    connect(&m_keeper, &Keeper::trouble, this, &History::message);
    connect(&m_keeper, &Keeper::kept, this, [this](const QString &path, Kind kind, bool) {
        if (kind == Kind::Named)
            emit message(QStringLiteral(u"「%1」の今の文章を、名前を付けた版として残しました。").arg(disk::shownName(path)));
    });
}

History::~History()
{
    delete m_list.data();
}

VersionsDialog *History::list() const
{
    return m_list;
}

void History::keepSaved(const QString &path, const QByteArray &written)
{
    const QString file = disk::absoluteName(path);
    m_seen.insert(file, disk::stampOf(file));
    if (m_keeping)
        m_keeper.keepBytes(file, written, {}, Kind::Saved);
}

void History::keepBeforeOverwrite(const QString &path)
{
    const QString file = disk::absoluteName(path);
    const disk::Stamp stamp = disk::stampOf(file);
    if (!m_keeping || !stamp.exists)
        return;
    // What is on disk is what this window saved last: a version already.
    if (const auto seen = m_seen.constFind(file); seen != m_seen.cend() && *seen == stamp)
        return;
    m_seen.insert(file, stamp);
    const ScriptDocument &document = m_text1.script();
    m_keeper.keepFile(file, file == document.source() ? std::optional(document.reading()) : std::nullopt,
                      Kind::BeforeOverwrite);
}

void History::movedTo(const QString &oldPath, const QString &newPath)
{
    if (m_keeping)
        m_keeper.link(disk::absoluteName(oldPath), disk::absoluteName(newPath));
}

void History::showList()
{
    if (m_list) {
        m_list->activateWindow();
        return;
    }
    const QString path = m_text1.script().source();
    if (path.isEmpty()) {
        m_questions.warn(QStringLiteral(u"以前の版"), QStringLiteral(u"この台本はまだ保存されていないので、版はありません。"));
        return;
    }
    m_list = new VersionsDialog(m_keeper, m_text1, path, m_questions.yesNo, m_keeping, m_window);
    m_list->open();
}

void History::nameVersion()
{
    const QString path = m_text1.script().source();
    if (path.isEmpty()) {
        m_questions.warn(nameTitle, QStringLiteral(u"まだ保存していない台本には版を付けられません。先に保存してください。"));
        return;
    }
    const std::optional<QString> note = m_questions.note(nameTitle, QStringLiteral(u"この版の名前（メモ）:"));
    if (note)
        m_keeper.keepText(path, m_text1.text(), Kind::Named, note->trimmed());
}

} // namespace versions

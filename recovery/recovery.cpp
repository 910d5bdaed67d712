#include "recovery/recovery.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

namespace recovery {

// The journal holds the script text and its edits in script offsets: what
// it keeps is the author's text alone, however the editor shows it.
Recovery::Recovery(ScriptDocument &document, const QString &folder)
    : m_document(document)
    , m_journal(folder)
    , m_copy(document, TextReader::Edits::FoldIn)
{
    setObjectName(QStringLiteral("recovery"));
    connect(&document, &ScriptDocument::edited, this, &Recovery::edited);
    connect(&document, &ScriptDocument::replacedWhole, this, &Recovery::replacedWhole);
    connect(&document, &ScriptDocument::saved, this, [this](const QString &path) {
        endJournal();
        m_source = path;
    });
    connect(&document, &ScriptDocument::closed, this, &Recovery::endJournal);
    connect(&m_journal, &Journal::failed, this, &Recovery::unavailable);
}

Recovery::~Recovery()
{
    endJournal();
}

bool Recovery::offer(const Ask &ask)
{
    const QString title = QStringLiteral(u"復元");
    const QFileInfo folder(m_journal.folder());
    if (folder.exists() || folder.isSymLink())
        if (const IoResult unsafe = checkFolder(folder.filePath()))
            unavailable(unsafe->reason);
    // The window's own journal may have begun, or begun and ended, already
    // (the starting text goes in as an edit): its writer is let finish
    // making or removing the file first, and the journal is never offered.
    m_journal.waitForDisk();
    for (Leftover &leftover : leftovers(m_journal.folder(), m_journal.path())) {
        const QString unlocked = leftover.unlocked.isEmpty() ? QString() : u'\n' + leftover.unlocked;
        const Replayed &replayed = leftover.replayed;
        if (replayed.state == Replayed::State::Unreadable) {
            if (ask(title, QStringLiteral(u"前回の復元用の記録「%1」からは文書を戻せません。\n%2%3\n"
                                          u"この記録を破棄しますか?")
                               .arg(leftover.path, replayed.problem, unlocked)))
                report(discard(leftover));
            continue;
        }
        const QString file = replayed.header.source.isEmpty() ? QStringLiteral(u"無題") : replayed.header.source;
        const QString when = QDateTime::fromMSecsSinceEpoch(replayed.lastEdit).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        QString question = QStringLiteral(u"前回保存されなかった文書があります（%1、%2）。復元しますか?").arg(file, when);
        if (replayed.state == Replayed::State::Damaged)
            question += QStringLiteral(u"\n%1壊れた部分は復元してもしなくても破棄されます。").arg(replayed.problem);
        question += unlocked;
        if (!ask(title, question)) {
            report(discard(leftover));
            continue;
        }
        // The restored text is journalled at once, and the journal it came
        // from stays until the new one holds it on disk.
        QString text = replayed.formerText ? ScriptDocument::fromFormerJournal(replayed.text) : replayed.text;
        const QString source = replayed.header.source;
        m_taken = std::move(leftover);
        m_document.replaceWhole(std::move(text), ScriptDocument::Origin::Restored, source);
        return true;
    }
    return false;
}

void Recovery::edited(qsizetype offset, qsizetype removed, qsizetype)
{
    if (!m_on || m_copying)
        return;  // a copy under way folds the edit in
    if (!m_journal.active()) {
        // The first edit since start, open or save: the journal begins with
        // the whole text.
        beginCopy();
        return;
    }
    m_journal.record(offset, removed, m_document.editedText());
}

void Recovery::replacedWhole(ScriptDocument::Origin origin)
{
    using Origin = ScriptDocument::Origin;
    if (origin == Origin::Restored || origin == Origin::Replaced) {
        // Not on disk anywhere: journalled from now on.
        m_copying = false;
        m_journal.end();
        m_source = m_document.source();
        if (m_on)
            beginCopy();
        return;
    }
    endJournal();
    m_source = m_document.source();
}

// The journal's first record is the whole text, which takes some 70 ms to
// read out of a 20 MB document: it is copied a slice at a time from the
// event loop instead.
void Recovery::beginCopy()
{
    m_copying = true;
    m_copy.release();
    copyNextSlice();
}

void Recovery::copyNextSlice()
{
    if (!m_copying)
        return;
    if (!m_copy.read(QDeadlineTimer(0))) {
        QTimer::singleShot(0, this, &Recovery::copyNextSlice);
        return;
    }
    m_copying = false;
    m_journal.begin(m_copy.text(), m_source, std::exchange(m_taken, {}));
    m_copy.release();
}

void Recovery::endJournal()
{
    m_copying = false;
    m_copy.release();
    m_journal.end();
    // A journal taken at start whose text is saved or given up goes too.
    if (!m_taken.path.isEmpty())
        report(discard(m_taken));
    m_taken = {};
}

void Recovery::setJournalling(bool on)
{
    m_on = on;
    if (!on)
        endJournal();
}

void Recovery::unavailable(const QString &reason)
{
    emit trouble(QStringLiteral(u"復元用の記録を残せません（%1）。編集は続けられますが、"
                                u"異常終了したときは保存していない文書を戻せません。")
                     .arg(reason));
}

void Recovery::report(const IoResult &result)
{
    if (result)
        emit trouble(QStringLiteral(u"復元用の記録を片付けられません（%1）。").arg(result->reason));
}

} // namespace recovery

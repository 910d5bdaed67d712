#include "recovery/recovery_ui.h"

#include "app/dialogs.h"
#include "app/script_edit.h"

#include <QDateTime>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

// The journal holds the document's own text (blocks separated by U+2029,
// a lone LF as U+2028), so an edit costs no conversion and the text goes
// back into the document as it was.
Recovery::Recovery(QMainWindow &window, ScriptEdit &text1, Dialogs &dialogs)
    : QObject(&window)
    , m_window(window)
    , m_text1(text1)
    , m_dialogs(dialogs)
    , m_journal(recovery::folderPath())
{
    setObjectName(QStringLiteral("recovery"));
    m_length = m_text1.document()->characterCount() - 1;
    connect(m_text1.document(), &QTextDocument::contentsChange, this, &Recovery::contentsChange);
    connect(&m_journal, &recovery::Journal::failed, this, &Recovery::unavailable);
}

Recovery::~Recovery()
{
    endJournal();
}

void Recovery::offer()
{
    std::vector<recovery::Leftover> found = recovery::leftovers(recovery::folderPath());
    for (recovery::Leftover &leftover : found) {
        const recovery::Replayed &replayed = leftover.replayed;
        const QString title = QStringLiteral(u"復元");
        if (replayed.state == recovery::Replayed::State::Unreadable) {
            if (m_dialogs.yesNo(&m_window, title,
                                QStringLiteral(u"前回の復元用の記録「%1」からは文書を戻せません。\n%2\n"
                                               u"この記録を破棄しますか?")
                                    .arg(leftover.path, replayed.problem)))
                recovery::discard(leftover);
            continue;
        }
        const QString file = replayed.header.source.isEmpty() ? QStringLiteral(u"無題") : replayed.header.source;
        const QString when = QDateTime::fromMSecsSinceEpoch(replayed.lastEdit).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        QString question = QStringLiteral(u"前回保存されなかった文書があります（%1、%2）。復元しますか?").arg(file, when);
        if (replayed.state == recovery::Replayed::State::Damaged)
            question += QStringLiteral(u"\n%1壊れた部分は復元してもしなくても破棄されます。").arg(replayed.problem);
        if (!m_dialogs.yesNo(&m_window, title, question)) {
            recovery::discard(leftover);
            continue;
        }
        // Setting the text is the new session's first edit: its journal
        // begins with this text and takes the old one's place.
        m_source = replayed.header.source;
        const QString text = replayed.text;
        m_taken = std::move(leftover);
        m_text1.setPlainText(text);
        m_text1.setCaret(m_text1.length());
        return;
    }
}

// The journal's first record is the whole text, which takes some 70 ms to
// read out of a 20 MB document: it is copied a slice at a time from the
// event loop instead, and edits made meanwhile are folded into the copy.
namespace {
constexpr int copySlice = 1 << 17;
}

QString Recovery::documentText(int position, int length) const
{
    if (length <= 0)
        return {};
    QTextCursor cursor(m_text1.document());
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

void Recovery::contentsChange(int position, int removed, int added)
{
    const int before = m_length;
    m_length = m_text1.document()->characterCount() - 1;
    if (!m_listening || (removed == 0 && added == 0))
        return;
    // The document may count the end of the text in the range it reports
    // (a whole-text change does): what really changed is what the lengths
    // before and after allow.
    const int removedNow = std::min(removed, before - position);
    const int addedNow = m_length - before + removedNow;
    if (position < 0 || removedNow < 0 || addedNow < 0 || (!m_journal.active() && !m_copying)) {
        // The first edit since start, open or save, or one that cannot be
        // told exactly: the journal begins afresh from the whole text.
        m_copying = true;
        m_copy.clear();
        copyNextSlice();
        return;
    }
    const QString text = documentText(position, addedNow);
    if (!m_copying) {
        m_journal.record(position, removedNow, text);
        return;
    }
    // The copy holds the text before m_copy.size() as it is now; what lies
    // beyond is copied later as it will be then.
    const qsizetype copied = m_copy.size();
    if (position + removedNow <= copied) {
        m_copy.replace(position, removedNow, text);
    } else if (position < copied) {
        m_copy.truncate(position);
        m_copy += text;
    }
}

void Recovery::copyNextSlice()
{
    if (!m_copying)
        return;
    const int from = int(m_copy.size());
    const int to = std::min(m_length, from + copySlice);
    m_copy += documentText(from, to - from);
    if (to < m_length) {
        QTimer::singleShot(0, this, &Recovery::copyNextSlice);
        return;
    }
    m_copying = false;
    m_journal.begin(std::exchange(m_copy, {}), m_source, std::exchange(m_taken, {}));
}

void Recovery::endJournal()
{
    m_copying = false;
    m_copy.clear();
    m_journal.end();
    // A journal taken at start whose text is given up goes too.
    if (!m_taken.path.isEmpty())
        recovery::discard(m_taken);
    m_taken = {};
}

void Recovery::suspend()
{
    m_listening = false;
}

void Recovery::restart(const QString &source)
{
    endJournal();
    m_source = source;
    m_length = m_text1.document()->characterCount() - 1;
    m_listening = m_on;
}

void Recovery::discard()
{
    endJournal();
}

void Recovery::setJournalling(bool on)
{
    m_on = on;
    m_listening = on;
    if (!on)
        endJournal();
}

void Recovery::unavailable(const QString &reason)
{
    // Said once: the notice stays in the status bar for the rest of the run.
    if (m_notice)
        return;
    m_notice = new QLabel(QStringLiteral(u"復元用の記録を残せません（%1）。編集は続けられますが、"
                                         u"異常終了したときは保存していない文書を戻せません。")
                              .arg(reason));
    m_notice->setObjectName(QStringLiteral("recoveryNotice"));
    m_window.statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_window.statusBar()->addWidget(m_notice, 1);
}

#include "recovery/recovery_ui.h"

#include "app/dialogs.h"
#include "app/script_edit.h"

#include <QDateTime>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>

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
    m_journal.end();
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

void Recovery::contentsChange(int position, int removed, int added)
{
    QTextDocument *document = m_text1.document();
    const int before = m_length;
    m_length = document->characterCount() - 1;
    if (!m_listening || (removed == 0 && added == 0))
        return;
    // The document may count the end of the text in the range it reports
    // (a whole-text change does): what really changed is what the lengths
    // before and after allow.
    const int removedNow = std::min(removed, before - position);
    const int addedNow = m_length - before + removedNow;
    if (!m_journal.active() || position < 0 || removedNow < 0 || addedNow < 0) {
        m_journal.begin(document->toRawText(), m_source, std::exchange(m_taken, {}));
        return;
    }
    QString text;
    if (addedNow > 0) {
        QTextCursor cursor(document);
        cursor.setPosition(position);
        cursor.setPosition(position + addedNow, QTextCursor::KeepAnchor);
        text = cursor.selectedText();
    }
    m_journal.record(position, removedNow, text);
}

void Recovery::suspend()
{
    m_listening = false;
}

void Recovery::restart(const QString &source)
{
    m_journal.end();
    m_source = source;
    m_length = m_text1.document()->characterCount() - 1;
    m_listening = m_on;
}

void Recovery::discard()
{
    m_journal.end();
}

void Recovery::setJournalling(bool on)
{
    m_on = on;
    m_listening = on;
    if (!on)
        m_journal.end();
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

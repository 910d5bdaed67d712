#include "prose/ui/usage_panel.h"

#include "document/script_document.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace prose {

UsagePanel::UsagePanel(ScriptEdit &edit, QWidget *parent)
    : QWidget(parent)
    , m_edit(edit)
    , m_title(new QLabel(this))
    , m_list(new QTreeWidget(this))
    , m_run(edit.script(), QStringLiteral("usages"))
{
    m_more.setSingleShot(true);
    m_more.setInterval(0);
    connect(&m_more, &QTimer::timeout, this, &UsagePanel::readOn);
    // A search under way is of the text as it was: an edit asks again.
    connect(&edit.script(), &ScriptDocument::contentChanged, this, [this] {
        if (m_searching) {
            m_searching->reader = std::make_shared<TextReader>(m_edit.script());
            m_run.begin();
            m_more.start();
        }
    });
    setObjectName(QStringLiteral("usages"));
    m_title->setObjectName(QStringLiteral("usagesTitle"));
    m_title->setBuddy(m_list);
    m_list->setObjectName(QStringLiteral("usageList"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral(u"行"), QStringLiteral(u"内容")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 70);
    m_list->setAccessibleName(QStringLiteral(u"使用箇所"));
    nameScrollBars(m_list);
    followScriptFont(m_list, edit);
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("usagesClose"));
    close->setText(QStringLiteral(u"×"));
    close->setToolTip(QStringLiteral(u"閉じる"));
    close->setAccessibleName(QStringLiteral(u"使用箇所を閉じる"));
    close->setAutoRaise(true);
    auto *top = new QHBoxLayout;
    top->addWidget(m_title, 1);
    top->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_list);
    // A few rows: Text1 keeps most of the window.
    m_list->setFixedHeight(6 * m_list->fontMetrics().height() + 12);
    hide();

    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { jump(m_list->indexOfTopLevelItem(item)); });
    connect(close, &QToolButton::clicked, this, &UsagePanel::dismiss);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &UsagePanel::dismiss);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
}

QString UsagePanel::title() const
{
    return m_title->text().remove(QStringLiteral("(&U)"));
}

void UsagePanel::showAtCaret()
{
    const ScriptDocument &script = m_edit.script();
    const qsizetype caret = m_edit.caret();
    const int line = script.lineAt(caret);
    const qsizetype lineStart = script.lineStart(line);
    // What stands at the caret is told by its line and the next one alone.
    QString near = script.lineText(line);
    if (line + 1 < script.lineCount())
        near += QStringLiteral("\r\n") + script.lineText(line + 1);
    m_searching.reset();
    m_run.begin();
    const std::optional<Subject> subject = subjectAt(near, caret - lineStart);
    if (!subject || script.length() <= searchedAtOnce) {
        showUses(subject, subject ? prose::uses(script.text(), *subject) : std::vector<Use>{}, lineStart);
        return;
    }
    // A long script is copied a slice a turn and searched on the worker:
    // the panel says so meanwhile, with the focus in its list.
    m_searching = Search{*subject, lineStart, std::make_shared<TextReader>(script)};
    setTitle(QStringLiteral(u"「%1」を探しています…").arg(subject->label));
    m_uses.clear();
    m_list->clear();
    show();
    m_list->setFocus(Qt::ShortcutFocusReason);
    m_more.start();
}

void UsagePanel::readOn()
{
    if (!m_searching)
        return;
    if (!m_searching->reader->read(QDeadlineTimer(sliceTime))) {
        m_more.start();
        return;
    }
    m_run.begin();
    m_run.post(
        [text = m_searching->reader->whole(), subject = m_searching->subject](const BackgroundRun::Cancel &) {
            return prose::uses(text, subject);
        },
        [this](std::vector<Use> found) {
            if (!m_searching)
                return;
            const Search search = *std::exchange(m_searching, std::nullopt);
            const bool hadFocus = isAncestorOf(QWidget::focusWidget());
            showUses(search.subject, std::move(found), search.lineStart, hadFocus);
        });
}

void UsagePanel::setTitle(const QString &label)
{
    m_title->setText(QStringLiteral(u"使用箇所(&U): ") + QString(label).replace(u'&', QStringLiteral("&&")));
    m_list->setAccessibleName(QStringLiteral(u"使用箇所 ") + label);
}

void UsagePanel::showUses(const std::optional<Subject> &subject, std::vector<Use> found, qsizetype lineStart,
                          bool focus)
{
    m_uses = std::move(found);
    QString label;
    if (!subject)
        label = QStringLiteral(u"カーソルの位置に素材も話者もありません");
    else if (subject->speaker != outline::narration)
        label = QStringLiteral(u"%1の台詞 %2 行").arg(subject->label).arg(m_uses.size());
    else
        label = QStringLiteral(u"「%1」 %2 行").arg(subject->label).arg(m_uses.size());
    setTitle(label);

    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(qsizetype(m_uses.size()));
    for (const Use &use : m_uses)
        rows.append(new QTreeWidgetItem({QString::number(use.line), use.text}));
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
    show();
    emit listed();
    if (rows.isEmpty()) {
        if (focus)
            m_edit.setFocus();
        return;
    }
    // The first use at or after the caret's line.
    const auto atOrAfter = [lineStart](const Use &u) { return u.offset >= lineStart; };
    const auto at = std::find_if(m_uses.begin(), m_uses.end(), atOrAfter);
    m_list->setCurrentItem(rows[at == m_uses.end() ? 0 : qsizetype(at - m_uses.begin())]);
    if (focus)
        m_list->setFocus(Qt::ShortcutFocusReason);
}

void UsagePanel::dismiss()
{
    const bool hadFocus = isAncestorOf(QWidget::focusWidget());
    hide();
    m_searching.reset();
    m_run.begin();
    m_uses.clear();
    m_list->clear();
    if (hadFocus)
        m_edit.setFocus();
}

void UsagePanel::jump(int row)
{
    if (row < 0 || std::size_t(row) >= m_uses.size())
        return;
    m_edit.setCaret(m_uses[std::size_t(row)].offset);
    m_edit.centerCursor();
    m_edit.window()->activateWindow();
    m_edit.setFocus();
}

} // namespace prose

#include "prose/ui/usage_panel.h"

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
{
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
    const QString script = m_edit.text();
    const qsizetype caret = m_edit.caret();
    const std::optional<Subject> subject = subjectAt(script, caret);
    m_uses = subject ? prose::uses(script, *subject) : std::vector<Use>{};
    QString label;
    if (!subject)
        label = QStringLiteral(u"カーソルの位置に素材も話者もありません");
    else if (subject->speaker != outline::narration)
        label = QStringLiteral(u"%1の台詞 %2 行").arg(subject->label).arg(m_uses.size());
    else
        label = QStringLiteral(u"「%1」 %2 行").arg(subject->label).arg(m_uses.size());
    m_title->setText(QStringLiteral(u"使用箇所(&U): ") + QString(label).replace(u'&', QStringLiteral("&&")));
    m_list->setAccessibleName(QStringLiteral(u"使用箇所 ") + label);

    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(qsizetype(m_uses.size()));
    for (const Use &use : m_uses)
        rows.append(new QTreeWidgetItem({QString::number(use.line), use.text}));
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
    show();
    if (rows.isEmpty()) {
        m_edit.setFocus();
        return;
    }
    // The first use at or after the caret's line.
    const qsizetype before = caret > 0 ? script.lastIndexOf(u"\r\n", caret - 1) : -1;
    const qsizetype lineStart = before < 0 ? 0 : before + 2;
    const auto atOrAfter = [lineStart](const Use &u) { return u.offset >= lineStart; };
    const auto at = std::find_if(m_uses.begin(), m_uses.end(), atOrAfter);
    m_list->setCurrentItem(rows[at == m_uses.end() ? 0 : qsizetype(at - m_uses.begin())]);
    m_list->setFocus(Qt::ShortcutFocusReason);
}

void UsagePanel::dismiss()
{
    const bool hadFocus = isAncestorOf(QWidget::focusWidget());
    hide();
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

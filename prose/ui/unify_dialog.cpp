#include "prose/ui/unify_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace prose {

UnifyDialog::UnifyDialog(const SpellingGroup &group, QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
    , m_changes(new QTreeWidget(this))
    , m_summary(new QLabel(this))
{
    setObjectName(QStringLiteral("unifyDialog"));
    setWindowTitle(QStringLiteral(u"表記の統一"));
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("unifyQuestion"));
    label->setWordWrap(true);
    m_list->setObjectName(QStringLiteral("unifySpellings"));
    m_list->setAccessibleName(QStringLiteral(u"書き方"));
    // A rule of the writer's list has one answer: its 正.
    const std::size_t offered = group.listed ? 1 : group.spellings.size();
    for (std::size_t i = 0; i < offered; ++i) {
        const SpellingGroup::Spelling &s = group.spellings[i];
        m_spellings.push_back(s.text);
        m_list->addItem(s.count > 0 ? QStringLiteral(u"「%1」 %2件").arg(s.text).arg(s.count)
                                    : QStringLiteral(u"「%1」").arg(s.text));
    }
    m_list->setMaximumHeight(m_list->sizeHintForRow(0) * int(std::min<std::size_t>(offered, 4)) +
                             2 * m_list->frameWidth() + 4);
    label->setText(group.listed ? QStringLiteral(u"「%1」をすべて「%2」に書き換えます。")
                                      .arg(group.spellings.back().text, group.spellings.front().text)
                                : QStringLiteral(u"どの書き方にそろえますか(&W)?"));
    label->setBuddy(m_list);

    auto *changesLabel = new QLabel(QStringLiteral(u"書き換える箇所(&C)（スペースでチェックを外せます）:"), this);
    changesLabel->setBuddy(m_changes);
    m_changes->setObjectName(QStringLiteral("unifyChanges"));
    m_changes->setAccessibleName(QStringLiteral(u"書き換える箇所"));
    m_changes->setRootIsDecorated(false);
    m_changes->setUniformRowHeights(true);
    m_changes->setHeaderLabels({QStringLiteral(u"行"), QStringLiteral(u"いま"), QStringLiteral(u"統一のあと")});
    m_changes->header()->setStretchLastSection(true);
    m_summary->setObjectName(QStringLiteral("unifySummary"));
    m_summary->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral(u"統一"));
    m_ok->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!ticked().empty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_changes, &QTreeWidget::itemChanged, this, &UnifyDialog::updateSummary);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] {
        m_changes->clear();
        m_shown.clear();
        m_shownTarget.clear();
        updateSummary();
        emit targetChosen(chosen());
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(changesLabel);
    layout->addWidget(m_changes, 1);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);
    resize(720, 420);
    m_list->setCurrentRow(0);
    m_list->setFocus();
}

QString UnifyDialog::chosen() const
{
    const int row = m_list->currentRow();
    return row >= 0 && std::size_t(row) < m_spellings.size() ? m_spellings[std::size_t(row)] : QString();
}

void UnifyDialog::showChanges(const QString &target, const std::vector<Change> &changes, qsizetype kept)
{
    if (target != chosen())
        return;
    m_shownTarget = target;
    m_shown = changes;
    m_kept = kept;
    const QSignalBlocker quiet(m_changes);
    m_changes->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(changes.size()));
    for (const Change &c : changes) {
        auto *item = new QTreeWidgetItem({QString::number(c.line), c.before, c.after});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    m_changes->addTopLevelItems(items);
    if (!items.isEmpty())
        m_changes->setCurrentItem(items.front(), 0, QItemSelectionModel::NoUpdate);
    m_changes->resizeColumnToContents(0);
    m_changes->setColumnWidth(1, std::max(160, (m_changes->viewport()->width() - m_changes->columnWidth(0)) / 2));
    updateSummary();
}

std::vector<Replacement> UnifyDialog::ticked() const
{
    std::vector<Replacement> out;
    if (m_shownTarget != chosen())
        return out;
    for (int i = 0; i < m_changes->topLevelItemCount() && std::size_t(i) < m_shown.size(); ++i)
        if (m_changes->topLevelItem(i)->checkState(0) == Qt::Checked)
            out.push_back(m_shown[std::size_t(i)].replacement);
    return out;
}

void UnifyDialog::updateSummary()
{
    if (m_shownTarget != chosen()) {
        m_summary->setText(QStringLiteral(u"書き換える箇所を探しています…"));
        m_ok->setEnabled(false);
        return;
    }
    const std::size_t n = ticked().size();
    QString said = m_shown.empty() ? QStringLiteral(u"「%1」にそろえる語はありません。").arg(m_shownTarget)
                                   : QStringLiteral(u"%1か所のうち、チェックした%2か所を「%3」に書き換えます。")
                                         .arg(m_shown.size())
                                         .arg(n)
                                         .arg(m_shownTarget);
    if (m_kept > 0)
        said += QStringLiteral(u"%1か所は書き換えられないため、そのままです。").arg(m_kept);
    m_summary->setText(said);
    m_ok->setEnabled(n > 0);
}

} // namespace prose

#include "prose/ui/unify_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace prose {

UnifyDialog::UnifyDialog(const SpellingGroup &group, QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
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
    m_list->setCurrentRow(0);
    label->setText(group.listed ? QStringLiteral(u"「%1」をすべて「%2」に書き換えます。")
                                      .arg(group.spellings.back().text, group.spellings.front().text)
                                : QStringLiteral(u"どの書き方にそろえますか(&W)?"));
    label->setBuddy(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral(u"統一"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    m_list->setFocus();
}

QString UnifyDialog::chosen() const
{
    const int row = m_list->currentRow();
    return row >= 0 && std::size_t(row) < m_spellings.size() ? m_spellings[std::size_t(row)] : QString();
}

} // namespace prose

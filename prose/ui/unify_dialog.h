// Asks which spelling of a word to keep: a list of its spellings with their
// counts, the most used (or the writer's list's 正) chosen; Return keeps the
// chosen one, Escape nothing.
#pragma once

#include "prose/prose_check.h"

#include <QDialog>

class QListWidget;

namespace prose {

class UnifyDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UnifyDialog(const SpellingGroup &group, QWidget *parent = nullptr);

    // The spelling chosen.
    QString chosen() const;

private:
    QListWidget *m_list;
    std::vector<QString> m_spellings;
};

} // namespace prose

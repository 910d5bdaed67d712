// 使用箇所 in a panel under Text1: the lines that use the asset or the
// speaker at the caret, each with its number and text, the count in the
// title. The focus goes to the list; Return puts the caret at the use and
// the focus back in Text1; Escape closes the panel.
#pragma once

#include "editor/script_edit.h"
#include "prose/usage.h"

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace prose {

class UsagePanel : public QWidget
{
    Q_OBJECT

public:
    // `edit` must outlive the panel.
    explicit UsagePanel(ScriptEdit &edit, QWidget *parent = nullptr);

    // Ctrl+Shift+U: shows the uses of what is at the caret, the focus in
    // the list on the first use at or after the caret's line; with nothing
    // at the caret, says so and leaves the focus in Text1.
    void showAtCaret();
    // Hides the panel; the focus goes to Text1 if it was in the panel.
    void dismiss();
    bool isOpen() const { return !isHidden(); }

    const std::vector<Use> &uses() const { return m_uses; }
    QString title() const;

private:
    void jump(int row);

    ScriptEdit &m_edit;
    QLabel *m_title;
    QTreeWidget *m_list;
    std::vector<Use> m_uses;
};

} // namespace prose

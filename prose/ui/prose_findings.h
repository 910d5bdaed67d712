// The prose check's face: its findings in the check's panel (F7, F8 visit
// them with the others), a switch for each rule (remembered; for the 表示
// menu and the panel's own menu), and the unify step: on a 表記ゆれ finding
// the panel's 統一 button shows every place that would be written, for the
// spelling chosen, and writes the ticked ones as one undo step.
#pragma once

#include "dnml/ui/findings_panel.h"
#include "editor/script_edit.h"
#include "prose/prose_run.h"

#include <QPointer>
#include <QTimer>

#include <array>

class QAction;
class QPushButton;
class QWidget;

namespace prose {

class UnifyDialog;

class ProseFindings : public dnml::FindingSource
{
    Q_OBJECT

public:
    // `edit` must outlive it; the tools are made for a panel to take.
    explicit ProseFindings(ScriptEdit &edit, QObject *parent = nullptr);
    ~ProseFindings() override;

    void start() override;
    void stop() override;
    bool pending() const override;
    void setCurrent(int index) override;

    // One checkable switch per rule, in the order of prose::rules, named
    // mnu_prose_spelling, mnu_prose_voice and mnu_prose_punctuation.
    const std::array<QAction *, rules.size()> &ruleActions() const { return m_actions; }
    // The panel's part: a menu of the switches and the unify button.
    QWidget *tools() const { return m_tools.data(); }

    // The findings last delivered, in script offsets, and their groups.
    const Result &result() const { return m_result; }
    // The unify step for the current finding's word: shows its places for
    // the most used spelling, or another one chosen (the dialog's
    // objectName is "unifyDialog").
    void unifyCurrent();

signals:
    // A sentence for the status bar: what the unify step did, or why the
    // prose cannot be read.
    void notice(const QString &text);

private:
    void ruleSwitched();
    void checked(const Result &result);
    void unified(const Unified &unified);
    void write(const std::vector<Replacement> &replacements, const QString &target);

    ScriptEdit &m_edit;
    ProseRun m_run;
    Rules m_rules;
    std::array<QAction *, rules.size()> m_actions{};
    QPointer<QWidget> m_tools;  // the panel's once it takes them
    QPushButton *m_unify;
    Result m_result;
    int m_current = -1;
    bool m_wanted = false;  // the panel is open: findings are wanted
    QPointer<UnifyDialog> m_unifyDialog;  // while the unify step is shown
};

// Writes `replacements` (script offsets, ascending) into the script as one
// edit and one undo step; the caret keeps its place in the text around it.
void replaceInScript(ScriptEdit &edit, const std::vector<Replacement> &replacements);

} // namespace prose

// Form1, the whole editor: the button row, the menus and Text1. It owns the
// script text, the changed flag and the two authoring options, which live
// in its controls (the check marks of the install-type items, the caption
// of Command13) and are read from them whenever a command needs them.
#pragma once

#include "app/dialogs.h"
#include "markup/markup.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QPushButton;
class ScriptEdit;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Builds the window and runs its start-up: centred, showing the starting
    // document with the caret at its end and the focus in Text1, unchanged.
    // `dialogs` answers the questions the window asks; null means Qt's own.
    explicit MainWindow(std::unique_ptr<Dialogs> dialogs = nullptr);
    ~MainWindow() override;

    ScriptEdit *text1() const { return m_text1; }
    bool textChanged() const { return text_changed; }

    // The install type whose item carries the check mark (adult is asked
    // first); none only if neither is checked, which the menu never allows.
    std::optional<markup::InstallType> installType() const;
    // Name display is on exactly while Command13 reads "人物名表示".
    bool nameDisplayOn() const;

    // Gives Text1 the keyboard focus, bringing this window to the front.
    void focusText();

    // Command handlers, one per control and event.
    void Command12_Click();
    void Command13_Click();
    void Command17_Click();
    void mnu_open_Click();
    // True when the script was written; false when cancelled or refused.
    bool mnu_save_Click();
    void mnu_exit_Click();
    void mnu_insto_type_Click(int index);
    void mnu_maegaki_Click();
    void mnu_taitlecall_Click();
    void mnu_honpen_Click();
    void mnu_atogaki_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    // True when the window may close.
    bool Form_Unload();
    void Text1_Change();
    void check_off();

    void buildButtons(QWidget *client);
    void buildMenus();
    void centre();
    void insertSkeleton(const markup::Skeleton &skeleton);

    std::unique_ptr<Dialogs> m_dialogs;
    ScriptEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command13 = nullptr;
    QAction *m_installType[2] = {};
    bool text_changed = false;
};

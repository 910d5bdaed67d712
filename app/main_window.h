// Form1, the whole editor: the button row, the menus and Text1. It owns the
// script text, the changed flag and the two authoring options, which live
// in its controls (the check marks of the install-type items, the caption
// of Command13) and are read from them whenever a command needs them.
#pragma once

#include "app/dialogs.h"
#include "markup/markup.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class Picker;
namespace dnml {
class FindingsPanel;
class Highlighter;
} // namespace dnml
class QAction;
class QPushButton;
class Recovery;
class ScriptEdit;
class SearchBar;

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
    SearchBar *searchBar() const { return m_searchBar; }
    bool textChanged() const { return text_changed; }

    // The install type whose item carries the check mark (adult is asked
    // first); none only if neither is checked, which the menu never allows.
    std::optional<markup::InstallType> installType() const;
    // Name display is on exactly while Command13 reads "人物名表示".
    bool nameDisplayOn() const;

    // Gives Text1 the keyboard focus, bringing this window to the front.
    void focusText();

    // Adds a panel (a search bar, a list of findings) to the strip under
    // Text1. Panels stack in the order added; while one is shown, Text1
    // gives up its height and takes it back when it hides.
    void addPanel(QWidget *panel);

    // Command handlers, one per control and event.
    void Command12_Click();
    void Command13_Click();
    void Command17_Click();
    void mnu_open_Click();
    // Opens the script at `path` as 開く does once a file is chosen, with
    // its messages; when there are unsaved edits, 開く's question first.
    void openFile(const QString &path);
    // True when the script was written; false when cancelled or refused.
    bool mnu_save_Click();
    void mnu_exit_Click();
    void mnu_insto_type_Click(int index);
    void mnu_maegaki_Click();
    void mnu_taitlecall_Click();
    void mnu_honpen_Click();
    void mnu_atogaki_Click();
    void mnu_colours_Click();
    void mnu_check_Click();
    void mnu_next_Click();
    void mnu_previous_Click();

    // Launchers: each opens its picker on this window's corner.
    void Command1_Click() { launch(5); }
    void Command7_Click() { launch(6); }
    void Command3_Click() { launch(7); }
    void Command2_Click() { launch(8); }
    void Command10_Click() { launch(9); }
    void Command8_Click() { launch(10); }
    void Command5_Click() { launch(11); }
    void Command9_Click() { launch(12); }
    void Command6_Click() { launch(13); }
    void Command4_Click() { launch(14); }
    void Command14_Click() { launch(2); }
    void Command15_Click() { launch(3); }
    void Command16_Click() { launch(4); }
    void mnu_hosino_Click() { launch(15); }
    void mnu_demo_Click() { launch(16); }
    void mnu_chitose_Click() { launch(17); }
    void mnu_sizuku_Click() { launch(18); }
    void mnu_rin_Click() { launch(19); }
    void mnu_yuzuki_Click() { launch(20); }

    // The open picker Form<number>, or null.
    Picker *picker(int number) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    // True when the window may close.
    bool Form_Unload();
    void Text1_Change();
    // True when there are no unsaved edits or the author lets them go.
    bool mayDiscardEdits();
    void loadFile(const QString &path);
    void check_off();

    void buildButtons(QWidget *client);
    void buildMenus();
    void centre();
    void insertSkeleton(const markup::Skeleton &skeleton);
    // Opens Form<number>, loading it first if it is not open, and puts its
    // outer top-left corner on this window's.
    void launch(int number);
    void closePickers();

    std::unique_ptr<Dialogs> m_dialogs;
    ScriptEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command13 = nullptr;
    QAction *m_installType[2] = {};
    std::vector<QWidget *> m_panels;
    dnml::Highlighter *m_highlighter = nullptr;
    dnml::FindingsPanel *m_findings = nullptr;
    SearchBar *m_searchBar = nullptr;
    bool text_changed = false;
    std::array<QPointer<Picker>, 21> m_pickers;
    Recovery *m_recovery = nullptr;
};

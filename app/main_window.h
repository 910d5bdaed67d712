// Form1, the editor's window: it hosts the button row, the menus, Text1 and
// the panels under it, and wires them to the script's document. The two
// authoring options live in its controls (the check marks of the
// install-type items, the caption of Command13) and are read from them
// whenever a command needs them.
#pragma once

#include "app/dialogs.h"
#include "app/file_session.h"
#include "assets/matching.h"
#include "document/script_document.h"
#include "document/settings.h"
#include "markup/markup.h"
#include "pickers/picker_host.h"
#include "recovery/recovery.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class NoticeBar;
class Picker;
struct PickerForm;
namespace assets {
class Completion;
class Palette;
} // namespace assets
namespace dnml {
class FindingsPanel;
class Highlighter;
} // namespace dnml
namespace outline {
class OutlinePanel;
}
namespace versions {
class History;
}
namespace prose {
class ProseFindings;
class UsagePanel;
} // namespace prose
class QAction;
class QLabel;
class QPushButton;
class EditorFrame;
class ScriptEdit;
class SearchBar;
class StatusLine;

class MainWindow : public QMainWindow, public PickerHost
{
    Q_OBJECT

public:
    // Builds the window and runs its start-up: centred, showing the starting
    // document with the caret at its end and the focus in Text1, unchanged.
    // `dialogs` answers the questions the window asks; null means Qt's own.
    explicit MainWindow(std::unique_ptr<Dialogs> dialogs = nullptr);
    ~MainWindow() override;

    ScriptDocument &document() { return m_document; }
    ScriptEdit *text1() const { return m_text1; }
    SearchBar *searchBar() const { return m_searchBar.get(); }
    dnml::FindingsPanel *findings() const { return m_findings.get(); }
    dnml::Highlighter *highlighter() const { return m_highlighter.get(); }
    // The asset palette, made the first time it is asked for.
    assets::Palette *palette();
    // Null until 構成と文字数 first opens it.
    outline::OutlinePanel *outline() const { return m_outline.get(); }
    // The prose check's findings beside the check's.
    prose::ProseFindings *prose() const { return m_prose.get(); }
    // Null until 使用箇所 first opens it.
    prose::UsagePanel *usages() const { return m_usages.get(); }
    recovery::Recovery &recovery() { return m_recovery; }
    FileSession &session() { return m_session; }
    versions::History &history() { return *m_history; }
    bool textChanged() const { return m_session.changed(); }

    std::optional<markup::InstallType> installType() const override;
    // Name display is on exactly while Command13 reads "人物名表示".
    bool nameDisplayOn() const override;
    void insert(QStringView fragment) override;
    // Gives Text1 the keyboard focus, bringing this window to the front.
    void focusText() override;

    // Adds a panel (a search bar, a list of findings) under Text1, in a
    // splitter: panels stack in the order added; while one is shown, Text1
    // gives up its height and takes it back when it hides. A panel that
    // can grow is given the height the author last dragged it to.
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
    // 上書き保存: the file the text belongs to, in place, with no dialog;
    // with no such file, as 保存.
    bool mnu_overwrite_Click();
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
    void mnu_wrap_Click();
    void mnu_line_numbers_Click();
    void mnu_blanks_Click();
    // Bigger letters for steps > 0, smaller for < 0, the usual size for 0.
    void zoom(int steps);
    void mnu_outline_Click();
    void mnu_usages_Click();

    // Opens a picker, loading it first if it is not open, and puts its
    // outer top-left corner on this window's.
    void launch(const PickerForm &form);
    // The open picker of `form`, or null.
    Picker *picker(const PickerForm &form) const;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void check_off();

    // The file session to the status line, the notice bar (whose button is
    // `reload`) and the recent files.
    void wireSession(QPushButton *reload);
    // Window measures are kept in twips, fifteen to a pixel.
    static constexpr int pixels(int twips) { return twips / 15; }
    void buildButtons(QWidget *client);
    void orderTabs(QWidget *client);
    void buildMenus();
    void centre();
    void insertSkeleton(const markup::Skeleton &skeleton);
    void closePickers();
    void showTrouble(const QString &message);
    void fillRecentFiles(const QStringList &paths);
    // The file's name and mark in the status bar and the window's name.
    void showFile(const QString &path, bool changed);
    void applyView();
    // A panel under Text1 shown: the height it had last, or a few rows.
    // A checkable item of 表示 chosen: its option follows its check mark.
    void viewOptionChosen(bool settings::View::*option, const char *item);

    // Declared in the order they are built and destroyed in reverse, so
    // that nothing outlives what it points to: the pickers and the panels
    // go before Text1, Text1 before the recovery and the document. The
    // widgets among them are children of the client area, owned here.
    std::unique_ptr<Dialogs> m_dialogs;
    ScriptDocument m_document;
    recovery::Recovery m_recovery;
    settings::View m_view;
    FileSession m_session;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command13 = nullptr;
    QAction *m_installType[2] = {};
    QLabel *m_notice = nullptr;
    StatusLine *m_status = nullptr;
    bool m_lookAlikesTold = false;
    std::unique_ptr<EditorFrame> m_frame;
    ScriptEdit *m_text1 = nullptr;  // the frame's
    std::unique_ptr<dnml::Highlighter> m_highlighter;
    std::unique_ptr<prose::ProseFindings> m_prose;  // outlives the findings panel, which shows its findings
    std::unique_ptr<SearchBar> m_searchBar;
    std::unique_ptr<dnml::FindingsPanel> m_findings;
    std::unique_ptr<NoticeBar> m_diskNotice;
    assets::RecentUse m_usedAssets;  // by the palette and the completion list
    std::unique_ptr<assets::Palette> m_palette;
    std::unique_ptr<assets::Completion> m_completion;
    std::unique_ptr<outline::OutlinePanel> m_outline;
    std::unique_ptr<versions::History> m_history;
    std::unique_ptr<prose::UsagePanel> m_usages;
    std::array<QPointer<Picker>, 19> m_pickers;
};

#include "app/main_window.h"

#include "app/access_keys.h"
#include "app/dialogs.h"
#include "app/file_drop.h"
#include "assets/ui/completion.h"
#include "assets/ui/palette.h"
#include "dnml/ui/findings_panel.h"
#include "dnml/ui/highlighter.h"
#include "document/io_wording.h"
#include "editor/notice_bar.h"
#include "editor/editor_frame.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"
#include "outline/ui/outline_panel.h"
#include "pickers/picker.h"
#include "prose/ui/prose_findings.h"
#include "prose/ui/usage_panel.h"
#include "search/ui/search_bar.h"
#include "versions/ui/history.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int clientWidth = 9840;
constexpr int clientHeight = 7890;

} // namespace

// The pictures are built into this library; a static library's resources
// must be registered by hand.
static void registerPictures()
{
    Q_INIT_RESOURCE(pictures);
}

MainWindow::MainWindow(std::unique_ptr<Dialogs> dialogs)
    : m_dialogs(dialogs ? std::move(dialogs) : makeQtDialogs())
    , m_recovery(m_document)
    , m_view(settings::loadView())
    , m_session(m_document, *m_dialogs, this)
{
    registerPictures();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Scrivlet(ORVEN)"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/Form1.png")));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    buildButtons(client);
    m_frame = std::make_unique<EditorFrame>(m_document, client);
    m_text1 = &m_frame->view();
    m_highlighter = std::make_unique<dnml::Highlighter>(*m_text1);

    orderTabs(client);
    buildMenus();
    // The search bar stands above the findings when both are open.
    m_searchBar = std::make_unique<SearchBar>(*m_text1, client);
    m_searchBar->hide();
    m_searchBar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    addPanel(m_searchBar.get());
    m_findings = std::make_unique<dnml::FindingsPanel>(*m_text1, client);
    addPanel(m_findings.get());
    // The prose check: its findings in the panel, its rules under 表示.
    m_prose = std::make_unique<prose::ProseFindings>(*m_text1, this);
    m_findings->addSource(m_prose.get(), m_prose->tools());
    QMenu *proseRules = findChild<QMenu *>(QStringLiteral("mnu_view"))->addMenu(QStringLiteral(u"文章の点検(&D)"));
    proseRules->setObjectName(QStringLiteral("mnu_prose"));
    proseRules->menuAction()->setObjectName(QStringLiteral("mnu_prose"));
    for (QAction *rule : m_prose->ruleActions())
        proseRules->addAction(rule);
    m_completion = std::make_unique<assets::Completion>(*m_text1, m_highlighter->colouring(), *this, m_usedAssets, this);
    client->installEventFilter(this);
    auto *fileDrop = new FileDrop(this);
    fileDrop->setObjectName(QStringLiteral("fileDrop"));
    fileDrop->watch(this);
    fileDrop->watch(m_text1->viewport());
    connect(fileDrop, &FileDrop::fileDropped, this, &MainWindow::openFile);
    connect(&m_recovery, &recovery::Recovery::trouble, this, &MainWindow::showTrouble);
    m_diskNotice = std::make_unique<NoticeBar>(client);
    m_diskNotice->setObjectName(QStringLiteral("diskNotice"));
    QPushButton *reload = m_diskNotice->addButton(QStringLiteral(u"再読み込み(&L)"), [this] {
        const qsizetype caret = m_text1->caret();
        if (m_session.reloadNoticed())
            m_text1->setCaret(caret);
        focusText();
    });
    reload->setObjectName(QStringLiteral("diskNoticeReload"));
    m_frame->addNotice(m_diskNotice.get());
    m_status = &m_frame->status();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addPermanentWidget(m_status, 1);
    // F8 round one way, then the other: the later note is the true one.
    connect(m_findings.get(), &dnml::FindingsPanel::wrapped, m_status,
            [this](const QString &note) { m_status->tell(note, 5000, QStringLiteral("findingsWrapped")); });
    connect(m_prose.get(), &prose::ProseFindings::notice, m_status, [this](const QString &note) { m_status->tell(note, 10000); });
    wireSession(reload);
    m_text1->setAccessibleName(QStringLiteral(u"台本"));
    connect(m_text1, &ScriptEdit::lookAlikesReplaced, this, [this](qsizetype, QChar entered, QChar held) {
        // Said the first time after each start.
        if (std::exchange(m_lookAlikesTold, true))
            return;
        m_status->tell(QStringLiteral(u"%1 を %2 として入力しました（Shift-JIS で保存される形）").arg(entered, held), 15000);
    });
    connect(m_text1, &ScriptEdit::zoomAsked, this, &MainWindow::zoom);
    // The versions of the files saved, kept around each save.
    m_history = std::make_unique<versions::History>(
        *m_text1, this,
        versions::History::Questions{[this](const QString &t, const QString &q) { return m_dialogs->yesNo(this, t, q); },
                                     [this](const QString &t, const QString &m) { m_dialogs->warn(this, t, m); }, {}});
    connect(m_history.get(), &versions::History::message, m_status,
            [this](const QString &text) { m_status->tell(text, 10000); });
    connect(&m_session, &FileSession::aboutToWrite, m_history.get(), &versions::History::keepBeforeOverwrite);
    connect(&m_session, &FileSession::written, this,
            [this](const QString &before, const QString &path, const QByteArray &bytes) {
                if (!before.isEmpty() && before != path)
                    m_history->movedTo(before, path);
                m_history->keepSaved(path, bytes);
            });
    applyView();
    // The client area keeps its size (wider only if the button row had to
    // widen): the menu bar and the status bar come on top.
    resize(std::max(pixels(clientWidth), m_command13->geometry().right() + 1),
           pixels(clientHeight) + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    Form_Load();
    // A settings file that is no file to read: the window started from the
    // defaults, and says so once it shows.
    if (const IoResult refused = settings::refusal())
        m_status->tell(QStringLiteral(u"%1既定の設定で始め、このファイルには書き込みません。").arg(wording(*refused)), 15000);
    const bool restored = m_recovery.offer([this](const QString &title, const QString &question) {
        return m_dialogs->yesNo(this, title, question);
    });
    if (restored)
        m_text1->setCaret(m_text1->length());
}

MainWindow::~MainWindow()
{
    closePickers();
}

void MainWindow::wireSession(QPushButton *reload)
{
    connect(&m_session, &FileSession::fileShown, this, &MainWindow::showFile);
    connect(&m_session, &FileSession::recentFilesChanged, this, &MainWindow::fillRecentFiles);
    connect(&m_session, &FileSession::unsavable, m_text1, &ScriptEdit::select);
    connect(&m_session, &FileSession::noticed, this, [this, reload](const QString &message, bool canReload) {
        m_diskNotice->tell(message);
        reload->setVisible(canReload);
    });
    connect(&m_session, &FileSession::noticeWithdrawn, m_diskNotice.get(), &QWidget::hide);
    // The status line tells the form from the document's reading alone,
    // which knows nothing of the line ends mended or kept.
    auto *form = m_status->findChild<QLabel *>(QStringLiteral("statusForm"));
    connect(&m_session, &FileSession::formShown, form, [form](const QString &text, const QString &detail) {
        form->setText(text);
        form->setToolTip(detail);
    });
    // Alt and a letter that no shown control takes types nothing.
    qApp->installEventFilter(new StrayAccessKeys(this));
}


void MainWindow::centre()
{
    const QRect screen = this->screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(screen.x() + int((screen.width() - outer.width()) / 2.0),
         screen.y() + int((screen.height() - outer.height()) / 2.0));
}

void MainWindow::Form_Load()
{
    centre();
    m_session.start(markup::startingDocument);
    show();
    // The window manager adds the frame only once the window is shown:
    // centre again when its real outer size is known.
    QTimer::singleShot(0, this, [this] {
        if (frameGeometry().size() != geometry().size())
            centre();
    });
    m_text1->setCaret(m_text1->length());
    focusText();
}

void MainWindow::Form_Resize()
{
    const QWidget *client = centralWidget();
    const int top = m_command1->y() + m_command1->height();
    const QRect area(0, top, client->width(), client->height() - m_command1->height());
    // A window lower than the button row and the panels (or minimised)
    // leaves the text area where it was.
    if (area.width() < 0 || area.height() < 0)
        return;
    m_frame->setGeometry(area);
}

void MainWindow::addPanel(QWidget *panel)
{
    m_frame->addPanel(panel);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == centralWidget() && (type == QEvent::Resize || type == QEvent::LayoutRequest))
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_session.checkDisk();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_session.mayClose()) {
        event->ignore();
        return;
    }
    // A picker writes into this window: it has no use once the window is gone.
    closePickers();
    m_document.close();
    event->accept();
}

void MainWindow::mnu_exit_Click()
{
    close();
}

void MainWindow::focusText()
{
    activateWindow();
    m_text1->setFocus();
}

void MainWindow::mnu_open_Click()
{
    m_session.open();
}

void MainWindow::openFile(const QString &path)
{
    m_session.openFile(path);
}

bool MainWindow::mnu_save_Click()
{
    return m_session.save();
}

bool MainWindow::mnu_overwrite_Click()
{
    return m_session.overwrite();
}

void MainWindow::fillRecentFiles(const QStringList &paths)
{
    QMenu *menu = findChild<QMenu *>(QStringLiteral("mnu_recent"));
    // An item may be the one whose choice brought us here: it goes later.
    for (QAction *item : menu->actions()) {
        menu->removeAction(item);
        item->deleteLater();
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        // Numbered 1 to 9, then 0, as access keys.
        QAction *item = menu->addAction(QStringLiteral("&%1 %2").arg(QString::number((i + 1) % 10),
                                                                     disk::shownName(paths[i]).replace(QStringLiteral("&"), QStringLiteral("&&"))));
        item->setObjectName(QStringLiteral("mnu_recent_%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, path = paths[i]] { m_session.openRecent(path); });
    }
    menu->setEnabled(!paths.isEmpty());
}

void MainWindow::showFile(const QString &path, bool changed)
{
    m_status->setFile(path, changed);
    setAccessibleName(path.isEmpty() ? windowTitle()
                                     : QStringLiteral(u"%1 - %2").arg(windowTitle(), disk::shownName(QFileInfo(path).fileName())));
}

void MainWindow::viewOptionChosen(bool settings::View::*option, const char *item)
{
    m_view.*option = findChild<QAction *>(QLatin1String(item))->isChecked();
    applyView();
}

void MainWindow::mnu_wrap_Click()
{
    viewOptionChosen(&settings::View::wrap, "mnu_wrap");
}

void MainWindow::mnu_line_numbers_Click()
{
    viewOptionChosen(&settings::View::lineNumbers, "mnu_line_numbers");
}

void MainWindow::mnu_blanks_Click()
{
    viewOptionChosen(&settings::View::blanks, "mnu_blanks");
}

void MainWindow::zoom(int steps)
{
    m_view.fontSize = steps == 0 ? settings::View{}.fontSize
                                 : std::clamp(m_view.fontSize + steps, settings::smallestFont, settings::largestFont);
    applyView();
}

void MainWindow::applyView()
{
    m_text1->setWrap(m_view.wrap);
    m_text1->setLineNumbers(m_view.lineNumbers);
    m_text1->setBlanksShown(m_view.blanks);
    if (m_text1->fontSize() != m_view.fontSize)
        m_text1->setFontSize(m_view.fontSize);
    findChild<QAction *>(QStringLiteral("mnu_wrap"))->setChecked(m_view.wrap);
    findChild<QAction *>(QStringLiteral("mnu_line_numbers"))->setChecked(m_view.lineNumbers);
    findChild<QAction *>(QStringLiteral("mnu_blanks"))->setChecked(m_view.blanks);
    settings::saveView(m_view);
}

std::optional<markup::InstallType> MainWindow::installType() const
{
    if (m_installType[0]->isChecked())
        return markup::InstallType::Adult;
    if (m_installType[1]->isChecked())
        return markup::InstallType::AllAges;
    return std::nullopt;
}

void MainWindow::insert(QStringView fragment)
{
    m_text1->insert(fragment);
}

void MainWindow::check_off()
{
    for (QAction *item : m_installType)
        item->setChecked(false);
}

void MainWindow::mnu_insto_type_Click(int index)
{
    check_off();
    m_installType[index]->setChecked(true);
}

void MainWindow::insertSkeleton(const markup::Skeleton &skeleton)
{
    m_text1->insert(skeleton.text);
    m_text1->setCaret(m_text1->caret() - skeleton.caretBack);
    focusText();
}

void MainWindow::Command12_Click()
{
    insertSkeleton(markup::indentedDialogue);
}

void MainWindow::Command17_Click()
{
    insertSkeleton(markup::plainDialogue);
}

void MainWindow::mnu_maegaki_Click()
{
    m_text1->insert(markup::sectionScaffold(markup::forewordLabel));
}

void MainWindow::mnu_taitlecall_Click()
{
    m_text1->insert(markup::titleCall());
    m_text1->setCaret(m_text1->length());
    focusText();
}

void MainWindow::mnu_honpen_Click()
{
    m_text1->insert(markup::sectionScaffold(markup::mainStoryLabel));
}

void MainWindow::mnu_atogaki_Click()
{
    m_text1->insert(markup::sectionScaffold(markup::afterwordLabel));
}

void MainWindow::mnu_colours_Click()
{
    m_highlighter->setEnabled(findChild<QAction *>(QStringLiteral("mnu_colours"))->isChecked());
}

void MainWindow::mnu_check_Click()
{
    m_findings->toggle();
}

void MainWindow::mnu_next_Click()
{
    m_findings->next();
}

void MainWindow::mnu_previous_Click()
{
    m_findings->previous();
}

void MainWindow::mnu_outline_Click()
{
    // Built when first asked for, below the panels already there: nothing
    // of it delays the start.
    if (!m_outline) {
        m_outline = std::make_unique<outline::OutlinePanel>(*m_text1, centralWidget());
        addPanel(m_outline.get());
        connect(m_outline.get(), &outline::OutlinePanel::csvWanted, this,
                [this] { m_outline->saveCsv(m_dialogs->csvPath(this)); });
        connect(m_outline.get(), &outline::OutlinePanel::csvFailed, this,
                [this](const QString &message) { m_dialogs->warn(this, QStringLiteral(u"文字数"), message); });
    }
    m_outline->showFilter();
}

void MainWindow::mnu_usages_Click()
{
    if (!m_usages) {
        m_usages = std::make_unique<prose::UsagePanel>(*m_text1, centralWidget());
        addPanel(m_usages.get());
    }
    m_usages->showAtCaret();
}

void MainWindow::launch(const PickerForm &form)
{
    QPointer<Picker> &picker = m_pickers[std::size_t(&form - pickerForms.data())];
    // A picker that has closed is gone, even while Qt has yet to delete it.
    if (!picker || !picker->isVisible())
        picker = new Picker(form, *this);
    picker->move(pos());
    picker->show();
    picker->raise();
    picker->activateWindow();
}

void MainWindow::closePickers()
{
    for (QPointer<Picker> &picker : m_pickers)
        delete picker.data();
}

Picker *MainWindow::picker(const PickerForm &form) const
{
    Picker *picker = m_pickers[std::size_t(&form - pickerForms.data())];
    return picker && picker->isVisible() ? picker : nullptr;
}

assets::Palette *MainWindow::palette()
{
    if (!m_palette)
        m_palette = std::make_unique<assets::Palette>(*this, *m_text1, m_usedAssets, this);
    return m_palette.get();
}

void MainWindow::showTrouble(const QString &message)
{
    // Said once: the notice stays in the status bar for the rest of the run.
    if (m_notice)
        return;
    m_notice = new QLabel(message);
    m_notice->setObjectName(QStringLiteral("recoveryNotice"));
    // Cut at the window's width rather than widening it; the tooltip holds
    // it whole.
    m_notice->setToolTip(message);
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addWidget(m_notice, 1);
}

#include "app/main_window.h"

#include "app/dialogs.h"
#include "app/file_drop.h"
#include "assets/ui/completion.h"
#include "assets/ui/palette.h"
#include "dnml/ui/findings_panel.h"
#include "dnml/ui/highlighter.h"
#include "editor/notice_bar.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"
#include "outline/ui/outline_panel.h"
#include "pickers/picker.h"
#include "prose/ui/prose_findings.h"
#include "prose/ui/usage_panel.h"
#include "search/ui/search_bar.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>
#include <span>

namespace {

// Window measures are kept in twips, fifteen to a pixel.
constexpr int pixels(int twips) { return twips / 15; }

constexpr int clientWidth = 9840;
constexpr int clientHeight = 7890;
constexpr int buttonHeight = 495;

const QString nameDisplayOnCaption = QStringLiteral(u"人物名表示");
const QString nameDisplayOffCaption = QStringLiteral(u"人物名非表示");
const QColor nameDisplayOnColour(192, 192, 255);
const QColor nameDisplayOffColour(255, 192, 255);

QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// A push button whose caption wraps onto further lines when it is wider
// than the button, as the narrow captioned buttons of the row need.
class CaptionButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), caption,
                             QPalette::ButtonText);
    }
};

using Handler = void (*)(MainWindow &);

struct ButtonRow {
    const char *name;
    int left;   // twips
    int width;  // twips
    std::u16string_view caption;  // the captioned buttons; the others are the cast's
    Handler click;                // the captioned buttons; the cast's open their sprite pickers
};

// The row along the top, left to right: the cast members' pictures (in the
// cast's order), then the captioned buttons.
constexpr ButtonRow buttonRow[] = {
    {"Command1", 0, 480, {}, nullptr},
    {"Command2", 480, 480, {}, nullptr},
    {"Command9", 960, 480, {}, nullptr},
    {"Command4", 1440, 480, {}, nullptr},
    {"Command6", 1920, 480, {}, nullptr},
    {"Command3", 2400, 480, {}, nullptr},
    {"Command5", 2880, 480, {}, nullptr},
    {"Command8", 3360, 480, {}, nullptr},
    {"Command7", 3840, 480, {}, nullptr},
    {"Command10", 4320, 495, {}, nullptr},
    {"Command14", 4920, 615, u"音楽挿入", [](MainWindow &w) { w.launch(musicPicker()); }},
    {"Command15", 5520, 615, u"場所挿入", [](MainWindow &w) { w.launch(placesPicker()); }},
    {"Command16", 6120, 735, u"効果音挿入", [](MainWindow &w) { w.launch(soundPicker()); }},
    {"Command12", 6960, 975, u"<INDENT>「」付挿入", [](MainWindow &w) { w.Command12_Click(); }},
    {"Command17", 7920, 735, u"「」<P>挿入", [](MainWindow &w) { w.Command17_Click(); }},
    {"Command13", 8640, 735, u"人物名表示", [](MainWindow &w) { w.Command13_Click(); }},
};

// Keyboard order: the cast buttons, the script, then the captioned buttons.
constexpr const char *tabOrder[] = {"Command1",  "Command2",  "Command3",  "Command4",  "Command5",  "Command6",
                                    "Command7",  "Command8",  "Command9",  "Command10", "Text1",     "Command12",
                                    "Command13", "Command14", "Command15", "Command16", "Command17"};

struct MenuItem {
    const char *name;
    std::u16string_view caption;  // "-" for a separator
    Handler click;                // null with a caption: a submenu, filled by the window
    const char *shortcut = nullptr;  // portable text, "Ctrl+F"
    bool checkable = false;
};

struct Menu {
    const char *name;
    std::u16string_view caption;
    std::span<const MenuItem> items;
    bool castEvents = false;  // followed by an item per cast member with event pictures
};

constexpr MenuItem fileItems[] = {
    {"mnu_open", u"開く(&O)", [](MainWindow &w) { w.mnu_open_Click(); }},
    {"mnu_save", u"保存(&S)", [](MainWindow &w) { w.mnu_save_Click(); }},
    {"mnu_overwrite", u"上書き保存(&U)", [](MainWindow &w) { w.mnu_overwrite_Click(); }, "Ctrl+S"},
    {"mnu_recent", u"最近使ったファイル(&R)", nullptr},
    {"mnu_ber1", u"-", nullptr},
    {"mnu_exit", u"終了(&X)", [](MainWindow &w) { w.mnu_exit_Click(); }},
};
constexpr MenuItem installTypeItems[] = {
    {"mnu_insto_type_0", u"18禁(&K)", [](MainWindow &w) { w.mnu_insto_type_Click(0); }},
    {"mnu_insto_type_1", u"全年齢(&Z)", [](MainWindow &w) { w.mnu_insto_type_Click(1); }},
};
constexpr MenuItem sectionItems[] = {
    {"mnu_maegaki", u"前書き(&X)", [](MainWindow &w) { w.mnu_maegaki_Click(); }},
    {"mnu_taitlecall", u"タイトルコール(&Q)", [](MainWindow &w) { w.mnu_taitlecall_Click(); }},
    {"mnu_honpen", u"本編(&M)", [](MainWindow &w) { w.mnu_honpen_Click(); }},
    {"mnu_atogaki", u"後書き(&N)", [](MainWindow &w) { w.mnu_atogaki_Click(); }},
};
// The event-picture menu: the demo pictures, a separator, then the cast
// members who have event pictures (its items come from the cast).
constexpr MenuItem eventPictureItems[] = {
    {markup::demoPictures.menuItem, markup::demoPictures.menuCaption,
     [](MainWindow &w) { w.launch(eventPicker(markup::demoPictures)); }},
    {"ber2", u"-", nullptr},
};

constexpr MenuItem searchItems[] = {
    {"mnu_find", u"検索(&F)", [](MainWindow &w) { w.searchBar()->showFind(); }, "Ctrl+F"},
    {"mnu_find_next", u"次を検索(&N)", [](MainWindow &w) { w.searchBar()->findNext(); }, "F3"},
    {"mnu_find_previous", u"前を検索(&P)", [](MainWindow &w) { w.searchBar()->findPrevious(); }, "Shift+F3"},
    {"mnu_replace", u"置換(&R)", [](MainWindow &w) { w.searchBar()->showReplace(); }, "Ctrl+H"},
    {"mnu_ber3", u"-", nullptr},
    {"mnu_jump", u"指定行へジャンプ(&J)", [](MainWindow &w) { w.searchBar()->showJump(); }, "Ctrl+G"},
    {"mnu_palette", u"素材パレット(&A)", [](MainWindow &w) { w.palette()->open(); }, "Ctrl+P"},
    {"mnu_usages", u"使用箇所(&U)", [](MainWindow &w) { w.mnu_usages_Click(); }, "Ctrl+Shift+U"},
};

constexpr MenuItem viewItems[] = {
    {"mnu_colours", u"色分け表示(&L)", [](MainWindow &w) { w.mnu_colours_Click(); }},
    {"mnu_ber4", u"-", nullptr},
    {"mnu_check", u"検査(&K)", [](MainWindow &w) { w.mnu_check_Click(); }, "F7"},
    {"mnu_next", u"次の指摘(&N)", [](MainWindow &w) { w.mnu_next_Click(); }, "F8"},
    {"mnu_previous", u"前の指摘(&P)", [](MainWindow &w) { w.mnu_previous_Click(); }, "Shift+F8"},
    {"mnu_ber5", u"-", nullptr},
    {"mnu_wrap", u"折り返し(&W)", [](MainWindow &w) { w.mnu_wrap_Click(); }, nullptr, true},
    {"mnu_line_numbers", u"行番号(&B)", [](MainWindow &w) { w.mnu_line_numbers_Click(); }, nullptr, true},
    {"mnu_font_size", u"文字の大きさ(&Z)", nullptr},
    {"mnu_outline", u"構成と文字数(&O)", [](MainWindow &w) { w.mnu_outline_Click(); }, "Ctrl+Shift+O"},
};

constexpr MenuItem fontSizeItems[] = {
    {"mnu_zoom_in", u"拡大(&I)", [](MainWindow &w) { w.zoom(+1); }, "Ctrl++"},
    {"mnu_zoom_out", u"縮小(&O)", [](MainWindow &w) { w.zoom(-1); }, "Ctrl+-"},
    {"mnu_zoom_reset", u"標準(&R)", [](MainWindow &w) { w.zoom(0); }, "Ctrl+0"},
};

constexpr Menu menus[] = {
    {"mnu_file", u"ファイル(&F)", fileItems},
    {"mnu_type", u"インストールタイプ(&I)", installTypeItems},
    {"mnu_sengen", u"文頭宣言(&H)", sectionItems},
    {"mnu_event_cg", u"イベントCG挿入(&E)", eventPictureItems, true},
    {"mnu_search", u"検索(&S)", searchItems},
    {"mnu_view", u"表示(&V)", viewItems},
};

QIcon castPicture(const char *buttonName)
{
    // White is the transparent colour of the pictures.
    QPixmap picture(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(buttonName)));
    picture.setMask(picture.createMaskFromColor(Qt::white));
    return QIcon(picture);
}

void setButtonColour(QPushButton *button, const QColor &colour)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    button->setPalette(palette);
}

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
    , m_recent(settings::RecentFiles::load())
{
    registerPictures();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Scrivlet(ORVEN)"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/Form1.png")));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    buildButtons(client);
    m_text1 = std::make_unique<ScriptEdit>(m_document, client);
    m_text1->setObjectName(QStringLiteral("Text1"));
    connect(&m_document, &ScriptDocument::contentChanged, this, &MainWindow::Text1_Change);
    m_highlighter = std::make_unique<dnml::Highlighter>(*m_text1);

    QWidget *previous = nullptr;
    for (const char *name : tabOrder) {
        auto *next = client->findChild<QWidget *>(QLatin1String(name));
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
    buildMenus();
    // The search bar stands above the findings when both are open.
    connect(&m_panels, &PanelStrip::changed, this, &MainWindow::Form_Resize);
    m_searchBar = std::make_unique<SearchBar>(*m_text1, client);
    m_searchBar->hide();
    addPanel(m_searchBar.get());
    m_findings = std::make_unique<dnml::FindingsPanel>(*m_text1, client);
    addPanel(m_findings.get());
    connect(m_findings.get(), &dnml::FindingsPanel::wrapped, this, [this](const QString &note) {
        statusBar()->setObjectName(QStringLiteral("statusBar"));
        statusBar()->showMessage(note, 5000);
    });
    // The prose check: its findings in the panel, its rules under 表示.
    m_prose = std::make_unique<prose::ProseFindings>(*m_text1, this);
    m_findings->addSource(m_prose.get(), m_prose->tools());
    QMenu *proseRules = findChild<QMenu *>(QStringLiteral("mnu_view"))->addMenu(QStringLiteral(u"文章の点検(&D)"));
    proseRules->setObjectName(QStringLiteral("mnu_prose"));
    proseRules->menuAction()->setObjectName(QStringLiteral("mnu_prose"));
    for (QAction *rule : m_prose->ruleActions())
        proseRules->addAction(rule);
    connect(m_prose.get(), &prose::ProseFindings::notice, this,
            [this](const QString &note) { statusBar()->showMessage(note, 10000); });
    m_completion = std::make_unique<assets::Completion>(*m_text1, *m_highlighter, *this, m_usedAssets, this);
    client->installEventFilter(this);
    auto *fileDrop = new FileDrop(this);
    fileDrop->setObjectName(QStringLiteral("fileDrop"));
    fileDrop->watch(this);
    fileDrop->watch(m_text1->viewport());
    connect(fileDrop, &FileDrop::fileDropped, this, &MainWindow::openFile);
    connect(&m_recovery, &recovery::Recovery::trouble, this, &MainWindow::showTrouble);
    m_diskNotice = std::make_unique<NoticeBar>(client);
    m_diskNotice->setObjectName(QStringLiteral("diskNotice"));
    m_diskNotice->addButton(QStringLiteral(u"再読み込み(&L)"), [this] { reload(); })
        ->setObjectName(QStringLiteral("diskNoticeReload"));
    m_panels.add(m_diskNotice.get(), PanelStrip::Edge::Head);
    m_status = new StatusLine(*m_text1);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addPermanentWidget(m_status, 1);
    m_text1->setAccessibleName(QStringLiteral(u"台本"));
    connect(m_text1.get(), &ScriptEdit::lookAlikesReplaced, this, [this] {
        // Said the first time after each start.
        if (std::exchange(m_lookAlikesTold, true))
            return;
        statusBar()->showMessage(QStringLiteral(u"「〜」など、Shift-JISで保存すると形が変わる文字を、"
                                                u"保存される形（「～」など）で入れました。"),
                                 15000);
    });
    connect(m_text1.get(), &ScriptEdit::zoomAsked, this, &MainWindow::zoom);
    applyView();
    // The client area keeps its size: the menu bar and the status bar come on top.
    resize(pixels(clientWidth), pixels(clientHeight) + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    Form_Load();
    const bool restored = m_recovery.offer([this](const QString &title, const QString &question) {
        return m_dialogs->yesNo(this, title, question);
    });
    if (restored)
        m_text1->setCaret(m_text1->length());
}

MainWindow::~MainWindow()
{
    closePickers();
    // The panels are taken down below: nothing to lay out any more.
    m_panels.disconnect(this);
}

void MainWindow::buildButtons(QWidget *client)
{
    for (const ButtonRow &entry : buttonRow) {
        const markup::CastMember *member = markup::castWithButton(entry.name);
        QPushButton *button = member ? new QPushButton(client) : new CaptionButton(str(entry.caption), client);
        button->setObjectName(QLatin1String(entry.name));
        button->setGeometry(pixels(entry.left), 0, pixels(entry.width), pixels(buttonHeight));
        if (member) {
            button->setIcon(castPicture(entry.name));
            button->setIconSize(QSize(32, 32));
            button->setToolTip(str(member->name));
            button->setAccessibleName(str(member->name));
            connect(button, &QPushButton::clicked, this, [this, member] { launch(spritePicker(*member)); });
        } else {
            connect(button, &QPushButton::clicked, this, [this, click = entry.click] { click(*this); });
        }
    }
    m_command1 = client->findChild<QPushButton *>(QStringLiteral("Command1"));
    m_command13 = client->findChild<QPushButton *>(QStringLiteral("Command13"));
    setButtonColour(m_command13, nameDisplayOnColour);
}

void MainWindow::buildMenus()
{
    const auto addItem = [this](QMenu *menu, const char *name, std::u16string_view caption, auto click) {
        QAction *action = caption == u"-" ? menu->addSeparator() : menu->addAction(str(caption));
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, click);
        return action;
    };
    const auto addItems = [&](QMenu *menu, std::span<const MenuItem> items) {
        for (const MenuItem &item : items) {
            if (!item.click && item.caption != u"-") {
                QMenu *submenu = menu->addMenu(str(item.caption));
                submenu->setObjectName(QLatin1String(item.name));
                submenu->menuAction()->setObjectName(QLatin1String(item.name));
                continue;
            }
            QAction *action = addItem(menu, item.name, item.caption, [this, click = item.click] {
                if (click)
                    click(*this);
            });
            if (item.shortcut)
                action->setShortcut(QKeySequence(QLatin1String(item.shortcut)));
            action->setCheckable(item.checkable);
        }
    };
    for (const Menu &entry : menus) {
        QMenu *menu = menuBar()->addMenu(str(entry.caption));
        menu->setObjectName(QLatin1String(entry.name));
        menu->menuAction()->setObjectName(QLatin1String(entry.name));
        addItems(menu, entry.items);
        if (entry.castEvents)
            for (const markup::CastMember &member : markup::cast)
                if (member.hasEvents())
                    addItem(menu, member.events.menuItem, member.events.menuCaption,
                            [this, &member] { launch(eventPicker(member.events)); });
    }
    for (int index = 0; index < 2; ++index) {
        m_installType[index] = findChild<QAction *>(QStringLiteral("mnu_insto_type_%1").arg(index));
        m_installType[index]->setCheckable(true);
    }
    m_installType[0]->setChecked(true);
    QAction *colours = findChild<QAction *>(QStringLiteral("mnu_colours"));
    colours->setCheckable(true);
    colours->setChecked(true);
    addItems(findChild<QMenu *>(QStringLiteral("mnu_font_size")), fontSizeItems);
    // Ctrl++ needs Shift on a Japanese keyboard, where Ctrl+; is the key.
    findChild<QAction *>(QStringLiteral("mnu_zoom_in"))
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+;"))});
    fillRecentFiles();
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
    m_document.replaceWhole(markup::startingDocument, ScriptDocument::Origin::Started);
    show();
    // The window manager adds the frame only once the window is shown:
    // centre again when its real outer size is known.
    QTimer::singleShot(0, this, [this] {
        if (frameGeometry().size() != geometry().size())
            centre();
    });
    m_text1->setCaret(m_text1->length());
    focusText();
    text_changed = false;
    showFile();
}

void MainWindow::Form_Resize()
{
    const QWidget *client = centralWidget();
    const int top = m_command1->y() + m_command1->height();
    const QRect area(0, top, client->width(), client->height() - m_command1->height());
    // A window lower than the button row and the panels (or minimised)
    // leaves the text area where it was.
    if (area.width() < 0 || area.height() - m_panels.height() < 0)
        return;
    m_text1->setGeometry(m_panels.place(area));
}

void MainWindow::addPanel(QWidget *panel)
{
    panel->setParent(centralWidget());
    m_panels.add(panel);
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
        noticeDiskChange();
}

void MainWindow::noticeDiskChange()
{
    // Said once for each change; nothing is reloaded without the author.
    if (!m_document.changedOnDisk() || m_document.diskStamp() == m_reportedStamp)
        return;
    m_reportedStamp = m_document.diskStamp();
    const QString name = disk::shownName(m_document.source());
    m_diskNotice->tell(m_reportedStamp.exists
                           ? QStringLiteral(u"「%1」はほかのプログラムによって変更されました。").arg(name)
                           : QStringLiteral(u"「%1」はディスクから削除されたか、移動されました。").arg(name));
    m_diskNotice->findChild<QPushButton *>(QStringLiteral("diskNoticeReload"))->setVisible(m_reportedStamp.exists);
}

void MainWindow::reload()
{
    if (text_changed && !m_dialogs->yesNo(this, QStringLiteral(u"再読み込み"),
                                          QStringLiteral(u"保存していない変更は失われます。\n再読み込みしますか?")))
        return;
    const qsizetype caret = m_text1->caret();
    loadFile(m_document.source());
    m_text1->setCaret(caret);
    text_changed = false;
    showFile();
    focusText();
}

void MainWindow::Text1_Change()
{
    // The status bar's mark follows the flag; a keystroke that finds it set
    // costs nothing more.
    if (text_changed)
        return;
    text_changed = true;
    showFile();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!Form_Unload()) {
        event->ignore();
        return;
    }
    // A picker writes into this window: it has no use once the window is gone.
    closePickers();
    m_document.close();
    event->accept();
}

bool MainWindow::Form_Unload()
{
    if (!text_changed)
        return true;
    if (m_dialogs->yesNo(this, QStringLiteral(u"終了確認"), QStringLiteral(u"保存していませんが\n終了しても宜しいですか?")))
        return true;
    // No means "save first": the window stays open if the script was not
    // written after all, rather than losing it.
    return mnu_save_Click();
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

bool MainWindow::mayDiscardEdits()
{
    return !text_changed ||
           m_dialogs->yesNo(this, QStringLiteral(u"開く確認"), QStringLiteral(u"保存していませんが\n開いても宜しいですか?"));
}

void MainWindow::mnu_open_Click()
{
    if (!mayDiscardEdits())
        return;
    const QString path = m_dialogs->openPath(this);
    if (path.isEmpty())
        return;
    loadFile(path);
}

void MainWindow::openFile(const QString &path)
{
    if (!mayDiscardEdits())
        return;
    m_dialogs->chosenElsewhere(path);
    loadFile(path);
}

void MainWindow::loadFile(const QString &path)
{
    const QString name = disk::shownName(path);
    const QString title = QStringLiteral(u"開く");
    // A file written by another editor is read as the author says, Yes
    // being the way other editors read it; one that is no text at all is
    // opened only if the author insists.
    const auto howToRead = [&](const scriptfile::Survey &survey) -> std::optional<scriptfile::Reading> {
        if (survey.nul &&
            m_dialogs->choose(this, title,
                              QStringLiteral(u"「%1」にはNUL文字があります。テキストファイルではないようです。\n開きますか?").arg(name),
                              {QStringLiteral(u"はい(&Y)"), QStringLiteral(u"いいえ(&N)")}, 1) != 0)
            return std::nullopt;
        const auto ask = [&](bool when, const QString &question) {
            return when && m_dialogs->yesNo(this, title, question.arg(name));
        };
        scriptfile::Reading reading;
        reading.utf8 = ask(survey.utf8, QStringLiteral(u"「%1」はUTF-8で書かれているようです。UTF-8として読みますか?\n"
                                                       u"保存するとShift-JISになります。"
                                                       u"Shift-JISで保存できない文字は検査で指摘されます。"));
        reading.lineFeedsBreak =
            ask(survey.loneLineFeeds, QStringLiteral(u"「%1」の改行はLFだけです。LFで行を分けて読みますか?\n"
                                                     u"保存すると改行はCR LFになります。"
                                                     u"「いいえ」なら、LFを行の中の文字として読みます。"));
        return reading;
    };
    const scriptfile::Loaded loaded = m_document.open(path, howToRead);
    if (loaded.givenUp)
        return;
    if (loaded.error) {
        m_dialogs->warn(this, QStringLiteral(u"開く"),
                        QStringLiteral(u"「%1」を開けませんでした。\n%2").arg(disk::shownName(path), loaded.error->reason));
        return;
    }
    text_changed = true;
    remember(m_document.source());
    if (loaded.script.firstBadLine != 0)
        m_dialogs->warn(this, QStringLiteral(u"開く"),
                        QStringLiteral(u"「%1」の%2行目に、Shift-JISとして読めない部分があります。\n"
                                       u"読めなかった文字は「\uFFFD」に置き換えてあります。"
                                       u"直すまでは保存できません。")
                            .arg(disk::shownName(path), QString::number(loaded.script.firstBadLine)));
}

std::optional<QByteArray> MainWindow::encodedText()
{
    // A script that code page 932 cannot hold would be changed on disk:
    // say which characters stand in the way before anything is chosen.
    scriptfile::Encoded encoded = scriptfile::encode(m_document.text());
    if (!encoded.error)
        return std::move(encoded.bytes);
    const scriptfile::Unencodable &where = *encoded.error;
    const char32_t c = where.character;
    const bool printable = QChar::isPrint(c) && !QChar::isSurrogate(c);
    const QString shown = printable ? QStringLiteral(u"「%1」").arg(QString::fromUcs4(&c, 1)) : QString();
    // The first of them is selected, for the author to mend; F8 goes on to
    // the others once the check lists them.
    m_text1->select(where.offset, where.length);
    m_dialogs->warn(this, QStringLiteral(u"保存"),
                    QStringLiteral(u"Shift-JISで保存できない文字が%1個あります。"
                                   u"最初の文字は%2行目%3文字目の文字%4(U+%5)です。\n"
                                   u"これらの文字を直してから保存してください（検査 F7 で一覧できます）。")
                        .arg(QString::number(encoded.unencodable), QString::number(where.line),
                             QString::number(where.column), shown,
                             QString::number(uint(c), 16).toUpper().rightJustified(4, u'0')));
    return std::nullopt;
}

bool MainWindow::mnu_save_Click()
{
    const std::optional<QByteArray> bytes = encodedText();
    if (!bytes)
        return false;
    const QString path = m_dialogs->savePath(this, m_document.source());
    return !path.isEmpty() && writeTo(path, *bytes);
}

bool MainWindow::mnu_overwrite_Click()
{
    if (m_document.source().isEmpty())
        return mnu_save_Click();
    const std::optional<QByteArray> bytes = encodedText();
    return bytes && writeTo(m_document.source(), *bytes);
}

bool MainWindow::writeTo(QString path, const QByteArray &bytes)
{
    // Another program (or another window) changed the file since it was
    // opened or saved here: writing over it would lose that without a word.
    if (disk::absoluteName(path) == m_document.source() && m_document.changedOnDisk()) {
        const int choice = m_dialogs->choose(
            this, QStringLiteral(u"保存"),
            QStringLiteral(u"「%1」は、開いたあとでほかのプログラムによって変更されています。\n"
                           u"上書きすると、その変更は失われます。")
                .arg(disk::shownName(path)),
            {QStringLiteral(u"上書き(&O)"), QStringLiteral(u"別名で保存(&A)"), QStringLiteral(u"キャンセル")}, 2);
        if (choice == 2)
            return false;
        if (choice == 1 && (path = m_dialogs->savePath(this, m_document.source())).isEmpty())
            return false;
    }
    if (const IoResult error = m_document.save(path, bytes)) {
        m_dialogs->warn(this, QStringLiteral(u"保存"),
                        QStringLiteral(u"「%1」に保存できませんでした。\n%2").arg(disk::shownName(path), error->reason));
        return false;
    }
    text_changed = false;
    remember(m_document.source());
    return true;
}

void MainWindow::remember(const QString &path)
{
    m_recent.add(path);
    m_recent.save();
    fillRecentFiles();
    showFile();
}

void MainWindow::fillRecentFiles()
{
    QMenu *menu = findChild<QMenu *>(QStringLiteral("mnu_recent"));
    // An item may be the one whose choice brought us here: it goes later.
    for (QAction *item : menu->actions()) {
        menu->removeAction(item);
        item->deleteLater();
    }
    const QStringList &paths = m_recent.paths();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        // Numbered 1 to 9, then 0, as access keys.
        QAction *item = menu->addAction(QStringLiteral("&%1 %2").arg(QString::number((i + 1) % 10),
                                                                     disk::shownName(paths[i]).replace(QStringLiteral("&"), QStringLiteral("&&"))));
        item->setObjectName(QStringLiteral("mnu_recent_%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, path = paths[i]] { openRecent(path); });
    }
    menu->setEnabled(!paths.isEmpty());
}

void MainWindow::openRecent(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        m_dialogs->warn(this, QStringLiteral(u"開く"),
                        QStringLiteral(u"「%1」が見つかりません。最近使ったファイルの一覧から外します。").arg(disk::shownName(path)));
        m_recent.remove(path);
        m_recent.save();
        fillRecentFiles();
        return;
    }
    openFile(path);
}

void MainWindow::showFile()
{
    const QString source = m_document.source();
    m_status->setFile(source, text_changed);
    setAccessibleName(source.isEmpty() ? windowTitle()
                                       : QStringLiteral(u"%1 - %2").arg(windowTitle(), disk::shownName(QFileInfo(source).fileName())));
}

void MainWindow::mnu_wrap_Click()
{
    m_view.wrap = findChild<QAction *>(QStringLiteral("mnu_wrap"))->isChecked();
    applyView();
}

void MainWindow::mnu_line_numbers_Click()
{
    m_view.lineNumbers = findChild<QAction *>(QStringLiteral("mnu_line_numbers"))->isChecked();
    applyView();
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
    if (m_text1->fontSize() != m_view.fontSize)
        m_text1->setFontSize(m_view.fontSize);
    findChild<QAction *>(QStringLiteral("mnu_wrap"))->setChecked(m_view.wrap);
    findChild<QAction *>(QStringLiteral("mnu_line_numbers"))->setChecked(m_view.lineNumbers);
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

bool MainWindow::nameDisplayOn() const
{
    return m_command13->text() == nameDisplayOnCaption;
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

void MainWindow::Command13_Click()
{
    if (m_command13->text() == nameDisplayOnCaption) {
        setButtonColour(m_command13, nameDisplayOffColour);
        m_command13->setText(nameDisplayOffCaption);
    } else {
        m_command13->setText(nameDisplayOnCaption);
        setButtonColour(m_command13, nameDisplayOnColour);
    }
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

// The main window's controls as tables: the row of buttons along the top,
// the keyboard order, and the menus, each entry with the handler it runs.
#include "app/main_window.h"
#include "versions/ui/history.h"

#include "app/button_captions.h"
#include "assets/ui/palette.h"
#include "pickers/picker.h"
#include "search/ui/search_bar.h"

#include <QBitmap>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <span>

namespace {

constexpr int buttonHeight = 495;  // twips

// With "|" where a caption may go onto a second line (see captions::fit).
const QString nameDisplayOnCaption = QStringLiteral(u"人物名|表示");
const QString nameDisplayOffCaption = QStringLiteral(u"人物名|非表示");
const QColor nameDisplayOnColour(192, 192, 255);
const QColor nameDisplayOffColour(255, 192, 255);

QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// A push button whose caption goes onto a second line, at a break its
// words allow, when it is wider than the button.
class CaptionButton : public QPushButton
{
public:
    CaptionButton(const QString &marked, QWidget *parent)
        : QPushButton(captions::plain(marked), parent)
        , m_marked(marked)
    {
    }

    void setCaption(const QString &marked)
    {
        m_marked = marked;
        setText(captions::plain(marked));
    }

    // How wide the button must be for each of `captions` to fit it, at its
    // height and in its font: at least as wide as it is.
    int widthFor(const QStringList &marked) const
    {
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        int needed = width();
        for (const QString &caption : marked)
            needed = std::max(needed, fitIn(caption, area.size()).width + width() - area.width());
        return needed;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        painter.drawItemText(area, Qt::AlignCenter, palette(), isEnabled(),
                             fitIn(m_marked, area.size()).lines.join(u'\n'), QPalette::ButtonText);
    }

private:
    captions::Fit fitIn(const QString &marked, QSize box) const
    {
        const QFontMetrics metrics = fontMetrics();
        return captions::fit(marked, box, metrics.height(),
                             [&metrics](QStringView text) { return metrics.horizontalAdvance(text.toString()); });
    }

    QString m_marked;
};

using Handler = void (*)(MainWindow &);

struct ButtonRow {
    const char *name;
    int left;   // twips
    int width;  // twips
    std::u16string_view caption;  // the captioned buttons, "|" where it may break; the others are the cast's
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
    {"Command14", 4920, 615, u"音楽|挿入", [](MainWindow &w) { w.launch(musicPicker()); }},
    {"Command15", 5520, 615, u"場所|挿入", [](MainWindow &w) { w.launch(placesPicker()); }},
    {"Command16", 6120, 735, u"効果音|挿入", [](MainWindow &w) { w.launch(soundPicker()); }},
    {"Command12", 6960, 975, u"<INDENT>|「」付|挿入", [](MainWindow &w) { w.Command12_Click(); }},
    {"Command17", 7920, 735, u"「」<P>|挿入", [](MainWindow &w) { w.Command17_Click(); }},
    {"Command13", 8640, 735, u"人物名|表示", [](MainWindow &w) { w.Command13_Click(); }},
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
    {"mnu_name_version", u"版に名前を付けて保存(&N)", [](MainWindow &w) { w.history().nameVersion(); }},
    {"mnu_versions", u"以前の版(&H)", [](MainWindow &w) { w.history().showList(); }},
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
    {"mnu_blanks", u"空白と改行(&E)", [](MainWindow &w) { w.mnu_blanks_Click(); }, nullptr, true},
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

void MainWindow::buildButtons(QWidget *client)
{
    // Each button where the row puts it, widened for its caption when the
    // letters are larger than the row was drawn for, and the ones after it
    // moved on by as much.
    int widened = 0;
    for (const ButtonRow &entry : buttonRow) {
        const markup::CastMember *member = markup::castWithButton(entry.name);
        CaptionButton *captioned = member ? nullptr : new CaptionButton(str(entry.caption), client);
        QPushButton *button = member ? new QPushButton(client) : captioned;
        button->setObjectName(QLatin1String(entry.name));
        button->setGeometry(pixels(entry.left) + widened, 0, pixels(entry.width), pixels(buttonHeight));
        if (member) {
            button->setIcon(castPicture(entry.name));
            button->setIconSize(QSize(32, 32));
            button->setToolTip(str(member->name));
            button->setAccessibleName(str(member->name));
            connect(button, &QPushButton::clicked, this, [this, member] { launch(spritePicker(*member)); });
        } else {
            const QStringList shown = button->objectName() == QLatin1String("Command13")
                                          ? QStringList{nameDisplayOnCaption, nameDisplayOffCaption}
                                          : QStringList{str(entry.caption)};
            button->resize(captioned->widthFor(shown), button->height());
            widened += button->width() - pixels(entry.width);
            connect(button, &QPushButton::clicked, this, [this, click = entry.click] { click(*this); });
        }
    }
    m_command1 = client->findChild<QPushButton *>(QStringLiteral("Command1"));
    m_command13 = client->findChild<QPushButton *>(QStringLiteral("Command13"));
    setButtonColour(m_command13, nameDisplayOnColour);
}

void MainWindow::orderTabs(QWidget *client)
{
    QWidget *previous = nullptr;
    for (const char *name : tabOrder) {
        auto *next = client->findChild<QWidget *>(QLatin1String(name));
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
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
    fillRecentFiles(m_session.recentFiles());
}

bool MainWindow::nameDisplayOn() const
{
    return m_command13->text() == captions::plain(nameDisplayOnCaption);
}

void MainWindow::Command13_Click()
{
    auto *button = static_cast<CaptionButton *>(m_command13);
    if (nameDisplayOn()) {
        setButtonColour(m_command13, nameDisplayOffColour);
        button->setCaption(nameDisplayOffCaption);
    } else {
        button->setCaption(nameDisplayOnCaption);
        setButtonColour(m_command13, nameDisplayOnColour);
    }
}

#include "pickers/picker.h"

#include "app/main_window.h"
#include "app/script_edit.h"
#include "markup/markup.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

QStringView qview(std::u16string_view s)
{
    return QStringView(s.data(), qsizetype(s.size()));
}

void insert(MainWindow &window, QStringView fragment)
{
    window.text1()->insert(fragment);
}

// The folder value of the install type in force at this moment.
void insertFolderTail(MainWindow &window)
{
    if (const auto type = window.installType())
        insert(window, markup::folderTail(*type));
}

void writeMusic(const PickerForm &, const Choice &choice, MainWindow &window)
{
    insert(window, markup::bgmTag(choice.reference));
}

void writeSound(const PickerForm &, const Choice &choice, MainWindow &window)
{
    insert(window, markup::soundTag(choice.reference));
}

// The last row of the place list is no place but a black background.
void writePlace(const PickerForm &form, const Choice &choice, MainWindow &window)
{
    if (choice.row == int(form.adult.size()) - 1) {
        insert(window, markup::blackBackground);
        return;
    }
    insert(window, markup::backgroundHead(choice.reference));
    insertFolderTail(window);
}

// The comment names the picture in words, the tag puts it on stage, and
// the speaker's name starts the line the author types next.
void writeSprite(const PickerForm &form, const Choice &choice, MainWindow &window)
{
    insert(window, markup::commentLine(choice.text));
    insert(window, markup::actHead(choice.reference));
    insertFolderTail(window);
    if (window.nameDisplayOn())
        insert(window, qview(form.shortName));
}

void writeEventPicture(const PickerForm &, const Choice &choice, MainWindow &window)
{
    insert(window, markup::commentLine(choice.text));
    insert(window, markup::backgroundHead(choice.reference));
    insertFolderTail(window);
}

namespace c = catalogues;
namespace s = catalogues::sprites;
namespace e = catalogues::events;

constexpr PickerForm named(const char *name, std::u16string_view caption, c::Catalogue rows, Writer write)
{
    return {name, caption, rows, rows, 0, write, {}};
}

constexpr PickerForm sprite(const char *name, std::u16string_view caption, c::Catalogue rows,
                            std::u16string_view shortName)
{
    return {name, caption, rows, rows, rows.size(), writeSprite, shortName};
}

constexpr PickerForm event(const char *name, std::u16string_view caption, c::Catalogue adult, c::Catalogue allAges)
{
    return {name, caption, adult, allAges, std::max(adult.size(), allAges.size()), writeEventPicture, {}};
}

} // namespace

const std::array<PickerForm, 19> pickerForms = {
    named("Form2", u"音楽選択", c::music, writeMusic),
    named("Form3", u"場所選択", c::places, writePlace),
    named("Form4", u"効果音選択", c::soundEffects, writeSound),
    sprite("Form5", u"星野ゆら選択", s::yura, u"ゆら "),
    sprite("Form6", u"宮下紗雪選択", s::sayuki, u"紗雪 "),
    sprite("Form7", u"白石晴美選択", s::harumi, u"晴美 "),
    sprite("Form8", u"白石ちとせ選択", s::chitose, u"ちとせ "),
    sprite("Form9", u"森本航選択", s::wataru, u"森本 "),
    sprite("Form10", u"桐原千景選択", s::chikage, u"千景 "),
    sprite("Form11", u"高峰小夜子選択", s::sayoko, u"小夜子 "),
    sprite("Form12", u"桐原しずく選択", s::shizuku, u"しずく "),
    sprite("Form13", u"柚木真白選択", s::mashiro, u"真白 "),
    sprite("Form14", u"朝倉凛選択", s::rin, u"凛 "),
    event("Form15", u"星野ゆら(イベントCG)選択", e::yuraAdult, e::yuraAllAges),
    event("Form16", u"デモCG他選択", e::demoAdult, e::demoAllAges),
    event("Form17", u"白石ちとせ(イベントCG)選択", e::chitoseAdult, e::chitoseAllAges),
    event("Form18", u"桐原しずく(イベントCG)選択", e::shizukuAdult, e::shizukuAllAges),
    event("Form19", u"朝倉凛(イベントCG)選択", e::rinAdult, e::rinAllAges),
    event("Form20", u"柚木真白(イベントCG)選択", e::mashiroAdult, e::mashiroAllAges),
};

const PickerForm &pickerForm(int number)
{
    Q_ASSERT(number >= 2 && number <= 20);
    return pickerForms[std::size_t(number - 2)];
}

PickerCombo::PickerCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);

    // Typing drops down the rows that hold the typed text anywhere; picking
    // one of them is picking that row.
    auto *completer = new QCompleter(model(), this);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(20);
    setCompleter(completer);
    completer->popup()->installEventFilter(this);
    view()->installEventFilter(this);

    connect(this, &QComboBox::activated, this, [this](int row) { m_chosen = row; });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        m_chosen = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    });
}

bool PickerCombo::eventFilter(QObject *watched, QEvent *event)
{
    // The list's own rows close on Escape before the picker's Escape is
    // looked for, which would then close the picker too: take that Escape
    // here, while they still show.
    if (watched == view() && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && closeDroppedRows()) {
        event->accept();
        return true;
    }
    // Return in the rows dropped down while typing picks the row and no
    // more. Left to the completer, that Return would go on to the field
    // and from there to OK, before the row was even picked. With none of
    // them highlighted it picks the first: the typed part of a name means
    // a row, and OK would otherwise pair the typed text with the first
    // row of the whole list.
    QAbstractItemView *rows = completer()->popup();
    if (watched == rows && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QModelIndex current = rows->currentIndex();
            if (!current.isValid())
                current = rows->model()->index(0, 0);
            rows->hide();
            if (current.isValid()) {
                const int row = findText(current.data().toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
                setCurrentIndex(row);
                m_chosen = row;
            }
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

bool PickerCombo::closeDroppedRows()
{
    if (QAbstractItemView *rows = completer()->popup(); rows->isVisible()) {
        rows->hide();
        return true;
    }
    if (view()->isVisible()) {
        hidePopup();
        return true;
    }
    return false;
}

void PickerCombo::keyPressEvent(QKeyEvent *event)
{
    // Return in the field is OK.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit confirmed();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void PickerCombo::load(catalogues::Catalogue rows)
{
    for (const catalogues::Row &row : rows)
        addItem(qview(row.name).toString());
    setCurrentIndex(-1);
    if (!rows.empty())
        setEditText(qview(rows.front().name).toString());
    // Selected, so that typing replaces the first row's name and filters.
    lineEdit()->selectAll();
    m_chosen = -1;
}

Picker::Picker(const PickerForm &form, MainWindow &window)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_form(form)
    , m_window(window)
    , m_combo(new PickerCombo(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QLatin1String(form.name));
    setWindowTitle(qview(form.caption).toString());
    setAttribute(Qt::WA_DeleteOnClose);
    // One row: the list across most of the width, OK at its right.
    setFixedSize(540, 25);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->setGeometry(0, 0, 465, 24);
    m_combo->setFont(gothicFont());
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setGeometry(465, 0, 75, 25);

    connect(m_ok, &QPushButton::clicked, this, &Picker::Command1_Click);
    connect(m_combo, &PickerCombo::confirmed, this, &Picker::Command1_Click);
    // Escape leaves like the close box: nothing is written. While rows are
    // dropped down it closes only them, as it does in any list.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, [this] {
        if (!m_combo->closeDroppedRows())
            close();
    });
    Form_Load();
}

void Picker::Form_Load()
{
    const auto type = m_window.installType();
    const catalogues::Catalogue rows =
        !type ? catalogues::Catalogue() : *type == markup::InstallType::Adult ? m_form.adult : m_form.allAges;
    m_table.assign(m_form.tableSize, QStringView());
    for (std::size_t i = 0; i < std::min(rows.size(), m_table.size()); ++i)
        m_table[i] = qview(rows[i].ref);
    m_combo->load(rows);
}

void Picker::Command1_Click()
{
    Choice choice{m_combo->currentText(), m_combo->chosenRow(), {}};
    if (m_table.empty()) {
        choice.reference = choice.text;
    } else {
        // No row chosen, or a text of the author's own: the comment keeps
        // the text and the tag takes the first row's picture.
        const bool inTable = choice.row >= 0 && std::size_t(choice.row) < m_table.size();
        choice.reference = m_table[inTable ? std::size_t(choice.row) : 0];
    }
    m_form.write(m_form, choice, m_window);
    m_window.focusText();
    close();
}

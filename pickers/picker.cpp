#include "pickers/picker.h"

#include "editor/script_edit.h"
#include "markup/markup.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

QStringView qview(std::u16string_view s)
{
    return QStringView(s.data(), qsizetype(s.size()));
}

// The folder value of the install type in force at this moment.
QString folderTail(const PickerHost &host)
{
    const auto type = host.installType();
    return type ? markup::folderTail(*type) : QString();
}

QString writeMusic(const PickerForm &, const Choice &choice, const PickerHost &)
{
    return markup::bgmTag(choice.reference);
}

QString writeSound(const PickerForm &, const Choice &choice, const PickerHost &)
{
    return markup::soundTag(choice.reference);
}

// The last row of the place list is no place but a black background.
QString writePlace(const PickerForm &, const Choice &choice, const PickerHost &host)
{
    if (choice.row == int(catalogues::blackScreenPlaceRow))
        return qview(markup::blackBackground).toString();
    return markup::backgroundHead(choice.reference) + folderTail(host);
}

// The comment names the picture in words, the tag puts it on stage, and
// the speaker's name starts the line the author types next.
QString writeSprite(const PickerForm &form, const Choice &choice, const PickerHost &host)
{
    QString fragment = markup::commentLine(choice.text) + markup::actHead(choice.reference) + folderTail(host);
    if (host.nameDisplayOn())
        fragment += qview(form.speaker->speaker);
    return fragment;
}

QString writeEventPicture(const PickerForm &, const Choice &choice, const PickerHost &host)
{
    return markup::commentLine(choice.text) + markup::backgroundHead(choice.reference) + folderTail(host);
}

namespace c = catalogues;

constexpr PickerForm named(const char *name, std::u16string_view subject, c::Catalogue rows, Writer write)
{
    return {name, subject, {}, rows, rows, 0, write, nullptr};
}

constexpr PickerForm sprite(const markup::CastMember &member)
{
    return {member.spriteForm, member.name, {}, member.sprites, member.sprites, member.sprites.size(),
            writeSprite, &member};
}

constexpr PickerForm event(const markup::EventPictures &pictures, std::u16string_view subject,
                           std::u16string_view note)
{
    return {pictures.form,   subject, note, pictures.adult, pictures.allAges,
            std::max(pictures.adult.size(), pictures.allAges.size()), writeEventPicture, nullptr};
}

constexpr std::array<PickerForm, 19> allForms()
{
    std::array<PickerForm, 19> forms{};
    std::size_t i = 0;
    forms[i++] = named("Form2", u"音楽", c::music, writeMusic);
    forms[i++] = named("Form3", u"場所", c::places, writePlace);
    forms[i++] = named("Form4", u"効果音", c::soundEffects, writeSound);
    for (const markup::CastMember &member : markup::cast)
        forms[i++] = sprite(member);
    forms[i++] = event(markup::demoPictures, u"デモCG他", {});
    for (const markup::CastMember &member : markup::cast)
        if (member.hasEvents())
            forms[i++] = event(member.events, member.name, u"(イベントCG)");
    return forms;
}

} // namespace

constexpr std::array<PickerForm, 19> pickerForms = allForms();

QString PickerForm::caption() const
{
    QString caption = qview(subject).toString();
    caption += qview(note);
    caption += QStringView(u"選択");
    return caption;
}

const PickerForm &musicPicker()
{
    return pickerForms[0];
}

const PickerForm &placesPicker()
{
    return pickerForms[1];
}

const PickerForm &soundPicker()
{
    return pickerForms[2];
}

const PickerForm &spritePicker(const markup::CastMember &member)
{
    return *pickerNamed(member.spriteForm);
}

const PickerForm &eventPicker(const markup::EventPictures &pictures)
{
    return *pickerNamed(pictures.form);
}

const PickerForm *pickerNamed(std::string_view name)
{
    for (const PickerForm &form : pickerForms)
        if (form.name == name)
            return &form;
    return nullptr;
}

QString rowFragment(const PickerForm &form, catalogues::Catalogue rows, std::size_t row, const PickerHost &host)
{
    const QString name = qview(rows[row].name).toString();
    return form.write(form, Choice{name, int(row), form.tableSize ? qview(rows[row].ref) : QStringView(name)}, host);
}

void writeRow(const PickerForm &form, catalogues::Catalogue rows, std::size_t row, PickerHost &host)
{
    host.insert(rowFragment(form, rows, row, host));
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

Picker::Picker(const PickerForm &form, PickerHost &host)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_form(form)
    , m_host(host)
    , m_combo(new PickerCombo(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QLatin1String(form.name));
    setWindowTitle(form.caption());
    setAttribute(Qt::WA_DeleteOnClose);
    // One row: the list across most of the width, OK at its right. A
    // picture's picker has a line under them for what OK refuses.
    setFixedSize(540, 25);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->setGeometry(0, 0, 465, 24);
    // The rows dropped down are windows of their own, which take no font
    // from the field: each is given the field's.
    m_combo->setFont(gothicFont());
    m_combo->view()->setFont(m_combo->font());
    m_combo->completer()->popup()->setFont(m_combo->font());
    // For a screen reader: the list, and the field its name is typed in.
    m_combo->setAccessibleName(QStringLiteral(u"一覧"));
    m_combo->lineEdit()->setAccessibleName(QStringLiteral(u"名前"));
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setGeometry(465, 0, 75, 25);
    if (form.tableSize) {
        m_message = new QLabel(this);
        m_message->setObjectName(QStringLiteral("message"));
        const int height = m_message->fontMetrics().height() + 6;
        m_message->setGeometry(4, 25, 532, height);
        setFixedSize(540, 25 + height);
        // Editing the field takes the message away.
        connect(m_combo->lineEdit(), &QLineEdit::textEdited, m_message, &QLabel::clear);
    }

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
    const auto type = m_host.installType();
    m_rows = !type ? catalogues::Catalogue() : *type == markup::InstallType::Adult ? m_form.adult : m_form.allAges;
    m_combo->load(m_rows);
}

void Picker::Command1_Click()
{
    const QString text = m_combo->currentText();
    int row = m_combo->chosenRow();
    if (!m_form.tableSize) {
        // Music, places and sound effects are named by their titles: the
        // text goes in as it is, and the check reports a title the game
        // does not have.
        m_host.insert(m_form.write(m_form, Choice{text, row, text}, m_host));
    } else {
        // A picture is written only for a row: a name no row has would put
        // another picture on stage than the one the comment names.
        if (row < 0)
            row = m_combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (row < 0) {
            m_message->setText(text.isEmpty()
                                   ? QStringLiteral(u"名前が入っていません。一覧から選んでください。")
                                   : QStringLiteral(u"「%1」という名前の行はありません。一覧から選んでください。").arg(text));
            m_combo->lineEdit()->setFocus();
            return;
        }
        writeRow(m_form, m_rows, std::size_t(row), m_host);
    }
    m_host.focusText();
    close();
}

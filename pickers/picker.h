// The picker dialogs Form2 to Form20: one frame, driven by a constant
// description of each form. A picker lists one asset catalogue; its OK
// writes a fragment built from the chosen row at the caret of Text1,
// through the window that opened it (a PickerHost).
#pragma once

#include "catalogues/catalogue.h"
#include "markup/vocabulary.h"
#include "pickers/picker_host.h"

#include <QComboBox>
#include <QWidget>

#include <string_view>
#include <vector>

class QLabel;
class QPushButton;
struct PickerForm;

// What OK has to go on: the text of the field, the chosen row (-1 when
// none) and the asset reference that row, or the field, stands for.
struct Choice {
    QString text;
    int row;
    QStringView reference;
};

// Composes a picker's whole fragment, with the options `host` reads at
// this moment; it goes into Text1 as one insertion, one undo step.
using Writer = QString (*)(const PickerForm &form, const Choice &choice, const PickerHost &host);

struct PickerForm {
    const char *name = nullptr;  // "Form2" … "Form20"
    // The caption is the subject, its note and "選択": "星野ゆら(イベントCG)選択".
    std::u16string_view subject;
    std::u16string_view note;
    // The list. Event pictures have one per install type; other pickers
    // give the same list twice.
    catalogues::Catalogue adult;
    catalogues::Catalogue allAges;
    // Size of the reference table that maps rows to pictures; 0 when the
    // field's own text is the reference.
    std::size_t tableSize = 0;
    Writer write = nullptr;
    const markup::CastMember *speaker = nullptr;  // sprite pickers: whose line follows

    QString caption() const;
};

// The nineteen pickers: music, places, sound effects, the cast's sprites
// and the event pictures.
extern const std::array<PickerForm, 19> pickerForms;
const PickerForm &musicPicker();
const PickerForm &placesPicker();
const PickerForm &soundPicker();
const PickerForm &spritePicker(const markup::CastMember &member);
const PickerForm &eventPicker(const markup::EventPictures &pictures);
// The picker whose window is named `name` ("Form5"), or null.
const PickerForm *pickerNamed(std::string_view name);

// What OK writes once row `row` of `rows` (the list the picker loaded) is
// chosen: its fragment, with the options `host` reads at this moment.
QString rowFragment(const PickerForm &form, catalogues::Catalogue rows, std::size_t row, const PickerHost &host);
// Inserts that fragment through `host`, as one insertion. The pickers and
// anything else that names a row write through this.
void writeRow(const PickerForm &form, catalogues::Catalogue rows, std::size_t row, PickerHost &host);

// An editable drop-down list that knows which row the user chose. Qt's
// combo box selects row 0 as soon as a row is added and keeps its index
// while the user types; here the chosen row is -1 until the user picks
// one from the list (by mouse, arrow keys, or the rows that drop down
// while typing), and typing makes it -1 again unless the typed text is
// exactly a row's name. Text set by the program changes only the field.
class PickerCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit PickerCombo(QWidget *parent = nullptr);

    // Appends the rows in the given order, then shows row 0 in the field,
    // selected, with no row chosen.
    void load(catalogues::Catalogue rows);
    int chosenRow() const { return m_chosen; }
    // Closes the rows dropped down, by typing or from the list's button;
    // false when none were shown.
    bool closeDroppedRows();

signals:
    // Return pressed in the field itself, not in a list of rows.
    void confirmed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_chosen = -1;
};

class Picker : public QWidget
{
    Q_OBJECT

public:
    // Creates the picker and loads it: the list of the install type now in
    // force, and its reference table. `host` must outlive the picker.
    Picker(const PickerForm &form, PickerHost &host);

    // OK: inserts the fragment, gives Text1 the focus and closes. In a
    // picture's picker a text that is no row's name writes nothing: the
    // picker stays open and says so under the field.
    void Command1_Click();

private:
    void Form_Load();

    const PickerForm &m_form;
    PickerHost &m_host;
    catalogues::Catalogue m_rows;
    PickerCombo *m_combo;
    QPushButton *m_ok;
    QLabel *m_message = nullptr;  // pictures' pickers: under the field
};

// The asset palette (Ctrl+P): one field over every row of every catalogue
// under the install type in force. Typing narrows the rows; Return writes
// the highlighted one exactly as its picker's OK would, through the same
// writer and with the options read at that moment; Escape leaves. It takes
// nothing from a conversion still open in the input method.
#pragma once

#include "assets/matching.h"
#include "pickers/picker_host.h"

#include <QFrame>

#include <vector>

class QLabel;
class QLineEdit;
class QTreeView;
struct PickerForm;

namespace assets {

class AssetList;

// The picker that lists `asset`.
const PickerForm &pickerOf(const Asset &asset);

class Palette : public QFrame
{
    Q_OBJECT

public:
    // A window of `parent`'s (the main window). `host` writes into Text1 and
    // says the options; `anchor` (Text1) is where the palette opens, over
    // its top; each row written is noted in `recent`. All must outlive it.
    Palette(PickerHost &host, QWidget &anchor, RecentUse &recent, QWidget *parent);

    // Shows the palette with an empty field holding the focus, every row
    // listed (those used last since the start first), the first row
    // highlighted.
    void open();
    // Writes the highlighted row as its picker would, notes it as used,
    // closes and gives Text1 the focus. Nothing while no row is listed.
    void choose();
    // Closes without writing and gives Text1 the focus.
    void leave();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void filter();

    PickerHost &m_host;
    QWidget &m_anchor;
    QLineEdit *m_field;
    AssetList *m_rows;
    QTreeView *m_list;
    QLabel *m_count;
    std::vector<const Asset *> m_all;
    RecentUse &m_recent;
    bool m_composing = false;  // the input method holds text not yet committed
};

} // namespace assets

// Completion of asset names where they are typed: while the caret stands
// in the quoted SRC value of BGM, SOUND, BACKGROUND or ACT, a list drops
// down under it with that element's assets that match the value typed so
// far. Text1 keeps the focus throughout: the list is a frame that never
// takes it, and Text1 hands it the keys that move and choose. The list
// follows every change of the text (typed, pasted, dropped, committed by
// the input method, undone) and answers committed text only, never text
// the input method is converting.
#pragma once

#include "assets/matching.h"
#include "dnml/source_value.h"

#include <QObject>
#include <QTimer>

#include <optional>

class PickerHost;
class QFrame;
class QTreeView;
class ScriptEdit;

class Colouring;

namespace assets {

class AssetList;

class Completion : public QObject
{
    Q_OBJECT

public:
    // Completes in `edit`, whose colouring keeps the DNML state each line
    // starts in; `host` says the install type in force; each row written is
    // noted in `recent`. All must outlive it.
    Completion(ScriptEdit &edit, Colouring &states, PickerHost &host, RecentUse &recent, QObject *parent = nullptr);
    ~Completion() override;

    bool isShown() const;
    // The list's rows; null until it is first shown.
    QTreeView *list() const { return m_list; }

    // Replaces the value with the highlighted row's reference (a picture's
    // path), closing its quote if it was open, the caret after the quote.
    // Only while the list is shown for the value as it stands: a list of
    // an earlier text is first drawn again for this one, and nothing is
    // written. True when the row was written.
    bool accept();
    // Hides the list until the caret leaves the value.
    void dismiss();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The value the caret stands in, on its line: `text` is the line, or
    // of a very long line the part around the caret, from column `base`;
    // the source's columns and `caret` count from there.
    struct Value {
        dnml::SourceValue source;
        int line;
        qsizetype base;
        QString text;
        qsizetype caret;
        qsizetype start() const { return base + source.start; }
    };
    std::optional<Value> valueAtCaret() const;
    // After committed text: shows, narrows or hides the list.
    void update();
    void caretMoved();
    void makePopup();
    void hide();
    void show(dnml::AssetTag tag, std::vector<const Asset *> rows);

    ScriptEdit &m_edit;
    Colouring &m_states;
    PickerHost &m_host;
    RecentUse &m_recent;
    QFrame *m_popup = nullptr;
    AssetList *m_rows;
    QTreeView *m_list = nullptr;
    QTimer m_afterTyping;
    // The value the list is for, and the one Escape dismissed: each by its
    // line and first column.
    int m_shownLine = -1;
    qsizetype m_shownStart = -1;
    QString m_shownTyped;  // the value's text the list was drawn for
    int m_dismissedLine = -1;
    qsizetype m_dismissedStart = -1;
    bool m_composing = false;
};

} // namespace assets

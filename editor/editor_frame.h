// Text1 and what stands around it: notices over it, panels under it (the
// search bar, the findings, the outline) and its status line. The frame
// lays them out: a panel shown takes its height from Text1 and gives it
// back when hidden, and the author may drag the line between them, the
// height dragged to being kept for the next time that panel opens (at the
// next start too). Whatever is open, Text1 keeps a third of the frame or
// eight lines, whichever is more: the panels give way for it, and get back
// what they gave when there is room again. Whoever hosts the frame places
// the frame alone. The
// status line is the frame's, for the host to show where it will (in a
// window's status bar).
#pragma once

#include "editor/panel_strip.h"

#include <QWidget>

class QSplitter;
class ScriptDocument;
class ScriptEdit;
class StatusLine;

class EditorFrame : public QWidget
{
    Q_OBJECT

public:
    // Shows `document`, which must outlive the frame.
    explicit EditorFrame(ScriptDocument &document, QWidget *parent = nullptr);
    ~EditorFrame() override;

    ScriptEdit &view() const { return *m_view; }
    StatusLine &status() const { return *m_status; }
    // A notice over Text1, or a panel under it below the ones added before;
    // either is the frame's child from now on.
    void addNotice(QWidget *notice);
    void addPanel(QWidget *panel);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    // Gives a panel just shown its remembered height, or a few rows.
    void open(QWidget *panel);
    void keepHeights();
    // A panel whose height policy is fixed (a bar of rows) is as tall as
    // its rows, whatever the author drags.
    static bool isBar(const QWidget *panel);
    static int leastHeight(const QWidget *panel);
    // What Text1 keeps whatever is open (see panel_heights.h).
    int text1Least() const;
    // The bars as tall as their rows, the other panels as tall as they were
    // opened or dragged to unless Text1 would keep less than its least, and
    // Text1 the rest.
    void settle();

    QSplitter *m_split;  // Text1 over the panels under it
    QList<int> m_wanted;  // by the splitter's index: the height each panel was opened at or dragged to
    QList<int> m_given;   // the splitter's sizes as last settled
    ScriptEdit *m_view;
    StatusLine *m_status;
    PanelStrip m_notices;
};

// The strips of panels around Text1: under it (the search bar, the
// findings) and over it (a notice). It lays them out one above the other at
// the foot or the head of the area Text1 shares with them, each as tall as
// it asks to be while it is shown; hidden ones take no room. Whoever places
// Text1 asks the strip what is left for it, and hears when a panel is
// shown, hidden or grows.
#pragma once

#include <QObject>
#include <QRect>

#include <vector>

class QWidget;

class PanelStrip : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    enum class Edge { Foot, Head };
    // Adds a panel below the ones added before at that edge; it is laid out
    // in its parent's coordinates, as Text1 is.
    void add(QWidget *panel, Edge edge = Edge::Foot);
    // Lays the shown panels out at the head and the foot of `area` and
    // returns the part between them; an area too low for them is returned
    // unchanged.
    QRect place(const QRect &area);
    int height() const;

signals:
    // A panel was shown, hidden or changed its height: lay out again.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Panel {
        QWidget *widget;
        Edge edge;
    };
    std::vector<Panel> m_panels;
};

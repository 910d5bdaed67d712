// The strip of panels under Text1 (the search bar, the findings): it lays
// them out one above the other at the foot of the area Text1 shares with
// them, each as tall as it asks to be while it is shown; hidden ones take no
// room. Whoever places Text1 asks the strip what is left for it, and hears
// when a panel is shown, hidden or grows.
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

    // Adds a panel below the ones added before; it is laid out in its
    // parent's coordinates, as Text1 is.
    void add(QWidget *panel);
    // Lays the shown panels out at the foot of `area` and returns the part
    // above them; an area too low for them is returned unchanged.
    QRect place(const QRect &area);
    int height() const;

signals:
    // A panel was shown, hidden or changed its height: lay out again.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::vector<QWidget *> m_panels;
};

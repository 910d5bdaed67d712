#include "editor/panel_strip.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {

int heightOf(const QWidget *panel)
{
    return panel->sizeHint().expandedTo(panel->minimumSize()).height();
}

} // namespace

void PanelStrip::add(QWidget *panel)
{
    m_panels.push_back(panel);
    panel->installEventFilter(this);
    connect(panel, &QObject::destroyed, this, [this, panel] { std::erase(m_panels, panel); });
    emit changed();
}

int PanelStrip::height() const
{
    int total = 0;
    for (const QWidget *panel : m_panels)
        if (!panel->isHidden())
            total += heightOf(panel);
    return total;
}

QRect PanelStrip::place(const QRect &area)
{
    const int panels = height();
    if (area.height() < panels)
        return area;
    QRect above = area;
    above.setHeight(area.height() - panels);
    int y = above.bottom() + 1;
    for (QWidget *panel : m_panels) {
        if (panel->isHidden())
            continue;
        panel->setGeometry(area.x(), y, area.width(), heightOf(panel));
        y += panel->height();
    }
    return above;
}

bool PanelStrip::eventFilter(QObject *watched, QEvent *event)
{
    // A panel shown, hidden or grown (a second row of the search bar)
    // takes its height from Text1 again.
    const QEvent::Type type = event->type();
    if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::LayoutRequest)
        emit changed();
    return QObject::eventFilter(watched, event);
}

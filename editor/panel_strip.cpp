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

void PanelStrip::add(QWidget *panel, Edge edge)
{
    m_panels.push_back({panel, edge});
    panel->installEventFilter(this);
    connect(panel, &QObject::destroyed, this,
            [this, panel] { std::erase_if(m_panels, [panel](const Panel &p) { return p.widget == panel; }); });
    emit changed();
}

int PanelStrip::height() const
{
    int total = 0;
    for (const Panel &panel : m_panels)
        if (!panel.widget->isHidden())
            total += heightOf(panel.widget);
    return total;
}

QRect PanelStrip::place(const QRect &area)
{
    if (area.height() < height())
        return area;
    int head = area.top();
    int foot = area.bottom() + 1;
    for (const Panel &panel : m_panels)
        if (!panel.widget->isHidden() && panel.edge == Edge::Foot)
            foot -= heightOf(panel.widget);
    QRect between = area;
    between.setBottom(foot - 1);
    for (const Panel &panel : m_panels) {
        if (panel.widget->isHidden())
            continue;
        const int height = heightOf(panel.widget);
        int &y = panel.edge == Edge::Head ? head : foot;
        panel.widget->setGeometry(area.x(), y, area.width(), height);
        y += height;
    }
    between.setTop(head);
    return between;
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

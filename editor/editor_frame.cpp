#include "editor/editor_frame.h"

#include "editor/script_edit.h"
#include "editor/status_line.h"

#include <QEvent>

EditorFrame::EditorFrame(ScriptDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_view(new ScriptEdit(document, this))
    , m_status(new StatusLine(*m_view))
{
    setObjectName(QStringLiteral("editorFrame"));
    m_view->setObjectName(QStringLiteral("Text1"));
    setFocusProxy(m_view);
    connect(&m_panels, &PanelStrip::changed, this, &EditorFrame::place);
}

EditorFrame::~EditorFrame()
{
    // The status line follows the view: it goes first, wherever it is shown.
    delete m_status;
    m_panels.disconnect(this);
}

void EditorFrame::addNotice(QWidget *notice)
{
    notice->setParent(this);
    m_panels.add(notice, PanelStrip::Edge::Head);
}

void EditorFrame::addPanel(QWidget *panel)
{
    panel->setParent(this);
    m_panels.add(panel);
}

void EditorFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place();
}

bool EditorFrame::event(QEvent *event)
{
    // A panel asking for another height (a bar growing a second row).
    if (event->type() == QEvent::LayoutRequest)
        place();
    return QWidget::event(event);
}

void EditorFrame::place()
{
    // A frame lower than its panels (or minimised) leaves Text1 where it was.
    if (height() < m_panels.height())
        return;
    m_view->setGeometry(m_panels.place(rect()));
}

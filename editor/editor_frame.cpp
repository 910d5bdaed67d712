#include "editor/editor_frame.h"

#include "document/settings.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"

#include <QEvent>
#include <QSplitter>

#include <algorithm>

EditorFrame::EditorFrame(ScriptDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_split(new QSplitter(Qt::Vertical, this))
    , m_view(new ScriptEdit(document, m_split))
    , m_status(new StatusLine(*m_view))
{
    setObjectName(QStringLiteral("editorFrame"));
    m_split->setObjectName(QStringLiteral("panelSplitter"));
    m_split->setChildrenCollapsible(false);
    m_view->setObjectName(QStringLiteral("Text1"));
    m_split->addWidget(m_view);
    m_split->setStretchFactor(0, 1);
    setFocusProxy(m_view);
    connect(m_split, &QSplitter::splitterMoved, this, &EditorFrame::keepHeights);
    connect(&m_notices, &PanelStrip::changed, this, &EditorFrame::place);
}

EditorFrame::~EditorFrame()
{
    // The status line follows the view: it goes first, wherever it is shown.
    delete m_status;
    m_notices.disconnect(this);
}

void EditorFrame::addNotice(QWidget *notice)
{
    notice->setParent(this);
    m_notices.add(notice, PanelStrip::Edge::Head);
}

void EditorFrame::addPanel(QWidget *panel)
{
    m_split->addWidget(panel);
    m_split->setStretchFactor(m_split->indexOf(panel), 0);
    panel->installEventFilter(this);
}

void EditorFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place();
}

bool EditorFrame::event(QEvent *event)
{
    // A notice asking for another height (a bar growing a second row).
    if (event->type() == QEvent::LayoutRequest)
        place();
    return QWidget::event(event);
}

bool EditorFrame::eventFilter(QObject *watched, QEvent *event)
{
    // A panel shown takes its height from Text1 at once, and one hidden
    // gives it back: a key pressed next lands in a text laid out anew.
    if (event->type() == QEvent::Show)
        open(static_cast<QWidget *>(watched));
    else if (event->type() == QEvent::Hide)
        m_split->refresh();
    return QWidget::eventFilter(watched, event);
}

void EditorFrame::place()
{
    // A frame lower than its notices (or minimised) leaves Text1 where it was.
    if (height() < m_notices.height())
        return;
    m_split->setGeometry(m_notices.place(rect()));
}

void EditorFrame::open(QWidget *panel)
{
    m_split->refresh();
    QList<int> sizes = m_split->sizes();
    const int at = m_split->indexOf(panel);
    const int remembered = settings::panelHeight(panel->objectName());
    const int least = std::max(panel->minimumSizeHint().height(), panel->minimumHeight());
    const int wanted = std::clamp(remembered > 0 ? remembered : least + 3 * panel->fontMetrics().height(), least,
                                  std::max(least, panel->maximumHeight()));
    // Text1 keeps a few lines whatever the panels ask.
    const int given = std::min(wanted, sizes[at] + sizes[0] - 4 * m_view->fontMetrics().height());
    if (given <= sizes[at])
        return;
    sizes[0] -= given - sizes[at];
    sizes[at] = given;
    m_split->setSizes(sizes);
}

void EditorFrame::keepHeights()
{
    const QList<int> sizes = m_split->sizes();
    for (int i = 1; i < m_split->count(); ++i)
        if (m_split->widget(i)->isVisible())
            settings::savePanelHeight(m_split->widget(i)->objectName(), sizes[i]);
}

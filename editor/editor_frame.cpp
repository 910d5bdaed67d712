#include "editor/editor_frame.h"

#include "document/settings.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"

#include <QEvent>
#include <QSplitter>

#include <algorithm>
#include <numeric>

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
    m_split->installEventFilter(this);
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
    // A bar showing or hiding a row asks its parent, the splitter, to lay
    // out again, and the splitter gives the difference to a neighbour: the
    // heights are settled again once it is done.
    if (watched == m_split) {
        if (event->type() == QEvent::LayoutRequest)
            QMetaObject::invokeMethod(this, &EditorFrame::settle, Qt::QueuedConnection);
        return QWidget::eventFilter(watched, event);
    }
    // A panel shown takes its height from Text1 at once, and one hidden
    // gives it back: a key pressed next lands in a text laid out anew.
    if (event->type() == QEvent::Show)
        open(static_cast<QWidget *>(watched));
    else if (event->type() == QEvent::Hide)
        settle();
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
    const int at = m_split->indexOf(panel);
    const QList<int> sizes = m_split->sizes();
    m_heights.resize(sizes.size());
    m_heights[at] = sizes[at];
    if (!isBar(panel)) {
        const int remembered = settings::panelHeight(panel->objectName());
        const int least = std::max(panel->minimumSizeHint().height(), panel->minimumHeight());
        const int wanted = std::clamp(remembered > 0 ? remembered : least + 3 * panel->fontMetrics().height(), least,
                                      std::max(least, panel->maximumHeight()));
        // Text1 keeps a few lines whatever the panels ask, and a panel
        // opened at its first height leaves it a third of the frame
        // besides: the script stays the larger part until the author drags
        // otherwise.
        const int fewLines = 4 * m_view->fontMetrics().height();
        const int kept = remembered > 0 ? fewLines : std::max(fewLines, m_split->height() / 3);
        m_heights[at] = std::max(sizes[at], std::min(wanted, sizes[at] + sizes[0] - kept));
    }
    settle();
}

bool EditorFrame::isBar(const QWidget *panel)
{
    return panel->sizePolicy().verticalPolicy() == QSizePolicy::Fixed;
}

void EditorFrame::settle()
{
    m_split->refresh();
    const QList<int> before = m_split->sizes();
    QList<int> sizes = before;
    m_heights.resize(sizes.size());
    int panels = 0;
    for (int i = 1; i < m_split->count(); ++i) {
        const QWidget *panel = m_split->widget(i);
        if (!panel->isVisible())
            sizes[i] = 0;
        else if (isBar(panel))
            sizes[i] = panel->sizeHint().height();
        else if (m_heights[i] > 0)
            sizes[i] = m_heights[i];
        panels += sizes[i];
    }
    sizes[0] = std::accumulate(before.cbegin(), before.cend(), 0) - panels;
    if (sizes != before)
        m_split->setSizes(sizes);
    m_heights = m_split->sizes();
}

void EditorFrame::keepHeights()
{
    const QList<int> sizes = m_split->sizes();
    m_heights = sizes;
    for (int i = 1; i < m_split->count(); ++i)
        if (m_split->widget(i)->isVisible() && !isBar(m_split->widget(i)))
            settings::savePanelHeight(m_split->widget(i)->objectName(), sizes[i]);
}

#include "editor/editor_frame.h"

#include "document/settings.h"
#include "editor/panel_heights.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"

#include <QEvent>
#include <QScrollBar>
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
    // A bar showing or hiding a row, or Text1 given bigger letters (whose
    // eight lines are taller), asks its parent, the splitter, to lay out
    // again, and the splitter gives the difference to a neighbour: the
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
    // Text1's third is of a frame of another height now: the panels give
    // way, or get back what they gave.
    settle();
}

void EditorFrame::open(QWidget *panel)
{
    const int at = m_split->indexOf(panel);
    m_wanted.resize(m_split->count());
    if (!isBar(panel)) {
        const int remembered = settings::panelHeight(panel->objectName());
        const int least = leastHeight(panel);
        m_wanted[at] = std::clamp(remembered > 0 ? remembered : least + 3 * panel->fontMetrics().height(), least,
                                  std::max(least, panel->maximumHeight()));
    }
    settle();
}

bool EditorFrame::isBar(const QWidget *panel)
{
    return panel->sizePolicy().verticalPolicy() == QSizePolicy::Fixed;
}

int EditorFrame::leastHeight(const QWidget *panel)
{
    return std::max(panel->minimumSizeHint().height(), panel->minimumHeight());
}

int EditorFrame::text1Least() const
{
    const int scrollBar = m_view->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff
                              ? 0
                              : m_view->horizontalScrollBar()->sizeHint().height();
    const int chrome = 2 * m_view->frameWidth() + scrollBar + 2 * int(m_view->document()->documentMargin());
    return panels::text1Least(height(), m_view->fontMetrics().lineSpacing(), chrome);
}

void EditorFrame::settle()
{
    m_split->refresh();
    const QList<int> before = m_split->sizes();
    m_wanted.resize(before.size());
    std::vector<panels::Panel> open;
    std::vector<int> at;
    for (int i = 1; i < m_split->count(); ++i) {
        const QWidget *panel = m_split->widget(i);
        if (panel->isHidden())
            continue;
        if (isBar(panel)) {
            const int rows = panel->sizeHint().height();
            open.push_back({rows, rows});
        } else {
            open.push_back({m_wanted[i] > 0 ? m_wanted[i] : before[i], leastHeight(panel)});
        }
        at.push_back(i);
    }
    const int least = text1Least();
    const panels::Shares shares = panels::share(std::accumulate(before.cbegin(), before.cend(), 0), least, open);
    QList<int> sizes(before.size(), 0);
    sizes[0] = shares.text1;
    for (std::size_t k = 0; k < at.size(); ++k)
        sizes[at[k]] = shares.panels[k];
    // A drag of the splitter's handle stops where Text1 would have less.
    m_view->setMinimumHeight(std::min(least, shares.text1));
    if (sizes != before)
        m_split->setSizes(sizes);
    m_given = m_split->sizes();
}

void EditorFrame::keepHeights()
{
    // The panels the drag changed keep their new height, now and at the
    // next start; the others keep wanting theirs.
    const QList<int> sizes = m_split->sizes();
    for (int i = 1; i < m_split->count(); ++i) {
        QWidget *panel = m_split->widget(i);
        if (panel->isHidden() || isBar(panel) || i >= m_given.size() || sizes[i] == m_given[i])
            continue;
        m_wanted[i] = sizes[i];
        settings::savePanelHeight(panel->objectName(), sizes[i]);
    }
    m_given = sizes;
}

#include "dnml/ui/findings_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace dnml {
namespace {

QTextCharFormat underline()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    format.setUnderlineColor(QColor(0xC4, 0x1A, 0x16));
    return format;
}

} // namespace

FindingsPanel::FindingsPanel(ScriptEdit &edit, QWidget *parent)
    : QWidget(parent)
    , m_edit(edit)
    , m_layer(edit.addMarkLayer(underline()))
    , m_title(new QLabel(this))
    , m_list(new QTreeWidget(this))
    , m_pause(new QTimer(this))
    , m_check(edit.script())
{
    setObjectName(QStringLiteral("findings"));
    m_title->setObjectName(QStringLiteral("findingsTitle"));
    m_list->setObjectName(QStringLiteral("findingList"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral(u"行"), QStringLiteral(u"列"), QStringLiteral(u"内容")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 70);
    m_list->setColumnWidth(1, 50);
    m_list->setAccessibleName(QStringLiteral(u"検査結果"));
    nameScrollBars(m_list);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(m_title);
    layout->addWidget(m_list);
    // A few rows at least; the author may give it more.
    m_list->setMinimumHeight(3 * m_list->fontMetrics().height() + 12);
    hide();

    m_pause->setSingleShot(true);
    m_pause->setInterval(pause);
    connect(m_pause, &QTimer::timeout, this, &FindingsPanel::startCheck);
    connect(&edit, &ScriptEdit::contentChanged, this, [this] {
        if (m_open)
            m_pause->start();
    });
    connect(&m_check, &CheckRun::finished, this, &FindingsPanel::checkDone);
    connect(edit.verticalScrollBar(), &QScrollBar::valueChanged, this, &FindingsPanel::markVisible);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const int row = m_list->indexOfTopLevelItem(item);
        if (row >= 0 && std::size_t(row) < m_findings.size())
            jumpTo(m_findings[std::size_t(row)]);
    });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &FindingsPanel::toggle);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
}

void FindingsPanel::toggle()
{
    if (m_open) {
        const bool hadFocus = isAncestorOf(QWidget::focusWidget());
        m_open = false;
        m_pause->stop();
        m_pendingMove = Move::None;
        m_findings.clear();
        m_edit.setMarks(m_layer, {});
        hide();
        if (hadFocus)
            m_edit.setFocus();
        return;
    }
    m_open = true;
    m_findings.clear();
    m_list->clear();
    m_title->setText(QStringLiteral(u"検査中…"));
    show();
    startCheck();
}

void FindingsPanel::startCheck()
{
    m_pause->stop();
    m_check.start();
}

void FindingsPanel::checkDone(const std::vector<Finding> &findings)
{
    if (!m_open)
        return;
    m_findings = findings;
    showFindings();
    if (m_pendingMove != Move::None)
        move(std::exchange(m_pendingMove, Move::None));
    emit checked();
}

void FindingsPanel::showFindings()
{
    m_title->setText(m_findings.empty() ? QStringLiteral(u"検査結果: 指摘はありません")
                                        : QStringLiteral(u"検査結果: %1 件").arg(m_findings.size()));
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(qsizetype(m_findings.size()));
    for (const Finding &f : m_findings)
        rows.append(new QTreeWidgetItem({QString::number(f.line), QString::number(f.column), f.message}));
    m_list->addTopLevelItems(rows);
    if (!rows.isEmpty())
        m_list->setCurrentItem(rows.front());
    m_list->setUpdatesEnabled(true);
    markVisible();
}

void FindingsPanel::markVisible()
{
    if (!m_open || m_findings.empty())
        return;
    // Only the findings on screen and a hundred lines either side (the view
    // may grow): the editor looks at every mark for every line it paints.
    const auto [top, bottom] = m_edit.shownLines();
    const ScriptDocument &script = m_edit.script();
    const qsizetype first = script.lineStart(std::max(top - 100, 0));
    const qsizetype last = script.lineStart(bottom + 101);
    auto it = std::lower_bound(m_findings.begin(), m_findings.end(), first,
                               [](const Finding &f, qsizetype at) { return f.offset + f.length < at; });
    // A line of thousands of findings is underlined only so far.
    constexpr std::size_t mostMarks = 1000;
    std::vector<ScriptEdit::Range> marks;
    for (; it != m_findings.end() && it->offset < last && marks.size() < mostMarks; ++it)
        marks.push_back({it->offset, std::max<qsizetype>(it->length, 1)});
    m_edit.setMarks(m_layer, marks);
}

void FindingsPanel::next()
{
    if (!m_open) {
        toggle();
        m_pendingMove = Move::First;
        return;
    }
    move(Move::Next);
}

void FindingsPanel::previous()
{
    if (!m_open) {
        toggle();
        m_pendingMove = Move::Last;
        return;
    }
    move(Move::Previous);
}

void FindingsPanel::move(Move direction)
{
    if (!m_open)
        return;
    if (m_check.stale() || m_check.busy()) {
        m_pendingMove = direction;
        if (!m_check.busy())
            startCheck();
        return;
    }
    if (m_findings.empty())
        return;
    const qsizetype caret = m_edit.caret();
    const Finding *target = nullptr;
    bool wrapping = false;
    if (direction == Move::First) {
        target = &m_findings.front();
    } else if (direction == Move::Last) {
        target = &m_findings.back();
    } else if (direction == Move::Next) {
        const auto it = std::find_if(m_findings.begin(), m_findings.end(),
                                     [caret](const Finding &f) { return f.offset > caret; });
        wrapping = it == m_findings.end();
        target = wrapping ? &m_findings.front() : &*it;
    } else {
        const auto it = std::find_if(m_findings.rbegin(), m_findings.rend(),
                                     [caret](const Finding &f) { return f.offset < caret; });
        wrapping = it == m_findings.rend();
        target = wrapping ? &m_findings.back() : &*it;
    }
    m_list->setCurrentItem(m_list->topLevelItem(int(target - m_findings.data())));
    jumpTo(*target);
    if (wrapping)
        emit wrapped(direction == Move::Next ? QStringLiteral(u"最後の指摘まで来たので、最初の指摘に戻りました。")
                                             : QStringLiteral(u"最初の指摘まで来たので、最後の指摘に戻りました。"));
}

void FindingsPanel::jumpTo(const Finding &finding)
{
    m_edit.setCaret(finding.offset);
    m_edit.window()->activateWindow();
    m_edit.setFocus();
    markVisible();
}

} // namespace dnml

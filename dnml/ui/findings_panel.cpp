#include "dnml/ui/findings_panel.h"

#include "editor/list_font.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QShortcut>
#include <QAbstractTableModel>
#include <QTimer>
#include <QTreeView>
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

// The findings as the list shows them: a row is made when it is shown, so
// that ten thousand findings cost the list no more than ten.
class FindingRows final : public QAbstractTableModel
{
public:
    FindingRows(const std::vector<Finding> &findings, QObject *parent)
        : QAbstractTableModel(parent)
        , m_findings(findings)
    {
    }

    // The findings changed, all of them.
    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_findings.size());
    }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const Finding &f = m_findings[std::size_t(index.row())];
        const bool place = f.kind != FindingKind::Omitted;
        switch (index.column()) {
        case 0: return place ? QString::number(f.line) : QString();
        case 1: return place ? QString::number(f.column) : QString();
        default: return f.message;
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const QString titles[] = {QStringLiteral(u"行"), QStringLiteral(u"列"), QStringLiteral(u"内容")};
        return titles[section];
    }

private:
    const std::vector<Finding> &m_findings;
};

FindingsPanel::FindingsPanel(ScriptEdit &edit, QWidget *parent)
    : QWidget(parent)
    , m_edit(edit)
    , m_layer(edit.addMarkLayer(underline()))
    , m_title(new QLabel(this))
    , m_titleRow(new QHBoxLayout)
    , m_list(new QTreeView(this))
    , m_rows(new FindingRows(m_findings, this))
    , m_pause(new QTimer(this))
    , m_check(edit.script())
{
    setObjectName(QStringLiteral("findings"));
    m_title->setObjectName(QStringLiteral("findingsTitle"));
    m_list->setObjectName(QStringLiteral("findingList"));
    m_list->setModel(m_rows);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 70);
    m_list->setColumnWidth(1, 50);
    m_list->setAccessibleName(QStringLiteral(u"検査結果"));
    nameScrollBars(m_list);
    followScriptFont(m_list, edit);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    m_titleRow->addWidget(m_title, 1);
    layout->addLayout(m_titleRow);
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
    connect(m_list, &QTreeView::activated, this, [this](const QModelIndex &index) {
        const int row = index.row();
        if (row >= 0 && std::size_t(row) < m_findings.size() && m_findings[std::size_t(row)].kind != FindingKind::Omitted)
            jumpTo(m_findings[std::size_t(row)]);
    });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &FindingsPanel::toggle);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &FindingsPanel::currentRowChanged);
}

void FindingsPanel::addSource(FindingSource *source, QWidget *tools)
{
    const std::size_t index = m_sources.size();
    m_sources.push_back({source, {}});
    connect(source, &FindingSource::finished, this,
            [this, index](const std::vector<Finding> &findings) { sourceDone(index, findings); });
    if (tools)
        m_titleRow->addWidget(tools);
    if (m_open && !m_check.busy())
        source->start();
}

void FindingsPanel::toggle()
{
    if (m_open) {
        const bool hadFocus = isAncestorOf(QWidget::focusWidget());
        m_open = false;
        m_pause->stop();
        m_pendingMove = Move::None;
        m_findings.clear();
        m_own.clear();
        m_origins.clear();
        for (Source &source : m_sources) {
            source.findings.clear();
            source.source->stop();
        }
        m_edit.setMarks(m_layer, {});
        hide();
        if (hadFocus)
            m_edit.setFocus();
        return;
    }
    m_open = true;
    m_findings.clear();
    m_rows->reset();
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
    m_own = findings;
    // The sources check once the check is done: the two never hold a copy
    // of the text each at the same time.
    for (Source &source : m_sources)
        source.source->start();
    merge();
}

void FindingsPanel::sourceDone(std::size_t source, const std::vector<Finding> &findings)
{
    if (!m_open)
        return;
    m_sources[source].findings = findings;
    merge();
}

bool FindingsPanel::waiting() const
{
    return m_check.stale() || m_check.busy() ||
           std::any_of(m_sources.begin(), m_sources.end(), [](const Source &s) { return s.source->pending(); });
}

void FindingsPanel::merge()
{
    m_findings = m_own;
    m_origins.clear();
    for (std::size_t i = 0; i < m_own.size(); ++i)
        m_origins.emplace_back(-1, int(i));
    for (std::size_t s = 0; s < m_sources.size(); ++s) {
        const std::vector<Finding> &more = m_sources[s].findings;
        for (std::size_t i = 0; i < more.size(); ++i) {
            m_findings.push_back(more[i]);
            m_origins.emplace_back(int(s), int(i));
        }
    }
    // In the order of the text; the check's first where two stand together.
    std::vector<std::size_t> order(m_findings.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return m_findings[a].offset < m_findings[b].offset; });
    std::vector<Finding> findings;
    std::vector<std::pair<int, int>> origins;
    findings.reserve(order.size());
    for (std::size_t i : order) {
        findings.push_back(std::move(m_findings[i]));
        origins.push_back(m_origins[i]);
    }
    m_findings = std::move(findings);
    m_origins = std::move(origins);
    showFindings();
    if (waiting())
        return;
    if (m_pendingMove != Move::None)
        move(std::exchange(m_pendingMove, Move::None));
    emit checked();
}

void FindingsPanel::currentRowChanged()
{
    const int row = m_list->currentIndex().row();
    const std::pair<int, int> origin =
        row >= 0 && std::size_t(row) < m_origins.size() ? m_origins[std::size_t(row)] : std::pair{-1, -1};
    for (std::size_t s = 0; s < m_sources.size(); ++s)
        m_sources[s].source->setCurrent(origin.first == int(s) ? origin.second : -1);
}

void FindingsPanel::showFindings()
{
    // The last row, when there are more findings than are kept, counts the others.
    const auto shown = std::count_if(m_findings.begin(), m_findings.end(),
                                     [](const Finding &f) { return f.kind != FindingKind::Omitted; });
    m_title->setText(m_findings.empty() ? QStringLiteral(u"検査結果: 指摘はありません")
                                        : QStringLiteral(u"検査結果: %1 件").arg(shown));
    m_rows->reset();
    if (!m_findings.empty())
        m_list->setCurrentIndex(m_rows->index(0, 0));
    markVisible();
}

void FindingsPanel::markVisible()
{
    if (!m_open || m_findings.empty())
        return;
    // Only the findings on screen and a hundred lines either side (the view
    // may grow): the editor looks at every mark for every line it paints,
    // and lays out every line a mark is placed in.
    // Of a line longer than the screen holds, what is on screen and some
    // screens' worth either side.
    const auto [top, bottom] = m_edit.shownLines();
    const auto [shownFrom, shownTo] = m_edit.shownRange();
    constexpr qsizetype reach = 16384;
    const ScriptDocument &script = m_edit.script();
    const qsizetype first = std::max(script.lineStart(std::max(top - 100, 0)), shownFrom - reach);
    const qsizetype last = std::min(script.lineStart(bottom + 101), shownTo + reach);
    auto it = std::lower_bound(m_findings.begin(), m_findings.end(), first,
                               [](const Finding &f, qsizetype at) { return f.offset + f.length < at; });
    // A line of thousands of findings is underlined only so far.
    constexpr std::size_t mostMarks = 1000;
    std::vector<ScriptEdit::Range> marks;
    for (; it != m_findings.end() && it->offset < last && marks.size() < mostMarks; ++it)
        if (it->kind != FindingKind::Omitted)
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
    if (waiting()) {
        m_pendingMove = direction;
        if (m_check.stale() && !m_check.busy())
            startCheck();
        else if (!m_check.busy())
            for (Source &source : m_sources)
                if (source.source->pending())
                    source.source->start();
        return;
    }
    if (m_findings.empty())
        return;
    const qsizetype caret = m_edit.caret();
    // The count of the findings not kept is no place to go to.
    const auto place = [](const Finding &f) { return f.kind != FindingKind::Omitted; };
    const auto first = std::find_if(m_findings.begin(), m_findings.end(), place);
    const auto last = std::find_if(m_findings.rbegin(), m_findings.rend(), place);
    if (first == m_findings.end())
        return;
    const Finding *target = nullptr;
    bool wrapping = false;
    if (direction == Move::First) {
        target = &*first;
    } else if (direction == Move::Last) {
        target = &*last;
    } else if (direction == Move::Next) {
        const auto it = std::find_if(m_findings.begin(), m_findings.end(),
                                     [&](const Finding &f) { return place(f) && f.offset > caret; });
        wrapping = it == m_findings.end();
        target = wrapping ? &*first : &*it;
    } else {
        const auto it = std::find_if(m_findings.rbegin(), m_findings.rend(),
                                     [&](const Finding &f) { return place(f) && f.offset < caret; });
        wrapping = it == m_findings.rend();
        target = wrapping ? &*last : &*it;
    }
    m_list->setCurrentIndex(m_rows->index(int(target - m_findings.data()), 0));
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

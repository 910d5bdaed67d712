#include "outline/ui/outline_panel.h"

#include "document/io_wording.h"
#include "document/script_file.h"
#include "editor/list_font.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace outline {

// The items of the outline that hold the filter's text, as rows of 行,
// 種類 and 内容. A plain table over the survey's items: a long script has
// thousands of scenes, and the rows are never copied.
class ItemModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(std::shared_ptr<const Survey> survey, const QString &filter)
    {
        beginResetModel();
        m_survey = std::move(survey);
        m_rows.clear();
        if (m_survey)
            for (std::size_t i = 0; i < m_survey->items.size(); ++i)
                if (filter.isEmpty() || m_survey->items[i].text.contains(filter, Qt::CaseInsensitive))
                    m_rows.push_back(int(i));
        endResetModel();
    }

    const Item &item(int row) const { return m_survey->items[std::size_t(m_rows[std::size_t(row)])]; }

    // The last row whose item stands on `line` or above it; -1 for none.
    int rowHolding(int line) const
    {
        const auto after = std::upper_bound(m_rows.begin(), m_rows.end(), line, [this](int at, int i) {
            return at < m_survey->items[std::size_t(i)].line;
        });
        return int(after - m_rows.begin()) - 1;
    }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::TextAlignmentRole && index.column() == 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        const Item &shown = item(index.row());
        switch (index.column()) {
        case 0:
            return QString::number(shown.line + 1);
        case 1:
            return shown.kind == ItemKind::Section ? QStringLiteral(u"区切り")
                   : shown.kind == ItemKind::Scene ? QStringLiteral(u"場面")
                                                   : QStringLiteral(u"見出し");
        default:
            return shown.text;
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral(u"行") : section == 1 ? QStringLiteral(u"種類") : QStringLiteral(u"内容");
    }

private:
    std::shared_ptr<const Survey> m_survey;
    std::vector<int> m_rows;  // indices into the survey's items
};

namespace {

QString number(qint64 n) { return QLocale(QLocale::Japanese).toString(n); }

QString figureText(const Figure &figure)
{
    return QStringLiteral(u"%1字 %2行").arg(number(figure.characters), number(figure.lines));
}

// What the player shows at the caret, in a line that wraps: the
// background, each actor slot, the music, the curtain.
QString stageText(const Stage &stage)
{
    const auto orNone = [](const QString &s) { return s.isEmpty() ? QStringLiteral(u"なし") : s; };
    QStringList parts{QStringLiteral(u"舞台 ― 背景: ") + orNone(stage.background)};
    for (const Actor &actor : stage.actors)
        parts << actor.slot + QStringLiteral(u": ") + actor.picture;
    parts << QStringLiteral(u"音楽: ") + orNone(stage.music);
    parts << (stage.curtainLine < 0 ? QStringLiteral(u"CURTAIN: なし")
                                    : QStringLiteral(u"CURTAIN: 開いている(%1行目から)").arg(stage.curtainLine + 1));
    return parts.join(u"　");
}

// The line and column of a script offset.
Point pointAt(const ScriptDocument &script, qsizetype offset)
{
    const int line = script.lineAt(offset);
    return {line, int(offset - script.lineStart(line))};
}

bool isReturn(const QKeyEvent *key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

} // namespace

OutlinePanel::OutlinePanel(ScriptEdit &edit, QWidget *parent)
    : QWidget(parent)
    , m_edit(edit)
    , m_filter(new QLineEdit(this))
    , m_list(new QTreeView(this))
    , m_model(new ItemModel(this))
    , m_stage(new QLabel(this))
    , m_counts(new QTreeWidget(this))
    , m_csv(new QPushButton(QStringLiteral(u"CSVに書き出し(&W)…"), this))
    , m_run(edit.script())
{
    setObjectName(QStringLiteral("outline"));
    m_filter->setObjectName(QStringLiteral("outlineFilter"));
    m_filter->setPlaceholderText(QStringLiteral(u"絞り込み"));
    m_filter->setClearButtonEnabled(true);
    auto *filterLabel = new QLabel(QStringLiteral(u"構成(&O):"), this);
    filterLabel->setObjectName(QStringLiteral("outlineFilterLabel"));
    filterLabel->setBuddy(m_filter);
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("outlineClose"));
    close->setText(QStringLiteral(u"×"));
    close->setToolTip(QStringLiteral(u"閉じる"));
    close->setAccessibleName(QStringLiteral(u"構成と文字数を閉じる"));
    close->setAutoRaise(true);

    m_list->setObjectName(QStringLiteral("outlineList"));
    m_list->setAccessibleName(QStringLiteral(u"構成"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 56);
    m_list->setColumnWidth(1, 48);
    followScriptFont(m_list, edit);

    m_stage->setObjectName(QStringLiteral("stage"));
    m_stage->setAccessibleName(QStringLiteral(u"舞台"));
    m_stage->setWordWrap(true);
    m_stage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_stage->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_stage->setFocusPolicy(Qt::StrongFocus);  // Tab reaches it, to select and copy
    m_stage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setAccessibleName(QStringLiteral(u"文字数"));
    m_counts->setHeaderLabels({QStringLiteral(u"話者"), QStringLiteral(u"全体"), QStringLiteral(u"場面"),
                               QStringLiteral(u"選択")});
    m_counts->setRootIsDecorated(false);
    m_counts->setUniformRowHeights(true);
    // Figures stand right-aligned under their headings, each column as wide
    // as its widest cell: none stretched to the panel's edge.
    m_counts->header()->setStretchLastSection(false);
    for (int column = 1; column < 4; ++column)
        m_counts->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    followScriptFont(m_counts, edit);
    m_csv->setObjectName(QStringLiteral("countsCsv"));
    m_csv->setToolTip(QStringLiteral(u"全体の話者ごとの行数と文字数を CSV ファイル (UTF-8) に書き出します"));

    // The window is narrow: the stage runs across the panel's foot, under
    // the outline and the counts side by side.
    auto *top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(m_filter, 1);
    top->addSpacing(8);
    top->addWidget(m_csv);
    top->addWidget(close);
    auto *lists = new QHBoxLayout;
    lists->addWidget(m_list, 4);
    lists->addWidget(m_counts, 5);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addLayout(lists);
    layout->addWidget(m_stage);
    // A few rows at least; the author may give it more.
    const int rowHeight = fontMetrics().height();
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_list), static_cast<QAbstractItemView *>(m_counts)})
        view->setMinimumHeight(3 * rowHeight + 12);
    m_stage->setFixedHeight(2 * rowHeight + 4);
    setTabOrder(m_filter, m_list);
    setTabOrder(m_list, m_counts);
    setTabOrder(m_counts, m_stage);
    setTabOrder(m_stage, m_csv);
    setTabOrder(m_csv, close);
    hide();

    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &OutlinePanel::pauseOver);
    m_caret.setSingleShot(true);
    m_caret.setInterval(0);
    connect(&m_caret, &QTimer::timeout, this, &OutlinePanel::followCaret);
    connect(&edit.script(), &ScriptDocument::contentChanged, this, &OutlinePanel::edited);
    // A keystroke moves the caret in a text the survey is behind: nothing
    // to follow until the survey of the new text comes.
    for (auto moved : {&QPlainTextEdit::cursorPositionChanged, &QPlainTextEdit::selectionChanged})
        connect(&edit, moved, this, [this] {
            if (isOpen() && !m_run.stale())
                m_caret.start();
        });
    connect(&m_run, &SurveyRun::finished, this, &OutlinePanel::surveyDone);
    connect(m_filter, &QLineEdit::textChanged, this, &OutlinePanel::filterChanged);
    connect(m_list, &QTreeView::activated, this, &OutlinePanel::activate);
    connect(m_csv, &QPushButton::clicked, this, &OutlinePanel::csvWanted);
    connect(close, &QToolButton::clicked, this, &OutlinePanel::dismiss);
    m_filter->installEventFilter(this);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, [this] {
        m_edit.window()->activateWindow();
        m_edit.setFocus();
    });
    escape->setContext(Qt::WidgetWithChildrenShortcut);
}

OutlinePanel::~OutlinePanel() = default;

void OutlinePanel::showFilter()
{
    if (!isOpen()) {
        show();
        m_run.start();
    } else if (m_run.stale()) {
        m_run.start();  // asked for now: no pause
    }
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

void OutlinePanel::dismiss()
{
    const bool hadFocus = isAncestorOf(QWidget::focusWidget());
    hide();
    m_pause.stop();
    // A CSV still to be written waits for its survey.
    if (m_pendingCsv.isEmpty())
        m_run.stop();
    m_pendingJump.reset();
    m_activateWhenSurveyed = false;
    m_shown.reset();
    m_model->show(nullptr, {});
    if (hadFocus)
        m_edit.setFocus();
}

void OutlinePanel::edited()
{
    if (!isOpen())
        return;
    // Typing goes on: the timer runs out only after a pause, and is not
    // started again at every keystroke.
    m_lastEdit.start();
    if (!m_pause.isActive())
        m_pause.start(pause);
}

void OutlinePanel::pauseOver()
{
    const qint64 quiet = m_lastEdit.elapsed();
    if (quiet < pause)
        m_pause.start(int(pause - quiet));
    else
        m_run.start();
}

void OutlinePanel::surveyDone()
{
    if (!m_pendingCsv.isEmpty()) {
        m_shown = m_run.survey();
        writeCsv(std::exchange(m_pendingCsv, QString()));
    }
    if (!isOpen()) {
        m_shown.reset();
        return;
    }
    m_shown = m_run.survey();
    m_scene = {-1, -1};
    m_model->show(m_shown, m_filter->text());
    followCaret();
    // Typing in the filter: its first match, as filterChanged() chooses.
    if (m_filter->hasFocus() && !m_filter->text().isEmpty() && m_model->rowCount({}) > 0)
        m_list->setCurrentIndex(m_model->index(0, 0));
    if (std::exchange(m_activateWhenSurveyed, false))
        activate(m_list->currentIndex());
    if (const std::optional<PendingJump> pending = std::exchange(m_pendingJump, std::nullopt)) {
        // The item the writer chose, where it stands now: the same kind and
        // text nearest its old line.
        int line = pending->line;
        int distance = -1;
        for (const Item &item : m_shown->items)
            if (item.kind == pending->kind && item.text == pending->text &&
                (distance < 0 || std::abs(item.line - pending->line) < distance)) {
                distance = std::abs(item.line - pending->line);
                line = item.line;
            }
        jumpTo(line);
    }
    emit surveyed();
}

void OutlinePanel::filterChanged()
{
    m_model->show(m_shown, m_filter->text());
    // Typing in the filter picks its first match; an empty filter goes
    // back to the item holding the caret.
    if (m_filter->text().isEmpty())
        followCaret();
    else if (m_model->rowCount({}) > 0)
        m_list->setCurrentIndex(m_model->index(0, 0));
}

void OutlinePanel::followCaret()
{
    if (!isOpen() || !m_shown || m_run.stale())
        return;
    const int line = m_edit.caretLine();
    const int row = m_model->rowHolding(line);
    if (row >= 0) {
        const QModelIndex index = m_model->index(row, 0);
        m_list->setCurrentIndex(index);
        m_list->scrollTo(index);
    } else {
        m_list->setCurrentIndex({});
    }
    m_stage->setText(stageText(stageAt(*m_shown, line)));
    showCounts(line);
}

void OutlinePanel::showCounts(int caretLine)
{
    const std::pair<int, int> scene = sceneAround(*m_shown, caretLine);
    if (scene != m_scene) {
        m_scene = scene;
        m_sceneTally = tally(*m_shown, scene.first, scene.second);
    }
    std::optional<Tally> selection;
    if (const qsizetype selected = m_edit.selectionLength(); selected > 0) {
        const ScriptDocument &script = m_edit.script();
        const qsizetype start = m_edit.selectionStart();
        selection = tally(*m_shown, pointAt(script, start), pointAt(script, start + selected),
                          [&script](int line) { return script.lineText(line); });
    }
    const Tally &whole = m_shown->whole;
    std::vector<QStringList> rows;
    const auto cells = [&](const QString &name, auto text) {
        rows.push_back({name, text(whole), text(m_sceneTally),
                        selection ? text(*selection) : QStringLiteral(u"-")});
    };
    cells(QStringLiteral(u"合計"), [](const Tally &t) { return figureText(t.total()); });
    cells(QStringLiteral(u"原稿用紙"), [](const Tally &t) { return QStringLiteral(u"%1枚").arg(number(t.total().pages())); });
    for (Speaker speaker = 0; speaker < speakerCount; ++speaker)
        if (speaker == narration || whole.speakers[speaker].lines > 0)
            cells(speakerName(speaker), [speaker](const Tally &t) { return figureText(t.speakers[speaker]); });
    // The rows are kept and their texts set, so that the table does not
    // scroll back or lose its current row at every move of the caret.
    while (m_counts->topLevelItemCount() > int(rows.size()))
        delete m_counts->takeTopLevelItem(m_counts->topLevelItemCount() - 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        QTreeWidgetItem *item = m_counts->topLevelItem(int(r));
        if (!item)
            item = new QTreeWidgetItem(m_counts);
        for (int column = 0; column < 4; ++column) {
            item->setText(column, rows[r][column]);
            if (column > 0)
                item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    for (int column = 0; column < 4; ++column)
        m_counts->resizeColumnToContents(column);
}

void OutlinePanel::activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const Item &item = m_model->item(index.row());
    if (m_run.stale()) {
        // The line shown may have moved: go once the survey of the text as
        // it is now tells where the item stands.
        m_pendingJump = PendingJump{item.kind, item.text, item.line};
        m_run.start();
        return;
    }
    jumpTo(item.line);
}

void OutlinePanel::jumpTo(int line)
{
    m_edit.showLine(line);
    m_edit.window()->activateWindow();
    m_edit.setFocus();
}

void OutlinePanel::saveCsv(const QString &path)
{
    if (path.isEmpty())
        return;
    if (!m_shown || m_run.stale()) {
        m_pendingCsv = path;
        m_run.start();
        return;
    }
    writeCsv(path);
}

void OutlinePanel::writeCsv(const QString &path)
{
    if (const IoResult error = scriptfile::save(path, csv(m_shown->whole)))
        emit csvFailed(QStringLiteral(u"「%1」に書き出せませんでした。\n%2").arg(path, wording(*error)));
}

bool OutlinePanel::eventFilter(QObject *watched, QEvent *event)
{
    // The filter keeps the focus while the arrows move through the list
    // and Return goes to the item chosen, as in a palette.
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(m_list, key);
            return true;
        default:
            if (isReturn(key) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                QModelIndex current = m_list->currentIndex();
                if (!current.isValid() && m_model->rowCount({}) > 0)
                    current = m_model->index(0, 0);
                if (m_shown)
                    activate(current);
                else
                    m_activateWhenSurveyed = true;  // nothing to choose from yet
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace outline

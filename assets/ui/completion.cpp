#include "assets/ui/completion.h"

#include "assets/ui/asset_list.h"
#include "editor/colouring.h"
#include "editor/list_font.h"
#include "editor/script_edit.h"
#include "pickers/picker_host.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <array>

namespace assets {
namespace {

// How many lines a tag around the caret is looked for on, its own
// included.
constexpr int tagLines = 16;
// Rows the list shows at once.
constexpr int shownRows = 10;

bool offers(dnml::AssetTag tag, const Asset &asset)
{
    switch (tag) {
    case dnml::AssetTag::Bgm: return asset.kind == Kind::Music;
    case dnml::AssetTag::Sound: return asset.kind == Kind::Sound;
    case dnml::AssetTag::Background:
        return (asset.kind == Kind::Place && !asset.isBlackScreen()) || asset.kind == Kind::Event;
    case dnml::AssetTag::Act: return asset.kind == Kind::Sprite;
    }
    return false;
}

// The rows each element's SRC may name, per install type.
const std::vector<const Asset *> &offeredFor(markup::InstallType type, dnml::AssetTag tag)
{
    using Table = std::array<std::array<std::vector<const Asset *>, 4>, 2>;
    static const Table table = [] {
        Table rows;
        for (std::size_t t = 0; t < 2; ++t)
            for (const Asset &asset : index(t == 0 ? markup::InstallType::Adult : markup::InstallType::AllAges))
                for (std::size_t tag = 0; tag < 4; ++tag)
                    if (offers(dnml::AssetTag(tag), asset))
                        rows[t][tag].push_back(&asset);
        return rows;
    }();
    return table[type == markup::InstallType::Adult ? 0 : 1][std::size_t(tag)];
}

} // namespace

Completion::Completion(ScriptEdit &edit, Colouring &states, PickerHost &host, RecentUse &recent, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_states(states)
    , m_host(host)
    , m_recent(recent)
    , m_rows(new AssetList(this))
{
    setObjectName(QStringLiteral("completion"));
    m_afterTyping.setSingleShot(true);
    m_afterTyping.setInterval(0);
    connect(&m_afterTyping, &QTimer::timeout, this, &Completion::update);
    connect(&edit, &QPlainTextEdit::cursorPositionChanged, this, &Completion::caretMoved);
    // Whatever changed the text, the list is drawn again for the value as
    // it is now: a list left from before would write another row than the
    // one the value names. An edit while the author works elsewhere in the
    // window (a replacement from the search bar) calls for no list.
    connect(&edit.script(), &ScriptDocument::edited, this, [this] {
        if (isShown() || m_edit.window()->focusWidget() == &m_edit)
            m_afterTyping.start();
    });
    for (QScrollBar *bar : {edit.verticalScrollBar(), edit.horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, &Completion::hide);
    edit.installEventFilter(this);
}

void Completion::makePopup()
{
    // Made when first shown, so that the window starts no later for it.
    m_popup = new QFrame(&m_edit, Qt::ToolTip | Qt::FramelessWindowHint);
    m_list = m_rows->makeView(m_popup);
    m_popup->setObjectName(QStringLiteral("completionPopup"));
    m_popup->setAttribute(Qt::WA_ShowWithoutActivating);
    m_popup->setFocusPolicy(Qt::NoFocus);
    m_popup->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_list->setObjectName(QStringLiteral("completionList"));
    m_list->setAccessibleName(QStringLiteral(u"素材の候補"));
    followScriptFont(m_list, m_edit);
    m_list->header()->hide();
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As low as one row: the list is sized to the rows it shows.
    m_list->setMinimumSize(1, 1);
    m_list->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_list);
    connect(m_list, &QAbstractItemView::clicked, this, [this](const QModelIndex &row) {
        m_list->setCurrentIndex(row);
        accept();
    });
}

Completion::~Completion()
{
    delete m_popup;
}

bool Completion::isShown() const
{
    return m_popup && m_popup->isVisible();
}

std::optional<Completion::Value> Completion::valueAtCaret() const
{
    if (m_edit.selectionLength() > 0)
        return std::nullopt;
    const ScriptDocument &script = m_edit.script();
    const int line = m_edit.caretLine();
    const qsizetype column = m_edit.caretColumn();
    // The caret's line, as far as a value's closing quote may lie after the
    // caret; of a line longer than `reach`, the part before the caret from
    // the first "<" within reach, where a tag is taken to begin.
    constexpr qsizetype reach = 16384;
    constexpr qsizetype after = 4096;
    qsizetype base = std::max<qsizetype>(column - reach, 0);
    QString text = script.lineText(line, base, column - base + after);
    if (base > 0) {
        const qsizetype tag = text.indexOf(u'<');
        if (tag < 0 || base + tag >= column)
            return std::nullopt;
        text.remove(0, tag);
        base += tag;
    }
    const qsizetype caret = column - base;
    // A value starts after a quote on the caret's own line.
    if (caret == 0 || text.lastIndexOf(u'"', caret - 1) < 0)
        return std::nullopt;
    // The lines back to where the tag around the caret began.
    QString lines[tagLines];
    lines[tagLines - 1] = text;
    int first = tagLines - 1;
    const auto stateOf = [this](int line) { return dnml::State(m_states.lineState(line)); };
    dnml::State start = base == 0 ? stateOf(line) : dnml::State::Text;
    for (int before = line; base == 0 && (start == dnml::State::Tag || start == dnml::State::TagStart) && first > 0 &&
                            before > 0;) {
        --before;
        lines[--first] = script.lineText(before);
        start = stateOf(before);
    }
    QStringView views[tagLines];
    for (int i = first; i < tagLines; ++i)
        views[i] = lines[i];
    const auto source = dnml::sourceValueAt(std::span<const QStringView>(views + first, views + tagLines), start, caret);
    if (!source)
        return std::nullopt;
    return Value{*source, line, base, std::move(text), caret};
}

void Completion::update()
{
    if (m_composing)
        return;
    const std::optional<Value> value = valueAtCaret();
    if (!value) {
        hide();
        return;
    }
    if (value->line == m_dismissedLine && value->start() == m_dismissedStart)
        return;
    m_dismissedLine = -1;
    const auto type = m_host.installType().value_or(markup::InstallType::Adult);
    const std::vector<const Asset *> &offered = offeredFor(type, value->source.tag);
    const QStringView typed = QStringView(value->text).sliced(value->source.start, value->caret - value->source.start);
    std::vector<const Asset *> rows = typed.isEmpty() ? m_recent.order(offered) : matching(offered, typed);
    if (rows.empty()) {
        hide();
        return;
    }
    m_shownLine = value->line;
    m_shownStart = value->start();
    m_shownTyped = typed.toString();
    show(value->source.tag, std::move(rows));
}

void Completion::show(dnml::AssetTag tag, std::vector<const Asset *> rows)
{
    if (!m_popup)
        makePopup();
    // Music and sound effects are one kind each and have no file to show;
    // a background is a place or a picture, a sprite someone's.
    const bool pictures = tag == dnml::AssetTag::Background || tag == dnml::AssetTag::Act;
    m_list->setColumnHidden(AssetList::KindColumn, !pictures);
    m_list->setColumnHidden(AssetList::FileColumn, !pictures);
    // Wide enough for the longest name. Measuring hundreds of Japanese
    // names would take tens of milliseconds: each character is reckoned
    // as wide or narrow instead.
    const QFontMetrics metrics = m_list->fontMetrics();
    const int wide = metrics.horizontalAdvance(QChar(u'あ'));
    const int narrow = metrics.averageCharWidth();
    int width = 0;
    for (const Asset *asset : rows) {
        int name = 0;
        for (QChar c : asset->name())
            name += c.unicode() >= 0x1100 && (c.unicode() < 0xFF61 || c.unicode() > 0xFFDC) ? wide : narrow;
        width = std::max(width, name);
    }
    width += 24;
    if (pictures)
        width += m_list->header()->sectionSize(AssetList::KindColumn) + m_list->header()->sectionSize(AssetList::FileColumn);
    const std::size_t count = rows.size();
    if (count > shownRows)
        width += m_list->verticalScrollBar()->sizeHint().width();
    m_rows->setRows(std::move(rows));
    AssetList::setCurrentRow(m_list, 0);
    const int rowHeight = std::max(m_list->sizeHintForRow(0), metrics.height());
    const QSize size(std::min(width + 4, m_edit.viewport()->width()),
                     rowHeight * int(std::min<std::size_t>(count, shownRows)) + 4);
    // Under the caret's line, or above it when the screen ends first.
    const QRect caret = m_edit.cursorRect();
    QPoint at = m_edit.viewport()->mapToGlobal(caret.bottomLeft() + QPoint(0, 2));
    const QRect screen = m_edit.screen()->availableGeometry();
    if (at.y() + size.height() > screen.bottom())
        at = m_edit.viewport()->mapToGlobal(caret.topLeft()) - QPoint(0, size.height() + 2);
    at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
    m_popup->setGeometry(QRect(at, size));
    m_popup->show();
    m_popup->raise();
}

void Completion::hide()
{
    if (m_popup)
        m_popup->hide();
}

void Completion::caretMoved()
{
    if (!isShown() && m_dismissedLine < 0)
        return;
    const std::optional<Value> value = valueAtCaret();
    const auto at = [&value](int line, qsizetype start) {
        return value && value->line == line && value->start() == start;
    };
    if (!at(m_dismissedLine, m_dismissedStart))
        m_dismissedLine = -1;
    // Into another value, or out of any: the list was for the one it left.
    if (!at(m_shownLine, m_shownStart))
        hide();
}

bool Completion::accept()
{
    if (!isShown())
        return false;
    const std::optional<Value> value = valueAtCaret();
    const bool current = value && value->line == m_shownLine && value->start() == m_shownStart &&
                         QStringView(value->text).sliced(value->source.start, value->caret - value->source.start) ==
                             m_shownTyped;
    if (!current) {
        m_afterTyping.stop();
        update();
        return false;
    }
    const Asset *asset = m_rows->at(m_list->currentIndex());
    if (!asset)
        return false;
    hide();
    const qsizetype start = m_edit.script().lineStart(value->line) + value->start();
    m_edit.select(start, value->source.end - value->source.start);
    m_edit.insert(value->source.closed ? asset->reference() : asset->reference().toString() + u'"');
    if (value->source.closed)
        m_edit.setCaret(m_edit.caret() + 1);
    m_recent.use(*asset);
    return true;
}

void Completion::dismiss()
{
    if (const std::optional<Value> value = valueAtCaret()) {
        m_dismissedLine = value->line;
        m_dismissedStart = value->start();
    }
    hide();
}

bool Completion::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_edit)
        return false;
    switch (event->type()) {
    case QEvent::InputMethod: {
        // A conversion under way hides the list; what it commits is typed
        // text like any other, an edit that calls for the list.
        m_composing = !static_cast<QInputMethodEvent *>(event)->preeditString().isEmpty();
        if (m_composing)
            hide();
        break;
    }
    case QEvent::KeyPress: {
        if (m_composing)
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (isShown() && plain) {
            if (AssetList::moveIn(m_list, key))
                return true;
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Tab:
                if (key->modifiers() & Qt::ShiftModifier)
                    break;
                if (accept())
                    return true;
                // A list drawn again for the value as it is now takes the
                // key, so that the author sees its rows before one is
                // written; with no rows for it, the key does what it does
                // without a list.
                return isShown();
            case Qt::Key_Escape:
                dismiss();
                return true;
            default:
                break;
            }
        }
        break;
    }
    case QEvent::FocusOut:
        hide();
        break;
    default:
        break;
    }
    return false;
}

} // namespace assets

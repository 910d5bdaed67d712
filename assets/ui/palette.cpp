#include "assets/ui/palette.h"

#include "assets/ui/asset_list.h"
#include "editor/list_font.h"
#include "pickers/picker.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace assets {

const PickerForm &pickerOf(const Asset &asset)
{
    switch (asset.kind) {
    case Kind::Music: return musicPicker();
    case Kind::Sound: return soundPicker();
    case Kind::Place: return placesPicker();
    case Kind::Sprite: return spritePicker(*asset.member);
    case Kind::Event: return eventPicker(*asset.pictures);
    }
    Q_UNREACHABLE();
}

Palette::Palette(PickerHost &host, QWidget &anchor, RecentUse &recent, QWidget *parent)
    : QFrame(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_host(host)
    , m_anchor(anchor)
    , m_field(new QLineEdit(this))
    , m_rows(new AssetList(this))
    , m_list(m_rows->makeView(this))
    , m_count(new QLabel(this))
    , m_recent(recent)
{
    setObjectName(QStringLiteral("palette"));
    setWindowTitle(QStringLiteral(u"素材パレット"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    m_field->setObjectName(QStringLiteral("paletteField"));
    m_field->setPlaceholderText(QStringLiteral(u"名前かファイル名の一部(全角・半角、大文字・小文字、ひらがな・カタカナは問いません)"));
    m_field->setAccessibleName(QStringLiteral(u"素材の名前"));
    m_list->setObjectName(QStringLiteral("paletteList"));
    m_list->setAccessibleName(QStringLiteral(u"素材の一覧"));
    followScriptFont(m_list, anchor);
    m_count->setObjectName(QStringLiteral("paletteCount"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(m_field);
    layout->addWidget(m_list);
    layout->addWidget(m_count);

    connect(m_field, &QLineEdit::textChanged, this, &Palette::filter);
    m_field->installEventFilter(this);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &Palette::choose);
}

void Palette::open()
{
    const auto type = m_host.installType().value_or(markup::InstallType::Adult);
    m_all.clear();
    for (const Asset &asset : index(type))
        m_all.push_back(&asset);
    m_composing = false;
    m_field->clear();
    filter();
    // Over the top of Text1, across most of its width.
    const QRect area(m_anchor.mapToGlobal(QPoint(0, 0)), m_anchor.size());
    const int width = std::clamp(area.width() - 40, 360, 720);
    resize(width, std::clamp(area.height() - 16, 200, 420));
    move(area.x() + (area.width() - width) / 2, area.y() + 8);
    show();
    raise();
    activateWindow();
    m_field->setFocus();
}

void Palette::filter()
{
    const QString query = m_field->text();
    m_rows->setRows(query.isEmpty() ? m_recent.order(m_all) : matching(m_all, query));
    AssetList::setCurrentRow(m_list, 0);
    m_count->setText(QStringLiteral(u"%1 件(全 %2 件)").arg(m_rows->rows().size()).arg(m_all.size()));
}

void Palette::choose()
{
    const Asset *asset = m_rows->at(m_list->currentIndex());
    if (!asset)
        return;
    writeRow(pickerOf(*asset), asset->catalogue, asset->row, m_host);
    m_recent.use(*asset);
    hide();
    m_host.focusText();
}

void Palette::leave()
{
    hide();
    m_host.focusText();
}

bool Palette::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_field)
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::InputMethod) {
        // Text being converted is the input method's: the keys that move,
        // choose and leave wait until it is committed or cancelled.
        m_composing = !static_cast<QInputMethodEvent *>(event)->preeditString().isEmpty();
    } else if (event->type() == QEvent::KeyPress && !m_composing) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (AssetList::moveIn(m_list, key))
            return true;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose();
            return true;
        case Qt::Key_Escape:
            leave();
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

bool Palette::event(QEvent *event)
{
    // Like a menu, the palette goes when another window is chosen.
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        hide();
    return QFrame::event(event);
}

} // namespace assets

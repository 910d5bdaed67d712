#include "editor/list_font.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QTreeView>

namespace {

class ScriptFontFollower final : public QObject
{
public:
    ScriptFontFollower(QAbstractItemView *list, QWidget &text1)
        : QObject(list)
        , m_list(list)
        , m_text1(&text1)
    {
        text1.installEventFilter(this);
        follow();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_text1 && event->type() == QEvent::FontChange)
            follow();
        return QObject::eventFilter(watched, event);
    }

private:
    void follow()
    {
        const QFont before = m_list->font();
        QFont font = before;
        font.setFamilies(m_text1->font().families());
        font.setPointSizeF(m_text1->font().pointSizeF());
        if (font == before)
            return;
        const qreal scale = QFontMetricsF(font).height() / QFontMetricsF(before).height();
        m_list->setFont(font);
        auto *tree = qobject_cast<QTreeView *>(m_list);
        if (!tree)
            return;
        QHeaderView *header = tree->header();
        const int stretched = header->stretchLastSection() ? header->logicalIndex(header->count() - 1) : -1;
        for (int column = 0; column < header->count(); ++column)
            if (column != stretched && !header->isSectionHidden(column) &&
                header->sectionResizeMode(column) == QHeaderView::Interactive)
                header->resizeSection(column, qRound(header->sectionSize(column) * scale));
    }

    QAbstractItemView *m_list;
    QWidget *m_text1;  // only compared: the filter goes with it
};

} // namespace

void followScriptFont(QAbstractItemView *list, QWidget &text1)
{
    new ScriptFontFollower(list, text1);
}

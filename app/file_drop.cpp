#include "app/file_drop.h"

#include "app/drop_kind.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

void FileDrop::watch(QWidget *target)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *dropEvent = static_cast<QDropEvent *>(event);
    const drop::Kind kind = drop::classify(*dropEvent->mimeData());
    switch (kind.action) {
    case drop::Kind::Text:
        return QObject::eventFilter(watched, event);
    case drop::Kind::Refuse:
        dropEvent->ignore();
        return true;
    case drop::Kind::OpenFile:
        // Copy is the one action that leaves the source's file alone.
        dropEvent->setDropAction(Qt::CopyAction);
        dropEvent->accept();
        if (type == QEvent::Drop)
            QMetaObject::invokeMethod(this, [this, path = kind.path] { emit fileDropped(path); }, Qt::QueuedConnection);
        return true;
    }
    return false;
}

#include "app/access_keys.h"

#include <QKeyEvent>
#include <QWidget>

bool StrayAccessKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    // Alt with Control is AltGr on some keyboards, which does type.
    if (!(modifiers & Qt::AltModifier) || (modifiers & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const auto *widget = qobject_cast<QWidget *>(watched);
    // Text fields are the widgets that take input methods.
    return widget && widget->testAttribute(Qt::WA_InputMethodEnabled) && !key->text().isEmpty() &&
           key->text().front().isPrint();
}

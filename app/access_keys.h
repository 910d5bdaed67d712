// Alt and a letter is an access key, never typing. On Linux such a key
// still carries its letter, and one that no shown control takes (the
// control is hidden, or there is none) would reach the focused text field
// and type it there: this filter, installed on the application, drops it.
#pragma once

#include <QObject>

class StrayAccessKeys : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

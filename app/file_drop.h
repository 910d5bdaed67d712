// Opening a script by dropping it on the main window or on Text1. A file
// dropped is announced, not opened here, once the drop has finished, so
// that the program it came from is not kept waiting by the questions.
#pragma once

#include <QObject>

class QWidget;

class FileDrop : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Lets `target` take drops and watches them. A file dropped on it is
    // announced; text dropped on it goes on to the target as before.
    void watch(QWidget *target);

signals:
    void fileDropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

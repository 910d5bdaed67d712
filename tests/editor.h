// The main window for widget tests: its dialogs answered from a script
// the test writes, with a record of what was asked.
#pragma once

#include "app/main_window.h"
#include "editor/script_edit.h"
#include "pickers/picker.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

#include <QStringList>
#include <deque>
#include <memory>
#include <string>

// The document every script starts from, as Text1 holds it.
inline const QString startingScript =
    QString::fromUtf16(markup::startingDocument.data(), qsizetype(markup::startingDocument.size()));

// The description of the picker window Form<number>.
inline const PickerForm &pickerNumbered(int number)
{
    return *pickerNamed("Form" + std::to_string(number));
}

// The offscreen platform warns of what only a real window system does
// (raising, grabbing the keyboard, size hints); those lines would bury the
// tests' own output. Call from initTestCase(), after Qt Test has put its
// own message handler in place.
inline void quietOffscreenWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
            return;
        previous(type, context, message);
    });
}

// Types key by key into a widget, Japanese included.
inline void typeInto(QWidget *target, const QString &keys)
{
    for (QChar c : keys) {
        QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// One editor window with a scripted person at the keyboard.
struct Editor {
    std::shared_ptr<DialogScript> dialogs = std::make_shared<DialogScript>();
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(std::make_unique<ScriptedDialogs>(dialogs));

    ScriptEdit *text() const { return window->findChild<ScriptEdit *>(QStringLiteral("Text1")); }
    QPushButton *button(const char *name) const { return window->findChild<QPushButton *>(QLatin1String(name)); }
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }

    void type(const QString &keys) const { typeInto(text(), keys); }
    bool closed() const { return !window->isVisible(); }
    // The open picker Form<number>, or null.
    Picker *picker(int number) const { return window->picker(pickerNumbered(number)); }
};

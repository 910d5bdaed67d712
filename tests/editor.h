// The main window for widget tests: its dialogs answered from a script
// the test writes, with a record of what was asked.
#pragma once

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/script_edit.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

#include <QStringList>
#include <deque>
#include <memory>

struct DialogScript {
    std::deque<QString> openPaths;  // "" cancels
    std::deque<QString> savePaths;  // "" cancels
    std::deque<bool> answers;       // Yes is true
    int opensAsked = 0;
    int savesAsked = 0;
    QStringList questions;  // "title|message"
    QStringList warnings;   // "title|message"
    QStringList chosenElsewhere;  // files opened without a file dialog
};

class ScriptedDialogs final : public Dialogs
{
public:
    explicit ScriptedDialogs(std::shared_ptr<DialogScript> script) : m_script(std::move(script)) {}

    QString openPath(QWidget *) override
    {
        ++m_script->opensAsked;
        return take(m_script->openPaths, QString());
    }
    QString savePath(QWidget *) override
    {
        ++m_script->savesAsked;
        return take(m_script->savePaths, QString());
    }
    bool yesNo(QWidget *, const QString &title, const QString &message) override
    {
        m_script->questions << title + u'|' + message;
        return take(m_script->answers, true);
    }
    void warn(QWidget *, const QString &title, const QString &message) override
    {
        m_script->warnings << title + u'|' + message;
    }
    void chosenElsewhere(const QString &path) override { m_script->chosenElsewhere << path; }

private:
    // An unscripted file dialog is cancelled; an unscripted question gets
    // its default answer, Yes.
    template <typename T>
    static T take(std::deque<T> &queue, T otherwise)
    {
        if (queue.empty())
            return otherwise;
        T value = queue.front();
        queue.pop_front();
        return value;
    }

    std::shared_ptr<DialogScript> m_script;
};

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
};

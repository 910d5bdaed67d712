// The window's dialogs answered from a script that a test (or a benchmark)
// writes, with a record of what was asked. The one stand-in for Qt's file
// dialogs and message boxes outside the end-to-end tests.
#pragma once

#include "app/dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

struct DialogScript {
    // The files the open and save dialogs choose, in turn ("" cancels);
    // once a queue is used up, every dialog of its kind chooses the file
    // after it ("" cancels).
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    QString openPath;
    QString savePath;
    QString csvPath;  // the CSV dialog's choice ("" cancels)
    std::deque<bool> answers;  // Yes is true; an unscripted question gets Yes, its default
    std::deque<int> choices;   // the button chosen; an unscripted choice gets the default
    // Runs once the open dialog has chosen, before the window reads the file.
    std::function<void()> beforeOpen;
    // Hears every warning as it is shown.
    std::function<void(const QString &message)> onWarning;

    int opensAsked = 0;
    int savesAsked = 0;
    int csvsAsked = 0;
    QStringList questions;        // "title|message"
    QStringList warnings;         // "title|message"
    QStringList chosenElsewhere;  // files opened without a file dialog
};

class ScriptedDialogs final : public Dialogs
{
public:
    explicit ScriptedDialogs(std::shared_ptr<DialogScript> script) : m_script(std::move(script)) {}

    QString openPath(QWidget *) override
    {
        ++m_script->opensAsked;
        const QString path = take(m_script->openPaths, m_script->openPath);
        if (m_script->beforeOpen)
            m_script->beforeOpen();
        return path;
    }
    QString savePath(QWidget *, const QString &) override
    {
        ++m_script->savesAsked;
        return take(m_script->savePaths, m_script->savePath);
    }
    QString csvPath(QWidget *) override
    {
        ++m_script->csvsAsked;
        return m_script->csvPath;
    }
    bool yesNo(QWidget *, const QString &title, const QString &message) override
    {
        m_script->questions << title + u'|' + message;
        return take(m_script->answers, true);
    }
    int choose(QWidget *, const QString &title, const QString &message, const QStringList &buttons,
               int otherwise) override
    {
        m_script->questions << title + u'|' + message + u'|' + buttons.join(u'/');
        return take(m_script->choices, otherwise);
    }
    void warn(QWidget *, const QString &title, const QString &message) override
    {
        m_script->warnings << title + u'|' + message;
        if (m_script->onWarning)
            m_script->onWarning(message);
    }
    void chosenElsewhere(const QString &path) override { m_script->chosenElsewhere << path; }

private:
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

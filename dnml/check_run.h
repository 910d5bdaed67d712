// The check of the script as it is now, off the interface thread: each run
// reads the document's text once and checks that copy on a worker; the
// findings come back by finished() on the interface thread, and only if
// the text has not changed meanwhile (else the caller asks again). A run
// asked for while one is under way cancels it and follows.
#pragma once

#include "dnml/check.h"
#include "document/background_run.h"

#include <QObject>

#include <vector>

class ScriptDocument;

namespace dnml {

class CheckRun : public QObject
{
    Q_OBJECT

public:
    // `document` must outlive the run.
    explicit CheckRun(const ScriptDocument &document, QObject *parent = nullptr);

    // Checks the text as it is now.
    void start();
    // True while a check is under way.
    bool busy() const { return m_run.busy(); }
    // True when the text changed since the last findings were delivered.
    bool stale() const { return m_run.stale(); }

signals:
    // The findings of the text as it is at this moment; offsets are script
    // offsets.
    void finished(const std::vector<dnml::Finding> &findings);

private:
    const ScriptDocument &m_document;
    BackgroundRun m_run;
};

} // namespace dnml

// The survey of the script as it is now, off the interface thread. A run
// copies the text a slice at a time from the event loop, so that no
// keystroke waits long behind it; the worker surveys the lines copied so
// far while the rest is read, and the survey comes back by finished() only
// if the text has not changed meanwhile: a survey of a text that is gone is
// dropped, never shown. A run asked for while one is under way cancels it.
#pragma once

#include "document/background_run.h"
#include "document/text_reader.h"
#include "outline/survey.h"

#include <QObject>
#include <QTimer>

#include <memory>

class ScriptDocument;

namespace outline {

class SurveyRun : public QObject
{
    Q_OBJECT

public:
    // `document` must outlive the run.
    explicit SurveyRun(const ScriptDocument &document, QObject *parent = nullptr);

    // Surveys the text as it is now.
    void start();
    // Gives up a copy under way; a survey already on the worker is still
    // delivered if it is of the text as it is then.
    void stop();
    // True when the text changed since the last survey delivered.
    bool stale() const { return m_run.stale(); }
    // The last survey delivered; null before the first.
    const std::shared_ptr<const Survey> &survey() const { return m_survey; }

    // The longest a slice of the copy may hold up the event loop, in ms.
    static constexpr int slice = 4;

signals:
    // survey() is of the text as it is at this moment.
    void finished();

private:
    void readSome();
    // The worker surveys the copy from its start.
    void restart();

    const ScriptDocument &m_document;
    TextReader m_reader;
    QTimer m_slices;
    std::shared_ptr<const Survey> m_survey;
    quint64 m_reading = 0;  // the revision the copy under way is of
    qsizetype m_fed = 0;    // how much of the copy the worker has had
    std::unique_ptr<SurveyBuilder> m_builder;  // the worker's alone
    BackgroundRun m_run;  // last: its worker stopped before anything its jobs use
};

} // namespace outline

// The survey of the script as it is now, off the interface thread. A run
// copies the text a slice at a time from the event loop, so that no
// keystroke waits long behind it, surveys the copy on a worker and hands
// the survey back by finished() only if the text has not changed
// meanwhile: a survey of a text that is gone is dropped, never shown. A run
// asked for while one is under way follows it.
#pragma once

#include "document/text_reader.h"
#include "document/worker.h"
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
    bool stale() const;
    // The last survey delivered; null before the first.
    const std::shared_ptr<const Survey> &survey() const { return m_survey; }

    // The longest a slice of the copy may hold up the event loop, in ms.
    static constexpr int slice = 4;

signals:
    // survey() is of the text as it is at this moment.
    void finished();

private:
    void readSome();
    void done(quint64 revision, std::shared_ptr<const Survey> survey);

    const ScriptDocument &m_document;
    TextReader m_reader;
    QTimer m_slices;
    std::shared_ptr<const Survey> m_survey;
    quint64 m_surveyed = ~quint64(0);  // the revision m_survey is of
    bool m_surveying = false;          // a copy is on the worker
    bool m_again = false;
    Worker m_worker;  // last: stopped before anything its jobs reply to
};

} // namespace outline

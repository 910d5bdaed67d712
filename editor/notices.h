// The notices of the status bar, one at a time, each up long enough to be
// read: at least `least` milliseconds, and for its own time when nothing
// waits behind it. A notice that comes while another is up waits its turn;
// the same text again is not said twice but kept up longer, and a notice
// on the same topic as one up or waiting (the wrap of F8 one way, then the
// other) takes its place, since the earlier one is no longer true. Times
// are milliseconds on any clock that only goes forward. Qt Core only.
#pragma once

#include <QString>

#include <deque>

class Notices
{
public:
    static constexpr qint64 least = 4000;

    struct Notice {
        QString text;
        qint64 duration;  // how long it is up when nothing waits behind it
        QString topic;    // empty: a topic of its own
    };

    // A notice comes at `now`.
    void post(const QString &text, qint64 duration, qint64 now, const QString &topic = {});
    // Brings the notices to `now`: the one up ends when its time is over,
    // and the next comes up. True when the notice up changed.
    bool advance(qint64 now);
    // The notice up; empty when none is.
    QString shown() const { return m_up ? m_shown.text : QString(); }
    // When advance() next has something to do; -1 when nothing is up.
    qint64 due() const;

private:
    void bringUp(Notice notice, qint64 now);

    bool m_up = false;
    Notice m_shown;
    qint64 m_since = 0;
    std::deque<Notice> m_waiting;
};

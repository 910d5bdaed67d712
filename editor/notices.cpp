#include "editor/notices.h"

#include <algorithm>

void Notices::post(const QString &text, qint64 duration, qint64 now, const QString &topic)
{
    advance(now);
    Notice notice{text, std::max(duration, least), topic};
    const auto same = [&notice](const Notice &other) {
        return other.text == notice.text || (!notice.topic.isEmpty() && other.topic == notice.topic);
    };
    // Said again, or said anew on its topic, while up: up again from now,
    // unless others wait.
    if (!m_up || (same(m_shown) && (m_waiting.empty() || m_shown.text != text))) {
        bringUp(std::move(notice), now);
        return;
    }
    if (const auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(), same); waiting != m_waiting.end())
        *waiting = std::move(notice);
    else
        m_waiting.push_back(std::move(notice));
}

qint64 Notices::due() const
{
    if (!m_up)
        return -1;
    return m_since + (m_waiting.empty() ? m_shown.duration : least);
}

bool Notices::advance(qint64 now)
{
    if (!m_up || now < due())
        return false;
    if (m_waiting.empty()) {
        m_up = false;
        m_shown = {};
        return true;
    }
    // The next is up from now, not from when the last one's time ran out:
    // a window busy meanwhile must not let it pass unseen.
    Notice next = std::move(m_waiting.front());
    m_waiting.pop_front();
    bringUp(std::move(next), now);
    return true;
}

void Notices::bringUp(Notice notice, qint64 now)
{
    m_shown = std::move(notice);
    m_since = now;
    m_up = true;
}

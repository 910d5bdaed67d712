// How long something takes that ends in a signal, and the longest turn of
// the event loop meanwhile: the longest the window could not answer a key.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace bench {

struct Turns {
    double elapsed;      // ms
    double longestTurn;  // ms
};

// Calls `start(loop)`, which sets the work going and connects its end to
// `loop`'s quit(), and runs the loop until then. A timer notes each turn:
// every `interval` ms (0: at every turn, which keeps a core busy).
template <typename Start>
Turns timedTurns(Start start, int interval = 0)
{
    const auto milliseconds = [](const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; };
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(interval);
    QElapsedTimer timer, turn;
    double longest = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, milliseconds(turn));
        turn.start();
    });
    timer.start();
    turn.start();
    ticker.start();
    start(loop);
    loop.exec();
    return {milliseconds(timer), std::max(longest, milliseconds(turn))};
}

} // namespace bench

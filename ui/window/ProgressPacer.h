#pragma once

#include <chrono>
#include <functional>

// Paces the window's progress repaints by wall time: a long run reports progress far more often
// than a person can see, and every shown report costs a synchronous repaint and a round of
// pending events. The first report of a run and its end (0) are shown at once; between them at
// most one report per interval, so Cancel is noticed within about one interval.
class TProgressPacer {
  public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;

    // The interval the window uses: a smooth bar and a prompt Cancel at a small cost.
    static constexpr std::chrono::milliseconds kWindowInterval{100};

    // Paces reports `interval` apart on the steady clock.
    explicit TProgressPacer(std::chrono::milliseconds interval = kWindowInterval);

    // Reads the time from `clock` from now on (tests drive it without sleeping).
    void setClock(TClock clock) { m_clock = std::move(clock); }

    // Whether the report of `fraction` (0..1, 0 at the end of a run) should be shown now. A
    // report shown starts a new interval; the end also ends the run, so that the next report
    // is again the first of one.
    bool due(double fraction);

  private:
    TClock m_clock;
    std::chrono::milliseconds m_interval;
    bool m_running = false;
    std::chrono::steady_clock::time_point m_lastShown;
};

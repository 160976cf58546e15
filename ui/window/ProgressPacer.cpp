#include "ui/window/ProgressPacer.h"

TProgressPacer::TProgressPacer(std::chrono::milliseconds interval)
    : m_clock([] { return std::chrono::steady_clock::now(); }), m_interval(interval) {}

bool TProgressPacer::due(double fraction) {
    // The end is never held back: an emptied bar must not wait for a report that never comes.
    if (fraction <= 0) {
        m_running = false;
        return true;
    }
    const std::chrono::steady_clock::time_point now = m_clock();
    if (m_running && now - m_lastShown < m_interval) return false;
    m_running = true;
    m_lastShown = now;
    return true;
}

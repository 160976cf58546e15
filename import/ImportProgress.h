#pragma once

#include "core/uTavObj.h"

// Passes the fraction of an import's work done to a progress hook (0..1, and 0 when done) only
// when it has grown by a step since the last report, so that the parsers may report after every
// line at no cost to the interface.
class TImportProgress {
  public:
    explicit TImportProgress(const ProgressHook& hook) : m_hook(hook) {}

    // The fraction done so far, 0..1.
    void report(double fraction) {
        if (!m_hook || fraction < m_reported + kStep) return;
        m_reported = fraction;
        m_hook(fraction);
    }
    // The work is over, however it ended.
    void done() {
        if (m_hook) m_hook(0);
    }

  private:
    static constexpr double kStep = 0.005;
    const ProgressHook& m_hook;
    double m_reported = 0;
};

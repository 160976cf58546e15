// The slider, check box and label handlers of the m-estimate chart. The sliders' change events
// are re-entrant: a handler moves other sliders, whose events fire inside it, and the three guards
// decide which of them are ignored.

#include <QCheckBox>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "core/TextUtils.h"
#include "ui/charts/TRealSlider.h"
#include "ui/charts/uChartM.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

// Clears two guards for the life of a scope and sets them again at its end, also when an error
// leaves it, so that a failure never leaves the sliders dead.
class TGuardsOff {
  public:
    TGuardsOff(bool& first, bool& second) : m_first(first), m_second(second) {
        m_first = false;
        m_second = false;
    }
    ~TGuardsOff() {
        m_first = true;
        m_second = true;
    }
    TGuardsOff(const TGuardsOff&) = delete;
    TGuardsOff& operator=(const TGuardsOff&) = delete;

  private:
    bool& m_first;
    bool& m_second;
};

// The smallest alpha the input box sets.
constexpr double kMinTypedAlpha = 0.01;

}  // namespace

void TfrmChartM::OvcSliderAlphaChange() {
    runHandler([this] {
        if (!AlphaGuard) return;
        m_first.Alpha = OvcSliderAlpha->position();
        m_first.Beta = OvcSliderBeta->position();
        m_second.Alpha = OvcSliderAlphaTwo->position();
        m_second.Beta = OvcSliderBetaTwo->position();
        {
            const TGuardsOff off(MGuard, RatioGuard);
            OvcSliderM->setPosition(m_first.Alpha + m_first.Beta);
            OvcSliderMTwo->setPosition(m_second.Alpha + m_second.Beta);
            OvcSliderRatio->setPosition(m_first.Alpha / m_first.Beta);
            m_ui.processPendingEvents();
        }
        fullRedraw();
    });
}

void TfrmChartM::OvcSliderMChange() {
    runHandler([this] {
        if (!MGuard) return;
        const double p1 = m_first.Alpha / (m_first.Alpha + m_first.Beta);
        const double p2 = m_second.Alpha / (m_second.Alpha + m_second.Beta);
        const double m = OvcSliderM->position();
        m_first.Alpha = m * p1;
        m_first.Beta = m - m_first.Alpha;
        const double mTwo = OvcSliderMTwo->position();
        m_second.Alpha = mTwo * p2;
        m_second.Beta = mTwo - m_second.Alpha;
        {
            // The sliders take whole numbers; the betas keep the exact values.
            const TGuardsOff off(AlphaGuard, RatioGuard);
            OvcSliderAlpha->setPosition(std::nearbyint(m_first.Alpha));
            OvcSliderBeta->setPosition(std::nearbyint(m_first.Beta));
            OvcSliderAlphaTwo->setPosition(std::nearbyint(m_second.Alpha));
            OvcSliderBetaTwo->setPosition(std::nearbyint(m_second.Beta));
            OvcSliderRatio->setPosition(m_first.Alpha / m_first.Beta);
        }
        fullRedraw();
    });
}

void TfrmChartM::OvcSliderRatioChange() {
    runHandler([this] {
        if (!RatioGuard) return;
        const double m = m_first.Alpha + m_first.Beta;
        m_first.Beta = m / (OvcSliderRatio->position() + 1);
        m_first.Alpha = m - m_first.Beta;
        {
            const TGuardsOff off(AlphaGuard, MGuard);
            OvcSliderAlpha->setPosition(std::nearbyint(m_first.Alpha));
            OvcSliderBeta->setPosition(std::nearbyint(m_first.Beta));
            OvcSliderM->setPosition(m_first.Alpha + m_first.Beta);
        }
        fullRedraw();
    });
}

void TfrmChartM::cbTwoClick() {
    runHandler([this] { OvcSliderMChange(); });
}

void TfrmChartM::lblAlphaDblClick() {
    runHandler([this] {
        const std::optional<std::string> answer = m_ui.inputQuery(
            "Set m value for red alpha", "alpha =", realToText(0, 2, m_first.Alpha));
        if (!answer) return;
        // Only a plain finite decimal number counts; anything else changes nothing.
        const std::optional<double> value = tryParsePlainDecimal(*answer);
        if (!value) return;
        OvcSliderAlpha->setPosition(std::max(*value, kMinTypedAlpha));
        OvcSliderAlphaChange();
    });
}

#include "ui/charts/uChartM.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

#include "stats/uTavFreq.h"
#include "ui/charts/ChartDrawingSurface.h"
#include "ui/charts/TRealSlider.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kNavy(0, 0, 128);

// A label in the colour of its distribution.
QLabel* colouredLabel(const QString& text, const QColor& color) {
    auto* label = new QLabel(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// A value label in the fixed-pitch font.
QLabel* valueLabel(const QColor& color) {
    QLabel* label = colouredLabel("0.00", color);
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    label->setFont(font);
    label->setMinimumWidth(QFontMetrics(font).horizontalAdvance("00000.00"));
    return label;
}

// One row of a slider panel: caption, slider, value label.
void addSliderRow(QGridLayout* grid, int row, int column, const QString& caption,
                  TRealSlider* slider, QLabel* value, const QColor& color) {
    slider->setColor(color);
    grid->addWidget(colouredLabel(caption, color), row, column);
    grid->addWidget(slider, row, column + 1);
    grid->addWidget(value, row, column + 2);
}

// Moves a slider to a new step and range (in this order), then to a position when one is given.
void resetSlider(TRealSlider* slider, double step, double minimum, double maximum,
                 std::optional<double> position) {
    slider->setStep(step);
    slider->setMinimum(minimum);
    slider->setMaximum(maximum);
    if (position) slider->setPosition(*position);
}

// Clears the three slider guards for the life of a scope, and sets them again at its end.
class TAllGuardsOff {
  public:
    TAllGuardsOff(bool& alpha, bool& m, bool& ratio) : m_guards{&alpha, &m, &ratio} {
        for (bool* guard : m_guards)
            *guard = false;
    }
    ~TAllGuardsOff() {
        for (bool* guard : m_guards)
            *guard = true;
    }
    TAllGuardsOff(const TAllGuardsOff&) = delete;
    TAllGuardsOff& operator=(const TAllGuardsOff&) = delete;

  private:
    bool* m_guards[3];
};

}  // namespace

TfrmChartM::TfrmChartM(TTavUiOps& ui, QWidget* parent)
    : QWidget(parent), m_ui(ui), m_geometry(kSurfaceWidth, kSurfaceHeight) {
    setWindowFlag(Qt::Window);
    setWindowTitle("Chart m-estimate");
    createControls();
    // The geometry comes from the surface's bitmap, which has its size before any layout.
    m_geometry = TChartGeometry(imgBeta->image().width(), imgBeta->image().height());
    drawAxes(imgBeta->image(), m_geometry);
    connectControls();
    AlphaGuard = true;
    MGuard = true;
    RatioGuard = true;
    OvcSliderAlphaChange();
}

TfrmChartM::~TfrmChartM() = default;

void TfrmChartM::createControls() {
    auto* top = new QWidget;
    top->setFixedHeight(57);
    auto* showGrid = new QGridLayout(top);
    showGrid->setContentsMargins(8, 4, 8, 4);
    showGrid->setVerticalSpacing(2);
    cbDistribution = new QCheckBox("distribution P(x)");
    cbDistribution->setChecked(true);
    cbDensity = new QCheckBox("density p(x)");
    cbMeanStd = new QCheckBox("mean and std");
    cb10 = new QCheckBox("10 % boundaries");
    cb5 = new QCheckBox("5 % boundaries");
    cb1 = new QCheckBox("1 % boundaries");
    showGrid->addWidget(new QLabel("Show:"), 0, 0);
    showGrid->addWidget(cbDistribution, 0, 1);
    showGrid->addWidget(cbDensity, 0, 2);
    showGrid->addWidget(cbMeanStd, 0, 3);
    showGrid->addWidget(cb10, 1, 1);
    showGrid->addWidget(cb5, 1, 2);
    showGrid->addWidget(cb1, 1, 3);
    showGrid->setColumnStretch(4, 1);
    btnSaveImage = new QPushButton("Save &image...");
    btnSaveImage->setObjectName("btnSaveImage");
    btnSaveImage->setToolTip("Save the chart as a PNG or SVG file");
    showGrid->addWidget(btnSaveImage, 0, 5);

    imgBeta = new TChartSurface(kSurfaceWidth, kSurfaceHeight);

    OvcSliderAlpha = new TRealSlider(10, 1000, 1, 10);
    OvcSliderBeta = new TRealSlider(1, 100, 1, 1);
    OvcSliderM = new TRealSlider(2, 200, 1, 2);
    OvcSliderRatio = new TRealSlider(0.01, 10, 0.01, 2);
    OvcSliderAlphaTwo = new TRealSlider(1, 100, 1, 1);
    OvcSliderBetaTwo = new TRealSlider(1, 100, 1, 1);
    OvcSliderMTwo = new TRealSlider(2, 200, 1, 2);
    lblAlpha = valueLabel(kRed);
    lblBeta = valueLabel(kRed);
    lblM = valueLabel(kRed);
    lblR = valueLabel(kRed);
    lblAlphaTwo = valueLabel(kNavy);
    lblBetaTwo = valueLabel(kNavy);
    lblMTwo = valueLabel(kNavy);
    lblAlpha->installEventFilter(this);
    lblAlpha->setToolTip("Double click to type alpha");
    cbTwo = new QCheckBox;
    lblP2GTp0 = colouredLabel("", kNavy);
    lblP2Equal = colouredLabel("", kNavy);

    auto* bottom = new QWidget;
    bottom->setFixedHeight(107);
    auto* sliders = new QGridLayout(bottom);
    sliders->setContentsMargins(8, 2, 8, 2);
    sliders->setVerticalSpacing(1);
    addSliderRow(sliders, 0, 0, "alpha:", OvcSliderAlpha, lblAlpha, kRed);
    addSliderRow(sliders, 1, 0, "beta:", OvcSliderBeta, lblBeta, kRed);
    addSliderRow(sliders, 2, 0, "m:", OvcSliderM, lblM, kRed);
    addSliderRow(sliders, 3, 0, "alpha/beta:", OvcSliderRatio, lblR, kRed);
    sliders->addWidget(cbTwo, 0, 3);
    addSliderRow(sliders, 0, 4, "alpha II:", OvcSliderAlphaTwo, lblAlphaTwo, kNavy);
    addSliderRow(sliders, 1, 4, "beta II:", OvcSliderBetaTwo, lblBetaTwo, kNavy);
    addSliderRow(sliders, 2, 4, "m II:", OvcSliderMTwo, lblMTwo, kNavy);
    auto* results = new QHBoxLayout;
    results->addWidget(lblP2GTp0);
    results->addWidget(lblP2Equal);
    sliders->addLayout(results, 3, 4, 1, 3);
    sliders->setColumnStretch(1, 1);
    sliders->setColumnStretch(5, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(imgBeta, 0, Qt::AlignCenter);
    layout->addWidget(bottom);
    resize(735, 646);
}

void TfrmChartM::connectControls() {
    for (TRealSlider* slider :
         {OvcSliderAlpha, OvcSliderBeta, OvcSliderAlphaTwo, OvcSliderBetaTwo}) {
        connect(slider, &TRealSlider::changed, this, &TfrmChartM::OvcSliderAlphaChange);
    }
    connect(OvcSliderM, &TRealSlider::changed, this, &TfrmChartM::OvcSliderMChange);
    connect(OvcSliderMTwo, &TRealSlider::changed, this, &TfrmChartM::OvcSliderMChange);
    connect(OvcSliderRatio, &TRealSlider::changed, this, &TfrmChartM::OvcSliderRatioChange);
    // A program's change of the state is a click too, as the entries rely on.
    for (QCheckBox* box : {cbDistribution, cbDensity, cbMeanStd, cb10, cb5, cb1, cbTwo}) {
        connect(box, &QCheckBox::toggled, this, &TfrmChartM::cbTwoClick);
    }
    connect(imgBeta, &TChartSurface::contextRequested, this,
            [this](QPoint, QPoint globalPos) { showSurfaceMenu(globalPos); });
    connect(btnSaveImage, &QPushButton::clicked, this, &TfrmChartM::saveImage);
}

void TfrmChartM::runHandler(const std::function<void()>& body) {
    ++m_handlerDepth;
    try {
        body();
    } catch (...) {
        if (!m_pendingError) m_pendingError = std::current_exception();
    }
    --m_handlerDepth;
    if (m_handlerDepth > 0 || !m_pendingError) return;
    const std::exception_ptr error = std::exchange(m_pendingError, nullptr);
    runGuarded(m_ui, [&] { std::rethrow_exception(error); });
}

void TfrmChartM::Chartmestimate1Click() {
    runHandler([this] {
        resetSlider(OvcSliderAlpha, 0.01, 1, 100, 1);
        resetSlider(OvcSliderBeta, 0.01, 1, 100, 1);
        resetSlider(OvcSliderM, 1, 1, 200, std::nullopt);
        resetSlider(OvcSliderAlphaTwo, 0.01, 1, 100, 1);
        resetSlider(OvcSliderBetaTwo, 0.01, 1, 100, 1);
        resetSlider(OvcSliderMTwo, 1, 1, 200, std::nullopt);
        show();
        raise();
        activateWindow();
    });
}

void TfrmChartM::ShowBeta(const TChartParams& chart) {
    runHandler([this, chart] {
        const double a1 = chart.ChartAlpha1;
        const double b1 = chart.ChartBeta1;
        const double a2 = chart.ChartAlpha2;
        const double b2 = chart.ChartBeta2;
        {
            // Every range grows before any position is set: with the guards on, a position
            // would cascade into a slider that still has the old range and be cut to it.
            const TAllGuardsOff off(AlphaGuard, MGuard, RatioGuard);
            resetSlider(OvcSliderAlpha, 0.01, 0.01, a1 + 10, std::nullopt);
            resetSlider(OvcSliderBeta, 0.01, 0.01, b1 + 10, std::nullopt);
            resetSlider(OvcSliderM, 0.01, 0.01, a1 + b1 + 20, std::nullopt);
            resetSlider(OvcSliderAlphaTwo, 0.01, 0.01, a2 + 10, std::nullopt);
            resetSlider(OvcSliderBetaTwo, 0.01, 0.01, b2 + 10, std::nullopt);
            resetSlider(OvcSliderMTwo, 0.01, 0.01, a2 + b2 + 20, std::nullopt);
            cbTwo->setChecked(true);
            OvcSliderAlpha->setPosition(a1);
            OvcSliderBeta->setPosition(b1);
            OvcSliderAlphaTwo->setPosition(a2);
            OvcSliderBetaTwo->setPosition(b2);
        }
        // The betas take the captured values; the m and ratio sliders follow them.
        OvcSliderAlphaChange();
        show();
        raise();
        activateWindow();
    });
}

bool TfrmChartM::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblAlpha && event->type() == QEvent::MouseButtonDblClick) {
        lblAlphaDblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmChartM::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmChartM::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_placed || screen() == nullptr) return;
    // Centred on the screen the first time it appears; later showings keep the user's place.
    m_placed = true;
    move(screen()->availableGeometry().center() - rect().center());
}

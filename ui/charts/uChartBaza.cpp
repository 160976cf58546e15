#include "ui/charts/uChartBaza.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <string>

#include "ui/charts/ChartDrawingSurface.h"
#include "ui/charts/PngBytes.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/text/QtText.h"

TfrmChartBaza::TfrmChartBaza(TTavUiOps& ui, QWidget* parent) : QWidget(parent), m_ui(ui) {
    setWindowFlag(Qt::Window);
    setWindowTitle("frmChartBaza");
    imgBaza = new TChartSurface(kSurfaceWidth, kSurfaceHeight);
    scrlbx = new QScrollArea;
    scrlbx->setWidget(imgBaza);
    scrlbx->setBackgroundRole(QPalette::Base);
    btnSave = new QPushButton("Save picture as PNG...");
    btnSave->setAutoDefault(false);
    lblRecordSample = new QLabel;
    lblRecordSample->setObjectName(QStringLiteral("lblRecordSample"));

    auto* commands = new QHBoxLayout;
    commands->addWidget(btnSave);
    commands->addWidget(lblRecordSample);
    commands->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(commands);
    layout->addWidget(scrlbx, 1);
    resize(727, 552);

    connect(imgBaza, &TChartSurface::mouseMoved, this, &TfrmChartBaza::imgBazaMouseMove);
    connect(imgBaza, &TChartSurface::doubleClicked, this, &TfrmChartBaza::imgBazaDblClick);
    connect(imgBaza, &TChartSurface::contextRequested, this,
            [this](QPoint pixel, QPoint) { imgBazaContextPopup(pixel); });
    connect(btnSave, &QPushButton::clicked, this, &TfrmChartBaza::saveChartAsPng);
}

TfrmChartBaza::~TfrmChartBaza() = default;

void TfrmChartBaza::setData(const TBaza* data) {
    m_data = data;
}

void TfrmChartBaza::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    runGuarded(m_ui, [this] { FormShow(); });
}

void TfrmChartBaza::FormShow() {
    if (m_data == nullptr) return;
    drawBazaPicture(imgBaza->image(), *m_data, m_layout);
    lblRecordSample->setText(qtText(sampleCaption(m_layout.Records)));
    imgBaza->update();
}

void TfrmChartBaza::imgBazaMouseMove(QPoint pixel) {
    runGuarded(m_ui, [&] { m_mouse = pixel; });
}

void TfrmChartBaza::imgBazaDblClick(QPoint pixel) {
    runGuarded(m_ui, [&] {
        m_mouse = pixel;
        queryAtMouse("");
    });
}

void TfrmChartBaza::imgBazaContextPopup(QPoint pixel) {
    // The request is handled in every case, so no menu appears.
    runGuarded(m_ui, [&] {
        m_mouse = pixel;
        queryAtMouse("Right: ");
    });
}

void TfrmChartBaza::queryAtMouse(const std::string& prefix) {
    const int fields = m_data != nullptr ? m_data->FieldCount() : 0;
    const std::optional<int> field = queryField(m_layout, fields, m_mouse);
    if (!field) return;
    m_ui.showMessage(prefix + std::to_string(m_mouse.x()) + " " + std::to_string(m_mouse.y()) +
                     " " + std::to_string(*field));
}

void TfrmChartBaza::saveChartAsPng() {
    runGuarded(m_ui, [this] {
        const std::optional<std::string> path = m_ui.saveFile("PNG images (*.png)", "table.png");
        if (!path) return;
        writePngFile(*path, imgBaza->image(), "picture");
    });
}

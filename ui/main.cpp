// tav-explorer: the desktop program. "tav-explorer FILE" loads FILE at start as the load
// command would.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QScreen>
#include <QTimer>

#include "stats/uTavReports.h"
#include "ui/TavIcons.h"
#include "ui/TavLocale.h"
#include "ui/TavQtUiOps.h"
#include "ui/uChartBaza.h"
#include "ui/uChartM.h"
#include "ui/uTavMain.h"

namespace {

// With TAV_SCREENSHOT=path.png the program saves a picture of its main window once the start-up
// load has been shown, and ends: the smoke test's view of the real window.
void saveScreenshotSoon(TfrmTavMain& window, const QString& path) {
    QTimer::singleShot(700, &window, [&window, path] {
        const bool saved = window.grab().toImage().save(path, "PNG");
        QCoreApplication::exit(saved ? 0 : 3);
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tav-explorer"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tav Explorer"));
    QApplication::setDesktopFileName(QStringLiteral("tav-explorer"));
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    fillLocaleFormat(QLocale::system());

    // Start-up: the global report in the working folder, then the main window, then the two
    // chart windows, hidden. The stop order is the reverse.
    TGlobalReport report;
    TTavQtUiOps ui;
    TfrmTavMain window(ui, report);
    ui.setParentWindow(&window);
    TfrmChartM chartM(ui);
    TfrmChartBaza chartBaza(ui);
    window.setChartHooks({
        [&chartM] { chartM.Chartmestimate1Click(); },
        [&chartM](const TChartParams& chart) { chartM.ShowBeta(chart); },
        [&chartBaza] { chartBaza.show(); },
        [&chartBaza](const TBaza* data) { chartBaza.setData(data); },
    });
    QObject::connect(&window, &TfrmTavMain::terminateRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Without a window manager (a bare X server) maximising does nothing: fill the screen.
    if (const QScreen* screen = window.screen()) window.setGeometry(screen->availableGeometry());
    window.showMaximized();

    if (!report.isOpen()) {
        QTimer::singleShot(0, &window, [&ui, &report] {
            ui.showMessage("The global report cannot be written: " + report.openError());
        });
    }
    const QStringList arguments = QCoreApplication::arguments();
    const std::string path =
        arguments.size() > 1
            ? QFile::encodeName(QFileInfo(arguments.at(1)).absoluteFilePath()).toStdString()
            : std::string();
    const QString screenshot = QFile::decodeName(qgetenv("TAV_SCREENSHOT"));
    QTimer::singleShot(0, &window, [&window, path, screenshot] {
        if (!path.empty()) window.loadFile(path);
        if (!screenshot.isEmpty()) saveScreenshotSoon(window, screenshot);
    });
    return app.exec();
}

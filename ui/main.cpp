// tav-explorer: the desktop program. "tav-explorer FILE" loads FILE at start as the load
// command would.

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/ReportFile.h"
#include "session/ReportHtml.h"
#include "session/uTavReports.h"
#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "ui/charts/PngBytes.h"
#include "ui/charts/uChartBaza.h"
#include "ui/charts/uChartM.h"
#include "ui/dialogs/TavQtUiOps.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/findings/uThresholdSweep.h"
#include "ui/grids/TavGrid.h"
#include "ui/report/ReportPdf.h"
#include "ui/text/TavLocale.h"
#include "ui/window/TavApplication.h"
#include "ui/window/uTavMain.h"

namespace {

// Writes a picture of a window to `path`; false when it cannot be written.
bool saveScreenshot(QWidget& window, const QString& path) {
    try {
        replaceFileWhole(QFile::encodeName(path).toStdString(), pngBytes(window.grab().toImage()));
        return true;
    } catch (const EInOutError&) {
        return false;
    }
}

// `path` with `suffix` before its ".png": where the smoke test finds its further pictures.
QString besideShot(const QString& path, const char* suffix, const char* extension = ".png") {
    QString shot = path;
    if (shot.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) shot.chop(4);
    return shot + QString::fromLatin1(suffix) + QString::fromLatin1(extension);
}

// The smoke test's pictures of the findings: the Findings tab after a run for the class's last
// value (path-findings.png), the threshold sweep of its first finding on a field with thresholds
// (path-sweep.png) and the report as "File > Export report..." writes a PDF (path-report.pdf,
// whose first page the script renders); then the program ends.
void saveFindingsShotsSoon(TfrmTavMain& window, const QString& path) {
    auto* tab = window.findChild<TTavFindingsTab*>();
    if (tab == nullptr) {
        QCoreApplication::exit(3);
        return;
    }
    window.PageControl2->setCurrentWidget(tab);
    // The first run fills the target drop-down; choosing another value computes again.
    tab->run();
    tab->cmbBxTarget->setCurrentIndex(tab->cmbBxTarget->count() - 1);
    QTimer::singleShot(300, &window, [&window, tab, path] {
        if (!saveScreenshot(window, besideShot(path, "-findings"))) {
            QCoreApplication::exit(3);
            return;
        }
        const int rows = static_cast<int>(tab->findings().ranked.size());
        int row = 0;
        while (row < rows && !tab->showThresholdSweep(row))
            ++row;
        QTimer::singleShot(300, &window, [&window, tab, path] {
            TfrmThresholdSweep* sweep = tab->sweepWindow();
            bool saved = sweep != nullptr && saveScreenshot(*sweep, besideShot(path, "-sweep"));
            try {
                writeReportPdf(
                    sessionReportHtml(window.session()),
                    QFile::encodeName(besideShot(path, "-report", ".pdf")).toStdString());
            } catch (const std::exception&) {
                saved = false;
            }
            QCoreApplication::exit(saved ? 0 : 3);
        });
    });
}

// With TAV_SCREENSHOT=path.png the program saves a picture of its main window once the start-up
// load has been shown, then selects every field, runs "Compute entropy gains for simple rules"
// and saves a second picture beside it (path-gains.png), sorts the rules by their Score heading
// for a third (path-sorted.png), then takes those of saveFindingsShotsSoon, and ends: the smoke
// test's view of the real window.
void saveScreenshotsSoon(TfrmTavMain& window, const QString& path) {
    QTimer::singleShot(700, &window, [&window, path] {
        if (!saveScreenshot(window, path)) {
            QCoreApplication::exit(3);
            return;
        }
        // Every field selected, so that there are simple rules to rank, and their tab in view.
        if (auto* selectAll = window.findChild<QAction*>(QStringLiteral("selectAll1")))
            selectAll->trigger();
        window.PageControl1->setCurrentIndex(1);
        window.tlbtnA->click();
        QTimer::singleShot(300, &window, [&window, path] {
            if (!saveScreenshot(window, besideShot(path, "-gains"))) {
                QCoreApplication::exit(3);
                return;
            }
            // The ranked rules sorted by a click on the Score heading: lowest first.
            window.DBgrdSimpleRules->sortByColumn(RuleColumns::kScore, Qt::AscendingOrder);
            QTimer::singleShot(300, &window, [&window, path] {
                if (!saveScreenshot(window, besideShot(path, "-sorted"))) {
                    QCoreApplication::exit(3);
                    return;
                }
                saveFindingsShotsSoon(window, path);
            });
        });
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Without a runtime folder (a console login, a container) the toolkit complains on every
    // start; a private one in the temporary folder keeps the console quiet.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::string runtime = "/tmp/runtime-" + std::to_string(getuid());
        if (mkdir(runtime.c_str(), 0700) == 0 || errno == EEXIST) {
            struct stat info {};
            if (stat(runtime.c_str(), &info) == 0 && info.st_uid == getuid() &&
                (info.st_mode & 0777) == 0700) {
                setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            }
        }
    }
    QApplication app(argc, argv);
    configureApplication();
    fillLocaleFormat(QLocale::system());

    // Start-up: the global report in the working folder, then the main window, then the two
    // chart windows, hidden. The stop order is the reverse.
    TReportFile report(kGlobalReportFileName);
    TTavQtUiOps ui;
    TfrmTavMain window(ui, report);
    ui.setParentWindow(&window);
    TfrmChartM chartM(ui);
    TfrmChartBaza chartBaza(ui);
    window.setChartHooks({
        [&chartM, &window] {
            chartM.setSaveName(nameBeside(window.session().DataFileName(), "chart"));
            chartM.Chartmestimate1Click();
        },
        [&chartM, &window](const TChartParams& chart) {
            chartM.setSaveName(nameBeside(window.session().DataFileName(), "chart"));
            chartM.ShowBeta(chart);
        },
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
        if (!screenshot.isEmpty()) saveScreenshotsSoon(window, screenshot);
    });
    return app.exec();
}

#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <chrono>
#include <filesystem>
#include <memory>

#include "core/ReportFile.h"
#include "session/uTavReports.h"
#include "session/uTavSession.h"
#include "stats/uTavFreq.h"
#include "tests/support/TempDir.h"
#include "tests/ui/ScriptedUiOps.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/grids/TavGrid.h"
#include "ui/grids/TxTableModel.h"
#include "ui/window/uTavMain.h"

// The main window over a scripted user interface, in a temporary folder with a copy of the
// bundled sample; tests drive it through its menus, buttons and grids.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        // Every test starts without recent files (they live in the tests' settings folder).
        QSettings(QSettings::IniFormat, QSettings::UserScope, "tav-explorer", "tav-explorer")
            .clear();
        sample = copySample("credit.CSV");
        report = std::make_unique<TReportFile>(dir.file(kGlobalReportFileName));
        window = std::make_unique<TfrmTavMain>(ui, *report);
        // Every progress report finds its interval gone, as in a run slower than the pacing, so
        // each one repaints and processes events and tests act at the report they choose.
        window->setProgressClock([t = std::chrono::steady_clock::time_point{}]() mutable {
            return t += std::chrono::hours(1);
        });
        window->show();
    }
    void TearDown() override {
        window.reset();
        resetStatSettings();
    }

    std::string copySample(const std::string& name) {
        const std::string target = dir.file(name);
        std::filesystem::copy_file(TAV_SOURCE_DIR "/examples/credit.CSV", target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target;
    }
    QAction* action(const char* name) {
        QAction* found = window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void trigger(const char* name) {
        if (QAction* a = action(name)) a->trigger();
    }
    // The load command with `path` chosen in its dialog.
    void load(const std::string& path) {
        ui.files.push_back(path);
        trigger("Loaddatabase1");
    }
    // The sample loaded with every field selected, and its Findings tab; shown (and computed, as
    // the tab does once it is shown) when `show` says so.
    TTavFindingsTab* findingsTabOnSample(bool show) {
        load(sample);
        trigger("selectAll1");
        auto* tab = window->findChild<TTavFindingsTab*>();
        if (tab != nullptr && show) {
            window->PageControl2->setCurrentWidget(tab);
            QCoreApplication::processEvents();
        }
        return tab;
    }
    // A user's move of a grid's current row.
    static void moveGrid(TTavGrid* grid, int row) {
        grid->setCurrentIndex(grid->model()->index(row, 0));
    }
    static QString cell(TTavGrid* grid, int row, int column) {
        return grid->model()->index(row, column).data().toString();
    }
    static QVariant raw(TTavGrid* grid, int row, int column) {
        return grid->model()->index(row, column).data(TxTableModel::kRawValueRole);
    }
    // Makes the field in row `field` of the fields grid the class through its popup command.
    void makeClass(int field) {
        moveGrid(window->DBgrdFields, field);
        trigger("Makeactivefieldtheclass1");
    }

    TempDir dir;
    TScriptedUiOps ui;
    std::string sample;
    std::unique_ptr<TReportFile> report;
    std::unique_ptr<TfrmTavMain> window;
};

// The field index of LOAN, the class field of the sample.
inline constexpr int kLoanField = 0;

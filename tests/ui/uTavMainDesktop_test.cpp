// The main window as a desktop program: columns that fit their texts, the recent files, a
// dropped file, the help page and an About box that fits.

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QUrl>
#include <fstream>

#include "tests/ui/MainWindowFixture.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/findings/uThresholdSweep.h"
#include "ui/text/uTextWindow.h"

namespace {

// A class value and a rule name far longer than any column may grow.
const std::string kLongLabel(90, 'L');

class DesktopTest : public MainWindowTest {
  protected:
    std::string longNamesFile() {
        const std::string path = dir.file("long.CSV");
        std::ofstream out(path, std::ios::binary);
        out << "TAV DATA:2/TXT/1250\nCLASS;COLOUR\nSET:1..2;SET:1..2\n"
            << kLongLabel << ";" << kLongLabel << "\nno;red\n1;1\n2;2\n1;2\n2;1\n";
        return path;
    }
    QStringList recentEntries() {
        QStringList entries;
        for (int i = 1; i <= 9; ++i) {
            auto* a = window->findChild<QAction*>(QStringLiteral("RecentFile%1").arg(i));
            if (a != nullptr && a->isVisible()) entries << a->toolTip();
        }
        return entries;
    }
    // Shows a modal text window opened by `command` and hands it to `look` before closing it.
    void inTextWindow(const char* command, const std::function<void(TfrmTextWindow*)>& look) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<TfrmTextWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            seen = true;
            look(shown);
            shown->okButton()->click();
        });
        trigger(command);
        EXPECT_TRUE(seen) << command;
    }
};

}  // namespace

// Names longer than their pane's room are cut, by the column or by the table, and whole in the
// tooltip; every other cell, numbers above all, shows whole and within the pane.
TEST_F(DesktopTest, ColumnsFitTheirTextsAndCutOnesShowWholeInTheTooltip) {
    load(longNamesFile());
    makeClass(0);
    QCoreApplication::processEvents();
    int longRules = 0;
    for (TTavGrid* grid : {window->DBgrdFields, window->DBgrdSimpleRules, window->DBgrdFrequency}) {
        const int name = grid == window->DBgrdFields ? 2 : 1;
        const int columns = grid->model()->columnCount();
        // The test screen leaves the Frequency grid alone the room for its numbers.
        if (grid == window->DBgrdFrequency) {
            EXPECT_LE(grid->columnViewportPosition(columns - 1) + grid->columnWidth(columns - 1),
                      grid->viewport()->width())
                << grid->objectName().toStdString();
        }
        for (int c = 0; c < columns; ++c) {
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                const QString whole = grid->wholeTextIfCut(grid->model()->index(r, c));
                const std::string where = grid->objectName().toStdString() + " " +
                                          std::to_string(r) + " " + std::to_string(c);
                if (cell(grid, r, c).contains("LLLLLLLLLL")) {
                    EXPECT_TRUE(whole.endsWith(QString::fromStdString(kLongLabel))) << where;
                    longRules += grid == window->DBgrdSimpleRules;
                } else if (c == name) {
                    EXPECT_TRUE(whole.isEmpty() || whole == cell(grid, r, c)) << where;
                } else {
                    EXPECT_TRUE(whole.isEmpty()) << where;
                }
            }
        }
    }
    EXPECT_EQ(longRules, 2);  // the class value's rule and the colour's
}

TEST_F(DesktopTest, AColumnTheUserResizedKeepsItsWidthAfterARefill) {
    load(sample);
    makeClass(kLoanField);
    TTavGrid* grid = window->DBgrdFrequency;
    const int fitted = grid->columnWidth(2);
    grid->horizontalHeader()->resizeSection(1, 333);
    moveGrid(window->DBgrdSimpleRules, 3);
    EXPECT_EQ(grid->columnWidth(1), 333);
    EXPECT_EQ(grid->columnWidth(2), fitted);
}

TEST_F(DesktopTest, RecentFilesAreNewestFirstKeptBetweenRunsAndGoneOnesTakenOff) {
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
        files.push_back(copySample("s" + std::to_string(i) + ".CSV"));
        load(files.back());
    }
    load(files[5]);
    QStringList entries = recentEntries();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_EQ(entries[0].toStdString(), files[5]);
    EXPECT_EQ(entries[1].toStdString(), files[9]);
    EXPECT_FALSE(entries.contains(QString::fromStdString(files[1])));

    // The next run starts with the same list.
    window = std::make_unique<TfrmTavMain>(ui, *report);
    EXPECT_EQ(recentEntries(), entries);

    trigger("RecentFile3");
    EXPECT_EQ(window->session().DataFileName(), files[8]);
    std::filesystem::remove(files[7]);
    trigger("RecentFile4");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("no longer exists"), std::string::npos);
    EXPECT_EQ(recentEntries().size(), 7);
    EXPECT_FALSE(recentEntries().contains(QString::fromStdString(files[7])));
    EXPECT_EQ(window->session().DataFileName(), files[8]);
}

TEST_F(DesktopTest, ADroppedFileLoadsAndOnlyOneLocalFileIsTaken) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(sample))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(window->session().DataFileName(), sample);

    for (const QList<QUrl>& urls :
         {QList<QUrl>{QUrl("https://example.org/x.CSV")},
          QList<QUrl>{QUrl::fromLocalFile("/a.CSV"), QUrl::fromLocalFile("/b.CSV")}}) {
        QMimeData other;
        other.setUrls(urls);
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &other, Qt::LeftButton,
                                Qt::NoModifier);
        refused.setAccepted(false);
        QApplication::sendEvent(window.get(), &refused);
        EXPECT_FALSE(refused.isAccepted());
    }
}

TEST_F(DesktopTest, HelpPageAndAboutBoxShowWithoutSideways) {
    inTextWindow("ReadingTheResults1", [](TfrmTextWindow* shown) {
        EXPECT_EQ(shown->windowTitle(), "Reading the results");
        for (const char* topic : {"Signif", "m for prior", "*** ", "SEX,1,=,AGE,2,>,AND"})
            EXPECT_TRUE(shown->textBox()->toPlainText().contains(topic)) << topic;
    });
    inTextWindow("AboutTav1", [](TfrmTextWindow* shown) {
        EXPECT_EQ(shown->textBox()->horizontalScrollBar()->maximum(), 0);
    });
}

TEST_F(DesktopTest, FieldsPopupSweepsTheThresholdsOfTheActiveField) {
    load(sample);
    makeClass(kLoanField);
    QAction* sweep = action("ThresholdSweep1");
    const auto popupAt = [&](int field) {
        moveGrid(window->DBgrdFields, field);
        emit window->mnPopFields->aboutToShow();
        return sweep->isEnabled();
    };
    EXPECT_FALSE(popupAt(1));           // NAME: a text, no thresholds
    EXPECT_FALSE(popupAt(kLoanField));  // the class itself
    ASSERT_TRUE(popupAt(7));            // INCOME: REAL with four boundaries
    sweep->trigger();
    auto* tab = window->findChild<TTavFindingsTab*>();
    ASSERT_NE(tab->sweepWindow(), nullptr);
    EXPECT_TRUE(tab->sweepWindow()->isVisible());
    EXPECT_TRUE(ui.errors.empty());
}

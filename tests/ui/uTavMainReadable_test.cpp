// What makes the main window readable at a glance: settings typed the locale's way, and the
// Frequency tab telling of hidden rows.

#include <QTabWidget>

#include "core/LocaleFormat.h"
#include "tests/ui/MainWindowFixture.h"

TEST_F(MainWindowTest, SettingsTakeTheLocalesDecimalSeparatorAndSayWhatIsNoNumber) {
    localeFormat().decimalSeparator = ',';
    ui.answers.push_back("0,5");
    trigger("parameterMItem");
    EXPECT_EQ(window->statusPanelText(2).toStdString(), "m = 0.50");
    EXPECT_TRUE(ui.messages.empty());

    ui.answers.push_back("half");
    trigger("parameterMItem");
    EXPECT_EQ(window->statusPanelText(2).toStdString(), "m = 0.50");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "\"half\" is not a number; the value stays 0.50.");
    localeFormat() = TLocaleFormat{};
}

TEST_F(MainWindowTest, FrequencyTabCountsTheHiddenRows) {
    load(sample);
    makeClass(kLoanField);
    EXPECT_EQ(window->PageControl2->tabText(0), "Frequency of LOAN");
    moveGrid(window->DBgrdFrequency, 1);
    trigger("RemoveActiveRowItem");
    EXPECT_EQ(window->PageControl2->tabText(0),
              QString::fromUtf8("Frequency of LOAN \u2014 1 row hidden"));
    // The rows stay hidden for a newly loaded file, and the tab says so.
    load(copySample("again.CSV"));
    EXPECT_EQ(window->PageControl2->tabText(0),
              QString::fromUtf8("Frequency of LOAN \u2014 1 row hidden"));
    trigger("allRowsItem");
    EXPECT_EQ(window->PageControl2->tabText(0), "Frequency of LOAN");
}

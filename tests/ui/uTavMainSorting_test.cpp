// Sorting a grid by a click on a column's heading: the rows shown move, the table and the
// ranking under them do not, and every row chosen in the sorted grid is the rule or field shown.

#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "stats/uTavResultTables.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/findings/FindingsModel.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/grids/GridSortProxy.h"

namespace {

// A user's click on the heading of `column`.
void clickHeading(QTableView* view, int column) {
    QHeaderView* header = view->horizontalHeader();
    const QPoint middle(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
}

class SortingTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        load(sample);
        trigger("selectAll1");
        window->tlbtnA->click();
        ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    }
    // The names of the rules table in its own order.
    std::vector<std::string> tableNames() {
        std::vector<std::string> names;
        TxViewReader& table = window->session().rulesTable();
        for (int r = 0; r < table.RecordCount(); ++r)
            names.push_back(table.valueAt(r, RuleColumns::kName).toString());
        return names;
    }
};

TEST_F(SortingTest, AHeadingSortsTheGridButNotTheRankedRules) {
    TTavGrid* rules = window->DBgrdSimpleRules;
    const std::vector<std::string> ranked = tableNames();
    clickHeading(rules, RuleColumns::kName);
    EXPECT_EQ(rules->horizontalHeader()->sortIndicatorSection(), RuleColumns::kName);
    EXPECT_TRUE(rules->horizontalHeader()->isSortIndicatorShown());
    for (int r = 1; r < rules->model()->rowCount(); ++r)
        EXPECT_LE(QString::compare(cell(rules, r - 1, RuleColumns::kName),
                                   cell(rules, r, RuleColumns::kName), Qt::CaseInsensitive),
                  0);
    EXPECT_EQ(tableNames(), ranked);

    // A row chosen in the sorted grid is the rule it shows, also in the Frequency table.
    const int row = rules->model()->rowCount() / 2;
    moveGrid(rules, row);
    EXPECT_EQ(window->session().activeRuleNumber(), raw(rules, row, RuleColumns::kNo).toInt());
    EXPECT_EQ(rules->currentIndex().row(), row);
    // Restoring the order, and a new ranking, show the table's order without an indicator.
    trigger("OriginalSortingOrder1");
    EXPECT_EQ(rules->horizontalHeader()->sortIndicatorSection(), -1);
    for (int r = 0; r < rules->model()->rowCount(); ++r)
        EXPECT_EQ(raw(rules, r, RuleColumns::kNo).toInt(),
                  window->session().rulesTable().valueAt(r, RuleColumns::kNo).toInteger());
    clickHeading(rules, RuleColumns::kScore);
    window->tlbtnA->click();
    EXPECT_EQ(rules->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(cell(rules, 0, RuleColumns::kName), QString::fromStdString(ranked.front()));
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(SortingTest, NumbersSortAsNumbersAndASecondClickReverses) {
    TTavGrid* fields = window->DBgrdFields;
    clickHeading(fields, FieldsColumns::kCount);
    const int rows = fields->model()->rowCount();
    ASSERT_GT(rows, 3);
    for (int r = 1; r < rows; ++r)
        EXPECT_LE(raw(fields, r - 1, FieldsColumns::kCount).toLongLong(),
                  raw(fields, r, FieldsColumns::kCount).toLongLong());
    clickHeading(fields, FieldsColumns::kCount);
    EXPECT_EQ(fields->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    for (int r = 1; r < rows; ++r)
        EXPECT_GE(raw(fields, r - 1, FieldsColumns::kCount).toLongLong(),
                  raw(fields, r, FieldsColumns::kCount).toLongLong());
    // A field chosen in the sorted grid is the one shown.
    moveGrid(fields, 1);
    EXPECT_EQ(window->session().activeFieldNumber(), raw(fields, 1, FieldsColumns::kNo).toInt());
    // The third click shows the table's order.
    clickHeading(fields, FieldsColumns::kCount);
    for (int r = 0; r < rows; ++r)
        EXPECT_EQ(raw(fields, r, FieldsColumns::kNo).toInt(), r);
    EXPECT_EQ(fields->currentIndex().row(), window->session().activeFieldNumber());
}

TEST_F(SortingTest, ADoubleClickedFindingInASortedGridIsTheRuleItShows) {
    auto* tab = window->findChild<TTavFindingsTab*>();
    window->PageControl2->setCurrentWidget(tab);
    QCoreApplication::processEvents();  // the tab computes once it is shown
    ASSERT_GT(tab->grdFindings->model()->rowCount(), 3);
    clickHeading(tab->grdFindings, TFindingsModel::kRule);
    clickHeading(tab->grdFindings, TFindingsModel::kRule);
    const std::string top = tab->findings().ranked.front().name;
    const QAbstractItemModel* grid = tab->grdFindings->model();
    const QString shown = grid->index(0, TFindingsModel::kRule).data().toString();
    EXPECT_NE(shown.toStdString(), top);
    emit tab->grdFindings->doubleClicked(grid->index(0, 0));
    // The active rule's finding, in the findings' own order, shows the text double-clicked.
    const int row = window->session().activeRuleNumber();
    const int setNumber = window->session().sets().SetLists[slRules].item(row)->SetNumber;
    const std::vector<TFinding>& ranked = tab->findings().ranked;
    const auto active = std::find_if(ranked.begin(), ranked.end(),
                                     [&](const TFinding& f) { return f.setNumber == setNumber; });
    ASSERT_NE(active, ranked.end());
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(grid);
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->sourceModel()
                  ->index(static_cast<int>(active - ranked.begin()), TFindingsModel::kRule)
                  .data()
                  .toString(),
              shown);
    // The findings themselves keep their order.
    EXPECT_EQ(tab->findings().ranked.front().name, top);
}

TEST(GridSortProxy, TextsThatReadAsNumbersSortAsNumbersAndEmptyCellsFirst) {
    QStandardItemModel model;
    for (const char* text : {"10", "", "9", "0,5", "12%", "abc", "-3"})
        model.appendRow(new QStandardItem(QString::fromLatin1(text)));
    QTableView view;
    installSortProxy(&view, &model);
    view.sortByColumn(0, Qt::AscendingOrder);
    QStringList order;
    for (int r = 0; r < view.model()->rowCount(); ++r)
        order << view.model()->index(r, 0).data().toString();
    EXPECT_EQ(order.join('|'), "|-3|0,5|9|10|12%|abc");
    EXPECT_EQ(sourceIndex(view.model()->index(1, 0)).row(), 6);
    clearSort(&view);
    EXPECT_EQ(view.model()->index(0, 0).data().toString(), "10");
}

}  // namespace

#include "ui/grids/TxTableModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QScrollBar>
#include <QSignalSpy>

#include "core/LocaleFormat.h"
#include "table/TXMLDataSet.h"
#include "ui/grids/TavGrid.h"
#include "ui/grids/TavGridColumns.h"

namespace {

// A table of No. (Integer), Name (String 20) and Score (Double), with the model and a grid over
// it, checked by QAbstractItemModelTester all along.
class TableModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        table.SetCodePageIn(cp1250);
        table.OnGetHeader = [](TxDataSet& t) {
            t.AddField("No.", xftInteger, 0);
            t.AddField("Name", xftString, 20);
            t.AddField("Score", xftDouble, 0);
        };
        table.open();
        for (int i = 0; i < 3; ++i)
            append(i, "row" + std::to_string(i), i * 0.25);
        table.first();
        model = std::make_unique<TxTableModel>(
            table, std::vector<TGridColumn>{{"No.", 4, "", false, ""},
                                            {"Name", 20, "", false, ""},
                                            {"Score", 7, "0.000", false, ""}});
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void TearDown() override { localeFormat().decimalSeparator = '.'; }

    void append(int no, const std::string& name, double score) {
        table.append();
        table.setFieldValue(0, TxValue(no));
        table.setFieldValue(1, TxValue(name));
        table.setFieldValue(2, TxValue(score));
        table.post();
    }
    QString text(int row, int column) { return model->index(row, column).data().toString(); }

    TXMLDataSet table;
    std::unique_ptr<TxTableModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace

TEST_F(TableModelTest, ShowsCellsInTheirFormatsWithRawValuesAndAlignment) {
    ASSERT_EQ(model->rowCount(), 3);
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Score");
    EXPECT_EQ(text(1, 0), "1");
    EXPECT_EQ(text(1, 1), "row1");
    EXPECT_EQ(text(1, 2), "0.250");
    EXPECT_EQ(model->index(2, 2).data(TxTableModel::kRawValueRole).toDouble(), 0.5);
    EXPECT_EQ(model->index(2, 0).data(TxTableModel::kRawValueRole).toLongLong(), 2);
    const auto alignment = [&](int column) {
        return model->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignRight);
    EXPECT_EQ(alignment(1), Qt::AlignLeft);
    EXPECT_EQ(alignment(2), Qt::AlignRight);
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);

    // The locale's decimal separator, rounding, no minus sign on a rounded zero, national
    // letters of Windows-1250.
    localeFormat().decimalSeparator = ',';
    table.edit();
    table.setFieldValue(1, TxValue(std::string("\x8A"
                                               "ola")));  // S-caron
    table.setFieldValue(2, TxValue(-0.0004));
    table.post();
    EXPECT_EQ(text(0, 1), QString::fromUtf8("\u0160ola"));
    EXPECT_EQ(text(0, 2), "0,000");
    EXPECT_EQ(text(1, 2), "0,250");
}

TEST_F(TableModelTest, PostedEditChangesOneRowAndBulkChangeResetsOnce) {
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    table.edit();
    table.setFieldValue(1, TxValue("renamed"));
    table.post();
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.last().at(0).toModelIndex().row(), 0);
    EXPECT_EQ(text(0, 1), "renamed");
    EXPECT_EQ(reset.count(), 0);

    // A thousand appends held by the table reach the model as one reset.
    table.disableControls();
    for (int i = 3; i < 1003; ++i)
        append(i, "bulk", 1.0);
    table.first();
    EXPECT_EQ(model->rowCount(), 3);
    table.enableControls();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model->rowCount(), 1003);
    EXPECT_EQ(text(1002, 0), "1002");

    // A plain append and a delete change the row count through a reset each.
    append(2000, "one more", 2.0);
    EXPECT_EQ(model->rowCount(), 1004);
    table.first();
    table.deleteRecord();
    EXPECT_EQ(model->rowCount(), 1003);
    EXPECT_EQ(text(0, 0), "1");
}

TEST_F(TableModelTest, SuspendedModelResetsOnceAtTheOutermostResume) {
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy moved(model.get(), &TxTableModel::currentRowChanged);
    model->suspend();
    model->suspend();
    for (int i = 0; i < 50; ++i) {
        table.next();
        table.first();
    }
    table.last();
    model->resume();
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(moved.count(), 0);
    model->resume();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model->currentRow(), 2);
    // Nothing held: no reset.
    model->suspend();
    model->resume();
    EXPECT_EQ(reset.count(), 1);
}

TEST_F(TableModelTest, GridFollowsTheCursorAndOffersTheUsersMoves) {
    TTavGrid grid;
    grid.setGridModel(model.get());
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), QString::fromUtf8("\u25B8"));

    table.next();
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(1, {}));
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), "");
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), QString::fromUtf8("\u25B8"));

    // The grid does not move the table itself: it asks, and the window decides.
    QSignalSpy requests(&grid, &TTavGrid::rowMoveRequested);
    grid.setCurrentIndex(grid.model()->index(2, 1));
    ASSERT_EQ(requests.count(), 1);
    EXPECT_EQ(requests.first().at(0).toInt(), 2);
    EXPECT_EQ(table.currentRow(), 1);
    grid.followTable();
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(requests.count(), 1);

    // Widths in characters, never narrower than the title.
    const int digit = grid.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    EXPECT_GE(grid.columnWidth(1), 20 * digit);
    EXPECT_GE(grid.columnWidth(0), grid.fontMetrics().horizontalAdvance("No."));

    // An emptied table leaves the grid without a current row.
    table.disableControls();
    while (!table.isEmpty())
        table.deleteRecord();
    table.enableControls();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_FALSE(grid.currentIndex().isValid());
}

// In a grid narrower than its columns, beside a vertical scroll bar, the name gives up width
// and every number stays whole and in view; a number rewritten in place widens its column.
TEST_F(TableModelTest, NumbersAreNeverCutWhenTheColumnsDoNotFit) {
    for (int i = 3; i < 200; ++i)
        append(i * 1000, std::string(20, 'N'), i * 0.25);
    TTavGrid grid;
    grid.setGridModel(model.get());
    grid.setElasticColumn(1);
    grid.show();
    QCoreApplication::processEvents();
    // The room beside the row indicator and the vertical scroll bar: the numbers and 16 digits.
    const int digit = grid.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    grid.resize(grid.width() - grid.viewport()->width() + grid.columnWidth(0) +
                    grid.columnWidth(2) + 16 * digit,
                200);
    QCoreApplication::processEvents();
    ASSERT_TRUE(grid.verticalScrollBar()->isVisible());
    auto wholeInView = [&](int column, int row) {
        const int right = grid.columnViewportPosition(column) + grid.columnWidth(column);
        return grid.columnViewportPosition(column) >= 0 && right <= grid.viewport()->width() &&
               grid.fontMetrics().horizontalAdvance(model->index(row, column).data().toString()) <
                   grid.columnWidth(column);
    };
    EXPECT_TRUE(wholeInView(0, 199));
    EXPECT_TRUE(wholeInView(2, 199));
    EXPECT_TRUE(grid.wholeTextIfCut(model->index(199, 1)).endsWith("NNN"));

    table.last();
    table.edit();
    table.setFieldValue(0, TxValue(12345678));
    table.post();
    QCoreApplication::processEvents();
    EXPECT_TRUE(wholeInView(0, 199));
    EXPECT_TRUE(wholeInView(2, 199));

    // With room again the name takes back the width its texts ask for.
    grid.resize(grid.fontMetrics().horizontalAdvance(QString(80, QLatin1Char('0'))), 200);
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid.wholeTextIfCut(model->index(199, 1)).isEmpty());
}

TEST(GridColumns, EveryHeadingOfTheThreeGridsHasATooltip) {
    for (const auto& columns : {fieldsGridColumns(), rulesGridColumns(), frequencyGridColumns()}) {
        for (const TGridColumn& column : columns)
            EXPECT_FALSE(column.tooltip.empty()) << column.title;
    }
}

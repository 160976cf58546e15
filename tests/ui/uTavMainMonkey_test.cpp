// A monkey drives the real main window with random commands (loads of good and broken files,
// valid and invalid filters, moves, row hiding, settings, entropy gains, reports, copy) and checks
// after each that the grids show exactly what the toolkit-free session holds.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <functional>
#include <random>

#include "table/TXMLDataSet.h"
#include "tests/ui/MainWindowFixture.h"

namespace {

// A small table in the sample's shape, so that thousands of commands stay quick under the
// sanitizers: class C, a SET, an INT with an unknown code and a REAL with boundaries.
std::string smallTable() {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;S;I;R\nSET:1..2;SET:1..3;INT:0..9:UNK=9;REAL:::2\n"
        "yes;a;;10\nno;b;;20\n;c;;\n";
    std::mt19937 random(7);
    for (int r = 0; r < 120; ++r) {
        text += std::to_string(1 + random() % 2) + ";" + std::to_string(1 + random() % 3) + ";" +
                std::to_string(random() % 10) + ";" + std::to_string(random() % 30) + "\n";
    }
    return text;
}

class MonkeyTest : public MainWindowTest {
  protected:
    // Every grid shows its table's rows and follows its cursor, in whatever order it is sorted;
    // every cell can be drawn.
    void expectGridsAgree(int step) {
        for (TTavGrid* grid :
             {window->DBgrdFields, window->DBgrdSimpleRules, window->DBgrdFrequency}) {
            TxTableModel* model = grid->gridModel();
            TxViewReader& table = model->source();
            ASSERT_EQ(model->rowCount(), table.RecordCount()) << "step " << step;
            ASSERT_EQ(model->currentRow(), table.currentRow()) << "step " << step;
            const QModelIndex current = grid->currentIndex();
            ASSERT_EQ(current.isValid() ? grid->tableRow(current.row()) : -1, table.currentRow())
                << "step " << step << " " << grid->objectName().toStdString();
            for (int r = 0; r < model->rowCount(); ++r) {
                for (int c = 0; c < model->columnCount(); ++c)
                    (void)model->index(r, c).data(Qt::DisplayRole);
            }
        }
    }
};

}  // namespace

TEST_F(MonkeyTest, ThousandsOfRandomCommandsKeepTheGridsTrue) {
    const std::vector<std::string> files = {
        dir.write("small.csv", smallTable()),
        dir.write("limit.csv", "TAV DATA:0/TXT/1250\nA\nSET:0..500\n1\n"),
        dir.write("empty.csv", "TAV DATA:0/TXT/1250\nA\nSET:0..5\n"),
        dir.write("plain.csv", "a,b\n1,2\n"),
        dir.write("garbage.csv", std::string("TAV DATA:\xff\x01;;\n\n;;;\n", 17)),
        dir.file("missing.csv"),
    };
    const std::vector<std::string> filters = {"",    "S,1,=", "I,5,<", "R,1,>", "S,1,=,I,3,>,&",
                                              "S,,", "(((",   "C,2,=", "X,1,="};
    const std::vector<std::string> numbers = {"0.5", "3", "0", "-1", "abc", "1e999", "1000000000"};
    const std::vector<const char*> actions = {"allRowsItem",
                                              "RemoveActiveRowItem",
                                              "removeToLastItem",
                                              "removeToFirstItem",
                                              "Makeactivefieldtheclass1",
                                              "Select1",
                                              "selectAll1",
                                              "Deselect1",
                                              "deselectaLl1",
                                              "OriginalSortingOrder1",
                                              "Simplerules1",
                                              "ShowBeta1",
                                              "CopyRows1",
                                              "Find1"};
    std::mt19937 random(20261208);
    auto pick = [&](auto& list) -> auto& {
        return list[random() % list.size()];
    };
    auto moveRandomly = [&](TTavGrid* grid) {
        const int rows = grid->model()->rowCount();
        if (rows > 0) moveGrid(grid, static_cast<int>(random() % rows));
    };
    load(files[0]);
    for (int step = 0; step < 2500; ++step) {
        switch (random() % 12) {
            case 0:
                load(random() % 3 == 0 ? pick(files) : files[0]);
                break;
            case 1:
                window->cmbBxContextFilter->setEditText(QString::fromStdString(pick(filters)));
                if (random() % 2) {
                    window->btnUpdateContext->click();
                } else {
                    window->cmbBxContextFilter->lineEdit()->returnPressed();
                }
                break;
            case 2:
                window->cmbBxCompare1->setEditText(QString::fromStdString(pick(filters)));
                window->cmbBxCompare2->setEditText(QString::fromStdString(pick(filters)));
                window->btnUpdateCompare->click();
                break;
            case 3:
            case 4:
                moveRandomly(window->DBgrdSimpleRules);
                break;
            case 5:
                moveRandomly(window->DBgrdFields);
                break;
            case 6:
                moveRandomly(window->DBgrdFrequency);
                break;
            case 7:
                ui.answers.push_back(pick(numbers));
                trigger(random() % 3 == 0   ? "parameterMPriorItem"
                        : random() % 2 == 0 ? "parameterMItem"
                                            : "significanceItem");
                break;
            case 8:
                if (random() % 4 == 0) {
                    window->tlbtnA->click();
                } else {
                    // A heading's click, or the third click back to the table's order.
                    TTavGrid* grid = random() % 2 ? window->DBgrdFields : window->DBgrdSimpleRules;
                    const int column = static_cast<int>(random() % 6) - 1;
                    grid->sortByColumn(column,
                                       random() % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
                }
                break;
            case 9:
                ui.answers.push_back("monkey");
                trigger("Copy1");
                break;
            case 10:
                if (window->DBgrdFields->model()->rowCount() > 0) {
                    emit window->DBgrdFields->doubleClicked(
                        window->DBgrdFields->model()->index(0, 0));
                }
                break;
            default:
                trigger(pick(actions));
                break;
        }
        expectGridsAgree(step);
        if (HasFatalFailure()) return;
    }
}

// The main window's filters, settings and the guard against commands inside a running one.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "tests/ui/MainWindowFixture.h"

namespace {

const std::string kWarning = "Warning: Filter and/or Compare expressions should be updated.";

QStringList items(QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

}  // namespace

TEST_F(MainWindowTest, SettingsAcceptOnlyPlainNumbersWithinTheirLimits) {
    struct Case {
        const char* item;
        std::optional<std::string> answer;
        int panel;
        const char* shown;
    };
    const Case cases[] = {
        {"parameterMItem", "0", 2, "m = 0.01"},
        {"parameterMItem", "3.5", 2, "m = 3.50"},
        {"parameterMItem", "abc", 2, "m = 3.50"},
        {"parameterMItem", "nan", 2, "m = 3.50"},
        {"parameterMItem", "inf", 2, "m = 3.50"},
        {"parameterMItem", "1e999", 2, "m = 3.50"},
        {"parameterMItem", "0,5", 2, "m = 3.50"},
        {"parameterMPriorItem", "12.5", 1, "m(prior) = 12.50"},
        {"parameterMPriorItem", "-1", 1, "m(prior) = 0.01"},
        {"significanceItem", "-3", 3, "signif = 0.00%"},
        {"significanceItem", "250", 3, "signif = 250.00%"},
        {"significanceItem", std::nullopt, 3, "signif = 250.00%"},
    };
    for (const Case& c : cases) {
        ui.answers.push_back(c.answer);
        trigger(c.item);
        EXPECT_EQ(window->statusPanelText(c.panel).toStdString(), c.shown)
            << c.item << " " << c.answer.value_or("(cancelled)");
    }
    EXPECT_DOUBLE_EQ(MParam, 3.5);
    EXPECT_DOUBLE_EQ(MPrior, 0.01);
    EXPECT_DOUBLE_EQ(SignificancePct, 250);
    ASSERT_EQ(ui.queries.size(), std::size(cases));
    EXPECT_EQ(ui.queries[0].caption, "Set m value");
    EXPECT_EQ(ui.queries[0].prompt, "m =");
    EXPECT_EQ(ui.queries[0].defaultText, "2.00");
    EXPECT_EQ(ui.queries[7].caption, "Set m value for prior estimation");
    EXPECT_EQ(ui.queries[7].prompt, "m(prior) =");
    EXPECT_EQ(ui.queries[9].caption, "Set significance value");
    EXPECT_EQ(ui.queries[9].prompt, "significance =");
    EXPECT_EQ(ui.queries[10].defaultText, "0.00");
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, ContextUpdatesFilterTheRecordsAndRememberValidExpressions) {
    load(sample);
    TTavGrid* fields = window->DBgrdFields;
    const QString allRecords = cell(fields, 1, FieldsColumns::kCount);

    window->cmbBxContextFilter->setEditText("SEX,1,=");
    EXPECT_TRUE(window->btnUpdateContext->isEnabled());
    EXPECT_TRUE(window->btnUpdateContext->isDefault());
    // Enter in the edit field applies the expression.
    QTest::keyClick(window->cmbBxContextFilter->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(window->btnUpdateContext->isEnabled());
    EXPECT_FALSE(window->btnUpdateContext->isDefault());
    EXPECT_EQ(items(window->cmbBxContextFilter), (QStringList{" ", "SEX,1,="}));
    EXPECT_EQ(window->cmbBxContextFilter->currentText(), "SEX,1,=");
    const QString males = cell(fields, 1, FieldsColumns::kCount);
    EXPECT_LT(males.toInt(), allRecords.toInt());
    EXPECT_GT(males.toInt(), 0);
    {
        TTavSession reference;
        reference.loadDataFile(copySample("reference.CSV"));
        reference.updateContext("SEX,1,=");
        for (int r = 0; r < fields->model()->rowCount(); ++r)
            EXPECT_EQ(raw(fields, r, FieldsColumns::kCount).toLongLong(),
                      reference.fieldsTable().valueAt(r, FieldsColumns::kCount).toInteger());
    }

    // The same expression in other letter case is not remembered twice.
    window->cmbBxContextFilter->setEditText("sex,1,=");
    window->btnUpdateContext->click();
    EXPECT_EQ(window->cmbBxContextFilter->count(), 2);

    // An invalid expression: the message, all records, and the text stays for correction.
    window->cmbBxContextFilter->setEditText("AGE,30");
    window->btnUpdateContext->click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Error in context filter expression: More than one result");
    EXPECT_EQ(cell(fields, 1, FieldsColumns::kCount), allRecords);
    EXPECT_EQ(window->cmbBxContextFilter->count(), 2);
    EXPECT_EQ(window->cmbBxContextFilter->currentText(), "AGE,30");

    // A later load filters the new table by the valid text left in the edit field.
    window->cmbBxContextFilter->setEditText("SEX,1,=");
    load(sample);
    EXPECT_EQ(items(window->cmbBxContextFilter), (QStringList{" ", "SEX,1,="}));
    EXPECT_EQ(cell(fields, 1, FieldsColumns::kCount), males);
    EXPECT_FALSE(window->btnUpdateContext->isEnabled());
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, AnEditedContextWarnsOncePerRecomputation) {
    load(sample);
    trigger("selectAll1");  // a ranking without a selected field would ask first
    window->cmbBxContextFilter->setEditText("SEX,1,=");
    ASSERT_TRUE(window->btnUpdateContext->isEnabled());
    EXPECT_TRUE(ui.messages.empty());

    // The entropy-gain run recomputes every rule, and warns once.
    window->tlbtnA->click();
    EXPECT_EQ(ui.count(kWarning), 1);
    EXPECT_EQ(ui.messages.size(), 1u);
    // Every move to another rule recomputes, and warns again.
    moveGrid(window->DBgrdSimpleRules, 3);
    EXPECT_EQ(ui.count(kWarning), 2);
    // Applied: no more warnings.
    window->btnUpdateContext->click();
    const std::size_t shown = ui.messages.size();
    moveGrid(window->DBgrdSimpleRules, 4);
    EXPECT_EQ(ui.messages.size(), shown);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, NothingStartsWhileALongCommandProcessesEvents) {
    load(sample);
    const std::string second = copySample("second.CSV");
    int tries = 0;
    QSignalSpy terminated(window.get(), &TfrmTavMain::terminateRequested);
    ui.duringEvents = [&] {
        if (tries++ > 0) return;
        // A user clicking around while the load runs: all of it ignored or deferred.
        ui.files.push_back(sample);
        trigger("Loaddatabase1");
        window->tlbtnA->click();
        trigger("selectAll1");
        ui.answers.push_back("7");
        trigger("parameterMItem");
        moveGrid(window->DBgrdSimpleRules, 6);
        window->cmbBxContextFilter->setEditText("SEX,2,=");
        window->close();
        trigger("ExitItem");
    };
    load(second);
    ui.duringEvents = nullptr;
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_GT(tries, 1);
    EXPECT_EQ(window->session().DataFileName(), second);
    EXPECT_EQ(ui.openCalls.size(), 2u);  // the nested load never asked for a file
    EXPECT_TRUE(ui.queries.empty());
    EXPECT_DOUBLE_EQ(MParam, 2.0);
    EXPECT_EQ(cell(window->DBgrdFields, 0, FieldsColumns::kSel), "0");
    EXPECT_EQ(window->session().rulesTable().currentRow(), 0);
    // The edit typed meanwhile reaches the session after the load, as an edit to apply.
    EXPECT_EQ(window->session().contextInput().text, "SEX,2,=");
    EXPECT_TRUE(window->btnUpdateContext->isEnabled());
    // The close waited for the end of the load.
    EXPECT_EQ(terminated.count(), 0);
    QApplication::processEvents();
    EXPECT_EQ(terminated.count(), 1);
    EXPECT_EQ(window->DBgrdSimpleRules->currentIndex().row(), 0);
}

TEST_F(MainWindowTest, ReportAppendsABlockToTheGlobalReport) {
    load(sample);
    makeClass(kLoanField);
    moveGrid(window->DBgrdSimpleRules, 3);
    trigger("Simplerules1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    const std::string text = readFile(dir.file("TavGlobalRep.txt"));
    EXPECT_NE(text.find("approved"), std::string::npos);
    // The walk ends on the first rule, and the grid shows it.
    EXPECT_EQ(window->DBgrdSimpleRules->currentIndex().row(),
              window->session().rulesTable().currentRow());
}

#include "stats/uTavResultTables.h"

#include "table/TxDataSet.h"
#include "table/TxFieldTypes.h"

void XMLdtStFieldsGetHeader(TxDataSet& table) {
    table.AddField("No.", xftInteger, 0);
    table.AddField("Sel", xftInteger, 0);
    table.AddField("Name", xftString, FieldsColumns::kNameLength);
    table.AddField("Type", xftString, FieldsColumns::kTypeLength);
    table.AddField("Count", xftInteger, 0);
}

void XMLDtStSimpleRulesGetHeader(TxDataSet& table) {
    table.AddField("No.", xftInteger, 0);
    table.AddField("Name", xftString, RuleColumns::kNameLength);
    table.AddField("Count", xftString, RuleColumns::kCountLength);
    table.AddField("Score", xftDouble, 0);
    table.AddField("Signif", xftDouble, 0);
}

void XMLdtstFrequencyGetHeader(TxDataSet& table) {
    table.AddField("No.", xftInteger, 0);
    table.AddField("Name", xftString, FrequencyColumns::kNameLength);
    table.AddField("Frequency", xftInteger, 0);
    table.AddField("Probability", xftDouble, 0);
    table.AddField("StdProb", xftDouble, 0);
    table.AddField("CondFrequency", xftInteger, 0);
    table.AddField("CondProbability", xftDouble, 0);
    table.AddField("CondStdProb", xftDouble, 0);
    table.AddField("EntropyChange", xftDouble, 0);
    table.AddField("Signif", xftDouble, 0);
}

void emptyTable(TxDataSet& table) {
    // From the back: each row then leaves the store without moving the ones after it, where
    // deleting from the front moved them all, once per row.
    TSuspendedViews bulk(table);
    while (!table.isEmpty()) {
        table.last();
        table.deleteRecord();
    }
}

void rewriteRows(TxDataSet& table, const std::function<void(int row)>& write) {
    TSuspendedViews bulk(table);
    const TxBookmark remembered = table.getBookmark();
    table.first();
    for (int row = 0; table.hasCurrentRecord() && !table.eof(); ++row) {
        table.edit();
        write(row);
        table.post();
        table.next();
    }
    if (table.bookmarkValid(remembered)) table.gotoBookmark(remembered);
}

TSuspendedViews::TSuspendedViews(TxDataSet& table) : m_table(table) {
    m_table.disableControls();
}

TSuspendedViews::~TSuspendedViews() {
    m_table.enableControls();
}

// The commands of the result panes: moves, field selection, the class field and the class rows.

#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

bool TTavSession::moveToField(int row) {
    bool moved = false;
    // The move reaches the Frequency table through the table's data-change link.
    runCommand([&] { moved = m_fields->moveToRow(row); });
    return moved;
}

bool TTavSession::moveToRule(int row) {
    bool moved = false;
    runCommand([&] {
        if (m_activePair) invalidateFrequency();
        clearActivePair();
        moved = m_rules->moveToRow(row);
    });
    return moved;
}

bool TTavSession::moveToFrequencyRow(int row) {
    return m_frequency->moveToRow(row);
}

int TTavSession::activeFieldNumber() const {
    if (!m_fields->hasCurrentRecord()) return -1;
    return static_cast<int>(m_fields->fieldValue(FieldsColumns::kNo).toInteger());
}

void TTavSession::setSelection(const std::vector<int>& fields, int selected) {
    for (int field : fields) {
        if (TMnozica* set = m_sets->fieldSet(field)) set->Selected = selected;
    }
    refreshSelectionMarks();
    invalidateFrequency();
}

void TTavSession::refreshSelectionMarks() {
    const TMnozicaList& fieldSets = m_sets->SetLists[slFields];
    rewriteRows(*m_fields, [&](int i) {
        const TMnozica* set = fieldSets.item(i);
        m_fields->setFieldValue(FieldsColumns::kSel, TxValue(set ? set->Selected : 0));
    });
    // A rule on a field that is not selected is marked "*** " in its count.
    const TMnozicaList& rules = m_sets->SetLists[slRules];
    rewriteRows(*m_rules, [&](int i) {
        if (const TMnozica* set = rules.item(i))
            m_rules->setFieldValue(RuleColumns::kCount, TxValue(ruleCountText(*set)));
    });
}

void TTavSession::selectField(int field, bool selected) {
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return;
    runCommand([&] { setSelection({field}, selected ? kSelected : 0); });
}

void TTavSession::selectActiveField(bool selected) {
    if (!m_fields->hasCurrentRecord()) return;
    selectField(activeFieldNumber(), selected);
}

void TTavSession::selectAllFields(bool selected) {
    if (m_data == nullptr) return;
    std::vector<int> all(m_data->FieldCount());
    for (int i = 0; i < m_data->FieldCount(); ++i)
        all[i] = i;
    runCommand([&] { setSelection(all, selected ? kSelected : 0); });
}

void TTavSession::selectEveryFieldButTheClass() {
    if (m_data == nullptr) return;
    runCommand([this] {
        selectAllFields(true);
        setSelection({m_classField}, 0);
    });
}

bool TTavSession::anyFieldSelected() const {
    return !computedUnderNow().selected.empty();
}

void TTavSession::selectFields(const std::vector<int>& fields) {
    if (m_data == nullptr) return;
    runCommand([&] { setSelection(fields, kSelected); });
}

void TTavSession::setClassField(int field) {
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return;
    runCommand([&] {
        m_classField = field;
        invalidateFrequency();
    });
}

void TTavSession::makeActiveFieldTheClass() {
    if (!m_fields->hasCurrentRecord()) return;
    setClassField(activeFieldNumber());
}

void TTavSession::setClassFieldDeselected(int field) {
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return;
    runCommand([&] {
        setSelection({field}, 0);
        m_classField = field;
    });
}

void TTavSession::fieldsDoubleClick() {
    if (!m_fields->hasCurrentRecord()) return;
    setClassFieldDeselected(activeFieldNumber());
}

int TTavSession::activeFrequencyValue() const {
    if (!m_frequency->hasCurrentRecord()) return -1;
    return static_cast<int>(m_frequency->fieldValue(FrequencyColumns::kNo).toInteger());
}

void TTavSession::showAllRows() {
    runCommand([this] {
        RowVisible.fill(true);
        RowVisible[kSubTotalSlot] = false;
        invalidateFrequency();
    });
}

void TTavSession::hideClassValues(const std::vector<int>& codes) {
    runCommand([&] {
        for (int code : codes) {
            if (code >= 0 && code <= kMaxValueCode) RowVisible[code] = false;
        }
        invalidateFrequency();
    });
}

void TTavSession::hideValueRange(int from, int to) {
    runCommand([&] {
        for (int i = std::max(from, 0); i <= to && i <= kMaxValueCode; ++i)
            RowVisible[i] = false;
        invalidateFrequency();
    });
}

void TTavSession::removeActiveRow() {
    const int v = activeFrequencyValue();
    hideValueRange(v, v);
}

void TTavSession::removeToLast() {
    const int v = activeFrequencyValue();
    hideValueRange(v, v >= 0 ? kMaxValueCode : -1);
}

void TTavSession::removeToFirst() {
    const int v = activeFrequencyValue();
    hideValueRange(0, v);
}

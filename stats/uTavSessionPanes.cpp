// The commands of the result panes: field selection, the class field and the class rows.

#include "stats/uTavResultTables.h"
#include "stats/uTavSession.h"
#include "table/TXMLDataSet.h"

void TTavSession::writeActiveSelection(int selected) {
    const int field = static_cast<int>(m_fields->fieldValue(FieldsColumns::kNo).toInteger());
    m_fields->setFieldValue(FieldsColumns::kSel, TxValue(selected));
    if (TMnozica* set = m_sets->fieldSet(field)) set->Selected = selected;
}

void TTavSession::selectActiveField(bool selected) {
    if (!m_fields->hasCurrentRecord()) return;
    TCommandScope command(*this);
    m_fields->edit();
    writeActiveSelection(selected ? kSelected : 0);
    m_fields->post();
}

void TTavSession::selectAllFields(bool selected) {
    if (!m_fields->hasCurrentRecord()) return;
    TCommandScope command(*this);
    const TxBookmark remembered = m_fields->getBookmark();
    TSuspendedViews quiet(*m_fields);
    m_fields->first();
    while (m_fields->hasCurrentRecord() && !m_fields->eof()) {
        m_fields->edit();
        writeActiveSelection(selected ? kSelected : 0);
        m_fields->post();
        m_fields->next();
    }
    if (m_fields->bookmarkValid(remembered)) m_fields->gotoBookmark(remembered);
}

void TTavSession::makeActiveFieldTheClass() {
    if (!m_fields->hasCurrentRecord()) return;
    TCommandScope command(*this);
    ClassField = static_cast<int>(m_fields->fieldValue(FieldsColumns::kNo).toInteger());
    onTableDataChange();
}

void TTavSession::fieldsDoubleClick() {
    if (!m_fields->hasCurrentRecord()) return;
    TCommandScope command(*this);
    m_fields->edit();
    writeActiveSelection(0);
    ClassField = static_cast<int>(m_fields->fieldValue(FieldsColumns::kNo).toInteger());
    onTableDataChange();
    m_fields->post();
}

int TTavSession::activeFrequencyValue() {
    if (!m_frequency->hasCurrentRecord()) return -1;
    return static_cast<int>(m_frequency->fieldValue(FrequencyColumns::kNo).toInteger());
}

void TTavSession::showAllRows() {
    RowVisible.fill(true);
    RowVisible[kSubTotalSlot] = false;
    refreshFrequency();
}

void TTavSession::removeActiveRow() {
    const int v = activeFrequencyValue();
    if (v >= 0) RowVisible[v] = false;
    refreshFrequency();
}

void TTavSession::removeToLast() {
    const int v = activeFrequencyValue();
    for (int i = v; v >= 0 && i <= kMaxValueCode; ++i)
        RowVisible[i] = false;
    refreshFrequency();
}

void TTavSession::removeToFirst() {
    const int v = activeFrequencyValue();
    for (int i = 0; v >= 0 && i <= v && i <= kMaxValueCode; ++i)
        RowVisible[i] = false;
    refreshFrequency();
}

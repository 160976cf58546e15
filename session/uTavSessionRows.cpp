// What the session tells about the rows of the Frequency table, and their clipboard report.

#include "session/uTavReports.h"
#include "session/uTavSession.h"
#include "stats/uTavFreq.h"
#include "table/TXMLDataSet.h"

int TTavSession::hiddenClassRows() const {
    if (m_data == nullptr || m_classField < 0 || m_classField >= m_data->FieldCount()) return 0;
    int hidden = 0;
    for (int k = 0; k <= kMaxValueCode; ++k)
        hidden += m_data->valueSet(m_classField, k) != nullptr && !RowVisible[k];
    return hidden;
}

std::string TTavSession::frequencyReport(const std::string& description) {
    std::string text;
    runCommand([&] {
        text = clipboardReportText(*m_frequency, description);
        m_frequency->last();
    });
    return text;
}

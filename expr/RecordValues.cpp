#include "expr/RecordValues.h"

#include "core/FieldTypes.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"
#include "expr/FilterDate.h"

int TRecordValues::code(int record, int field) const {
    const uint8_t stored = m_data.codeRow(record)[field];
    return stored == TBaza::kOtherCode ? m_data.fieldValueCode(record, field) : stored;
}

bool TRecordValues::unknownCode(int field, int code) const {
    return m_data.isUnknownCode(field, code);
}

std::string TRecordValues::text(int record, int field) const {
    return m_data.fieldValueAsString(record, field);
}

std::optional<double> TRecordValues::number(int record, int field) const {
    if (m_data.fieldType(field) == ftInt) {
        // The stored code is the text's integer, and 0 for a text that is none: the text is read
        // again only for a 0 in a field where some 0 stands for such a text, since reading it
        // again is slow for a table whose texts stay in its file.
        const int value = code(record, field);
        if (unknownCode(field, value)) return std::nullopt;
        if (value != 0 || !m_data.zeroCodeFromNonInteger(field)) return value;
    }
    return tryParseReal(text(record, field));
}

std::optional<int32_t> TRecordValues::date(int record, int field) const {
    return dayNumberOfDate(text(record, field));
}

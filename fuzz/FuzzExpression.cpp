// evaluateExpression on a small fixed table, in check mode and for every record, and the check
// for constants outside their fields' codes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/uTavObj.h"
#include "expr/FilterExpression.h"
#include "expr/FilterRangeCheck.h"

namespace {

const TBaza& table() {
    static TBaza* data = [] {
        auto* loaded = new TBaza;
        loaded->loadDataBytes(
            "TAV DATA:2/TXT/1250\n"
            "SEX;AGE;NAME;INC;BORN\n"
            "SET:1..2:UNK=0;INT:1..3;STRING;REAL:::2;DATE\n"
            "male;young;;10;\n"
            "female;middle;;20;\n"
            "1;2;Ana;5;1.1.1990\n"
            "2;3;\x9Aola;10;\n"
            "0;1;;25;31.12.2001\n",
            "fuzz.csv", dfkFromHeader, cpUnknown);
        return loaded;
    }();
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string expression(reinterpret_cast<const char*>(bytes), size);
    const TBaza& data = table();
    std::string error;
    const bool valid = evaluateExpression(data, expression, -1, error);
    if (valid != error.empty()) __builtin_trap();  // check mode: valid exactly when no error
    for (int r = 0; r <= data.RecordCount(); ++r)  // one past the end is an error, not a crash
        (void)evaluateExpression(data, expression, r, error);
    // The range check reads the tokens of any expression, valid or not, without failing.
    for (const TConstantOutsideField& outside :
         constantsOutsideFields(TFilterExpression(expression).tokens(), data)) {
        if (outside.field < 0 || outside.field >= data.FieldCount()) __builtin_trap();
        if (outside.constant >= outside.low && outside.constant <= outside.high) __builtin_trap();
    }
    return 0;
}

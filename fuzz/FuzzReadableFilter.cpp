// The readable filter form on a small fixed table: the choice between the two forms, the parse
// and, for a text that compiles, every record; and the warning of a postfix text.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/StBits.h"
#include "core/uTavObj.h"
#include "expr/FilterForm.h"
#include "expr/ReadableFilter.h"

namespace {

const TBaza& table() {
    static TBaza* data = [] {
        auto* loaded = new TBaza;
        loaded->loadDataBytes(
            "TAV DATA:2/TXT/1250\n"
            "SEX;AGE;NAME;INC;BORN;MY FIELD\n"
            "SET:1..2:UNK=0;INT:1..3:UNK=0;STRING;REAL:::2;DATE;CURRENCY:::1\n"
            "male;young;;10;;100\n"
            "female;middle;;20;;\n"
            "1;2;Ana;5;1.1.1990;50\n"
            "2;3;\x9Aola;10,5;2001-12-31;\n"
            "0;0;;abc;31.2.2001;150\n"
            "300;1;it's;;;x\n",
            "fuzz.csv", dfkFromHeader, cpUnknown);
        return loaded;
    }();
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const TBaza& data = table();
    const TFilterFormChoice choice = chooseFilterForm(text);
    if (choice.form == TFilterForm::Readable && !choice.readableSign.empty()) __builtin_trap();
    if (choice.readableSignAt < 0 || choice.readableSignAt > static_cast<int>(size))
        __builtin_trap();
    (void)ambiguousFormWarning(choice, "context filter");
    // The parser is tried on every text, whatever form the chooser picked.
    std::string error;
    const std::unique_ptr<TReadableFilter> filter = TReadableFilter::compile(data, text, error);
    if ((filter == nullptr) == error.empty()) __builtin_trap();  // an error exactly on failure
    if (filter) {
        TStBits set(data.RecordCount() - 1);
        filter->select(set);
        for (int r = 0; r < data.RecordCount(); ++r) {
            if (set.testBit(r) != filter->matches(r)) __builtin_trap();
        }
    }
    return 0;
}

// The data file reader over the fuzzer's bytes as a whole file. The header of the file chooses
// the kind and the code page; the first byte also picks the kind argument, so that every kind is
// read with the header's items ignored too.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Errors.h"
#include "core/uTavObj.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const int choice = size > 0 ? bytes[0] % 8 : 0;
    // 1..6, from the header most often
    const auto kind = static_cast<TDataFileKind>(choice < 2 ? dfkFromHeader : choice - 1);
    const auto codePage = static_cast<CodePageId>(size > 1 ? bytes[1] % 6 : 0);
    TBaza data;
    try {
        data.loadDataBytes(text, "fuzz.csv", kind, codePage);
    } catch (const ETavError&) {
        // A refused file is an answer; what was read so far must still be consistent.
    }
    (void)data.summaryReportText();
    for (int r = 0; r < data.RecordCount() && r < 64; ++r) {
        for (int i = 0; i < data.FieldCount(); ++i) {
            (void)data.fieldValueAsString(r, i);
            (void)data.fieldValueAsInteger(r, i);
            (void)data.fieldValueAsReal(r, i);
            (void)data.valueName(i, data.fieldValueCode(r, i));
        }
    }
    return 0;
}

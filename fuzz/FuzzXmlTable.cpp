// The XML table file reader: the fuzzer's bytes as a table file, opened without a header hook,
// walked and closed; a table that opens is also written and read back.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "table/TXMLDataSet.h"

namespace {

const std::string& folder() {
    static const std::string path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tav-fuzz-xml-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) __builtin_trap();
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string path = folder() + "/t.xml";
    std::filesystem::remove(folder() + "/t.~xml");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    int records = -1;
    try {
        TXMLDataSet t;
        t.SetFileName(path);
        t.SetLazyWrite(-1);
        t.open();
        records = t.RecordCount();
        for (t.first(); !t.eof(); t.next()) {
            for (int k = 0; k < static_cast<int>(t.layout().fields().size()); ++k)
                (void)t.fieldValue(k);
        }
        t.SaveToXml();  // what was read must be written, or refused with an error
    } catch (const ExDataSetError&) {
        return 0;
    }
    // What the writer wrote reads back with as many records.
    TXMLDataSet back;
    back.SetFileName(path);
    try {
        back.open();
    } catch (const ExDataSetError&) {
        __builtin_trap();
    }
    if (back.RecordCount() != records) __builtin_trap();
    return 0;
}

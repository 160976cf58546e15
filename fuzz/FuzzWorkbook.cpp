// The .xlsx and .ods readers: the fuzzer's bytes as a workbook file, imported and loaded back; a
// workbook the importer takes must give a data file the reader takes. Since a mutated zip mostly
// fails its checksums, two marks make the bytes the XML instead, zipped here: 0x7f a sheet part
// and its shared strings (split at the first NUL) of an .xlsx, 0x7e the content.xml of an .ods.

#include <unistd.h>
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"

namespace {

constexpr std::uint8_t kSheetMark = 0x7f;
constexpr std::uint8_t kContentMark = 0x7e;

const char kContentTypes[] =
    "<?xml version=\"1.0\"?><Types "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Override "
    "PartName=\"/xl/workbook.xml\" ContentType=\"application/"
    "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
const char kWorkbook[] =
    "<?xml version=\"1.0\"?><workbook><workbookPr date1904=\"1\"/><sheets><sheet name=\"S\" "
    "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const char kRelations[] =
    "<?xml version=\"1.0\"?><Relationships><Relationship Id=\"rId1\" "
    "Target=\"worksheets/sheet1.xml\"/></Relationships>";
const char kStyles[] =
    "<?xml version=\"1.0\"?><styleSheet><numFmts><numFmt numFmtId=\"164\" "
    "formatCode=\"yyyy-mm-dd\"/></numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf "
    "numFmtId=\"14\"/></cellXfs></styleSheet>";

void importBytes(const std::string& bytes, const std::string& name) {
    TImportPlan plan;
    try {
        plan = inferImportBytes(bytes, name, {});
    } catch (const ETavError&) {
        return;  // a refused file is an answer
    }
    TBaza data;
    data.loadDataBytes(importDataText(plan), "fuzz-tav.CSV", dfkFromHeader, cpUnknown);
    if (data.errorFlag() || data.FieldCount() != static_cast<int>(plan.columns.size()))
        __builtin_trap();
}

// The parts zipped (minizip writes only to files: one scratch file for the whole run).
void importZipped(const std::vector<std::pair<std::string, std::string>>& parts,
                  const std::string& name) {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("tav-fuzz-" + std::to_string(::getpid()) + ".zip"))
                                        .string();
    zipFile zip = zipOpen64(path.c_str(), 0);
    if (zip == nullptr) return;
    for (const auto& [part, bytes] : parts) {
        zip_fileinfo info{};
        zipOpenNewFileInZip(zip, part.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            1);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    std::ostringstream zipped;
    zipped << std::ifstream(path, std::ios::binary).rdbuf();
    std::remove(path.c_str());
    importBytes(zipped.str(), name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    if (size > 0 && bytes[0] == kSheetMark) {
        const std::string rest = text.substr(1);
        const size_t split = rest.find('\0');
        importZipped({{"[Content_Types].xml", kContentTypes},
                      {"xl/workbook.xml", kWorkbook},
                      {"xl/_rels/workbook.xml.rels", kRelations},
                      {"xl/styles.xml", kStyles},
                      {"xl/worksheets/sheet1.xml", rest.substr(0, split)},
                      {"xl/sharedStrings.xml",
                       split == std::string::npos ? std::string() : rest.substr(split + 1)}},
                     "fuzz.xlsx");
        return 0;
    }
    if (size > 0 && bytes[0] == kContentMark) {
        importZipped({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                      {"content.xml", text.substr(1)}},
                     "fuzz.ods");
        return 0;
    }
    importBytes(text, "fuzz.xlsx");
    return 0;
}

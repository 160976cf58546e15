#include "import/CellTableSource.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "core/Errors.h"
#include "core/FileCheck.h"
#include "import/OdsImport.h"
#include "import/StatImport.h"
#include "import/XlsImport.h"
#include "import/XlsxImport.h"
#include "import/ZipArchive.h"

namespace {

bool startsWith(std::string_view bytes, std::string_view mark, size_t at = 0) {
    return bytes.size() >= at + mark.size() && bytes.substr(at, mark.size()) == mark;
}

std::string lowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

std::optional<TImportFormat> detectCellTableFormat(std::string_view start,
                                                   const std::string& path) {
    using namespace std::string_view_literals;
    if (startsWith(start, "PK\x03\x04"sv)) return TImportFormat::Xlsx;
    if (startsWith(start, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv)) return TImportFormat::Xls;
    if (startsWith(start, "$FL2") || startsWith(start, "$FL3")) return TImportFormat::Sav;
    if (startsWith(start, "<stata_dta>")) return TImportFormat::Dta;
    // The old Stata header: a release byte, the byte order (1 or 2), the file type 1.
    if (start.size() >= 4 && static_cast<unsigned char>(start[0]) >= 102 &&
        static_cast<unsigned char>(start[0]) <= 115 && (start[1] == 1 || start[1] == 2) &&
        start[2] == 1 && start[3] == 0) {
        return TImportFormat::Dta;
    }
    if (startsWith(start, std::string_view("\0\0\0\0\0\0\0\0\0\0\0\0\xC2\xEA\x81\x60", 16)))
        return TImportFormat::Sas7bdat;
    if (startsWith(start, "HEADER RECORD*******LIB")) return TImportFormat::Xport;
    // A portable file's mark follows its translation table; line breaks may move it a little.
    if (start.substr(0, 640).find("SPSSPORT") != std::string_view::npos) return TImportFormat::Por;
    const std::string extension = lowerExtension(path);
    if (extension == "xlsx" || extension == "xlsm") return TImportFormat::Xlsx;
    if (extension == "ods") return TImportFormat::Ods;
    if (extension == "xls") return TImportFormat::Xls;
    if (extension == "sav" || extension == "zsav") return TImportFormat::Sav;
    if (extension == "por") return TImportFormat::Por;
    if (extension == "dta") return TImportFormat::Dta;
    if (extension == "sas7bdat") return TImportFormat::Sas7bdat;
    if (extension == "xpt") return TImportFormat::Xport;
    return std::nullopt;
}

bool isCellTableFile(const std::string& path) {
    // A named pipe would wait for a writer and a device never end: those are no workbooks.
    if (!dataFileProblem(path).empty()) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string start(1024, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(file.gcount()));
    return detectCellTableFormat(start, path).has_value();
}

TImportFormat wholeCellTableFormat(std::string_view bytes, TImportFormat detected,
                                   const std::string& fileName) {
    using namespace std::string_view_literals;
    const bool zip = startsWith(bytes, "PK\x03\x04"sv);
    if (detected == TImportFormat::Xls && !zip) {
        // A workbook protected by a password is an encrypted package in a compound file.
        static const std::string_view kEncryption("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
        if (bytes.find(kEncryption) != std::string_view::npos) {
            throw EConvertError("The workbook \"" + fileName +
                                "\" is protected by a password; save it without one to import it");
        }
        return detected;
    }
    if (!zip && detected != TImportFormat::Xlsx && detected != TImportFormat::Ods) return detected;
    TZipArchive archive(bytes, fileName);
    if (const auto types = archive.part("[Content_Types].xml")) {
        if (types->find("spreadsheetml") != std::string::npos) return TImportFormat::Xlsx;
    }
    if (const auto mimetype = archive.part("mimetype")) {
        if (mimetype->starts_with("application/vnd.oasis.opendocument.spreadsheet"))
            return TImportFormat::Ods;
    }
    throw EConvertError("The file \"" + fileName +
                        "\" is a zip archive but neither an .xlsx nor an .ods workbook");
}

TWorkbookTable readCellTable(std::string_view bytes, TImportFormat format,
                             const TSheetChoice& choice, const std::string& fileName) {
    switch (format) {
        case TImportFormat::Xlsx:
            return readXlsx(bytes, choice, fileName);
        case TImportFormat::Ods:
            return readOds(bytes, choice, fileName);
        case TImportFormat::Xls:
            return readXlsBytes(bytes, choice, fileName);
        case TImportFormat::Csv:
        case TImportFormat::Arff:
            break;
        default: {
            TWorkbookTable result;
            result.table = readStatFile(bytes, format, fileName);
            return result;
        }
    }
    throw EConvertError("The file \"" + fileName + "\" is not a workbook");
}

#include "import/XlsImport.h"

#include <freexl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/Errors.h"

namespace {

// Closes the workbook however the reading ends.
struct TXlsHandle {
    const void* handle = nullptr;
    ~TXlsHandle() {
        if (handle != nullptr) freexl_close(handle);
    }
};

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

}  // namespace

TWorkbookTable readXls(const std::string& path, const TSheetChoice& choice,
                       const std::string& fileName) {
    TXlsHandle xls;
    const int opened = freexl_open(path.c_str(), &xls.handle);
    unsigned int password = 0;
    if (opened == FREEXL_OK &&
        freexl_get_info(xls.handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        throw EConvertError("The workbook \"" + fileName +
                            "\" is protected by a password; save it without one to import it");
    }
    if (opened != FREEXL_OK) {
        throw EConvertError("The workbook \"" + fileName +
                            "\" is not a readable .xls workbook or is damaged (error " +
                            std::to_string(opened) + ")");
    }
    unsigned int sheetCount = 0;
    freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount);
    TWorkbookTable result;
    for (unsigned int i = 0; i < sheetCount && i < 65536; ++i) {
        const char* name = nullptr;
        freexl_get_worksheet_name(xls.handle, static_cast<unsigned short>(i), &name);
        result.sheetNames.emplace_back(name != nullptr ? name : "Sheet" + std::to_string(i + 1));
    }
    const size_t index = chosenSheet(result.sheetNames, choice.sheet, fileName);
    result.sheet = result.sheetNames[index];
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(xls.handle, static_cast<unsigned short>(index)) !=
            FREEXL_OK ||
        freexl_worksheet_dimensions(xls.handle, &rows, &columns) != FREEXL_OK) {
        throw EConvertError("The sheet \"" + result.sheet + "\" of \"" + fileName +
                            "\" cannot be read");
    }
    TSheetCells cells;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(xls.handle, r, c, &cell) != FREEXL_OK) continue;
            switch (cell.type) {
                case FREEXL_CELL_INT:
                    cells.put(r, c, std::to_string(cell.value.int_value), TCellKind::Number);
                    break;
                case FREEXL_CELL_DOUBLE:
                    cells.put(r, c, numberText(cell.value.double_value), TCellKind::Number);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_TIME:
                    if (cell.value.text_value != nullptr)
                        cells.put(r, c, cell.value.text_value, TCellKind::Text);
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                    if (cell.value.text_value != nullptr) {
                        std::string date = cell.value.text_value;
                        if (date.ends_with(" 00:00:00")) date.resize(date.size() - 9);
                        cells.put(r, c, date, TCellKind::Date);
                    }
                    break;
                default:
                    break;
            }
        }
    }
    result.table = sheetTable(std::move(cells), choice.skip, fileName, result.sheet);
    return result;
}

TWorkbookTable readXlsBytes(std::string_view bytes, const TSheetChoice& choice,
                            const std::string& fileName) {
    std::string path = (std::filesystem::temp_directory_path() / "tav-xls-XXXXXX").string();
    const int descriptor = ::mkstemp(path.data());
    if (descriptor < 0)
        throw EInOutError("A temporary copy of \"" + fileName + "\" cannot be made");
    struct TRemove {
        const std::string& path;
        ~TRemove() { std::remove(path.c_str()); }
    } remove{path};
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count <= 0) break;
        written += static_cast<size_t>(count);
    }
    ::close(descriptor);
    if (written != bytes.size())
        throw EInOutError("A temporary copy of \"" + fileName + "\" cannot be written");
    return readXls(path, choice, fileName);
}

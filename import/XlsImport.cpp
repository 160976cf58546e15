#include "import/XlsImport.h"

#include <freexl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
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

// The reading is handed from a child process to its parent as length-prefixed texts.
void putText(std::string& out, const std::string& text) {
    const std::uint64_t size = text.size();
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out += text;
}

class TTextReader {
  public:
    explicit TTextReader(const std::string& bytes) : m_bytes(bytes) {}
    std::string next() {
        std::uint64_t size = 0;
        if (m_bytes.size() - m_at < sizeof size) throw std::out_of_range("short");
        std::memcpy(&size, m_bytes.data() + m_at, sizeof size);
        m_at += sizeof size;
        if (m_bytes.size() - m_at < size) throw std::out_of_range("short");
        std::string text = m_bytes.substr(m_at, size);
        m_at += size;
        return text;
    }
    size_t count() { return std::stoul(next()); }

  private:
    const std::string& m_bytes;
    size_t m_at = 0;
};

// What the child sends: "O" and the workbook, or "E" and the message of what it threw.
std::string serialized(const std::string& path, const TSheetChoice& choice,
                       const std::string& fileName) {
    std::string out;
    try {
        const TWorkbookTable read = readXls(path, choice, fileName);
        putText(out, "O");
        putText(out, std::to_string(read.sheetNames.size()));
        for (const std::string& name : read.sheetNames)
            putText(out, name);
        putText(out, read.sheet);
        putText(out, std::to_string(read.table.columns.size()));
        for (const TCellColumn& column : read.table.columns) {
            putText(out, column.name);
            putText(out, column.date ? "1" : "0");
        }
        putText(out, std::to_string(read.table.rows.size()));
        for (const auto& row : read.table.rows)
            for (const std::string& text : row)
                putText(out, text);
    } catch (const std::exception& error) {
        out.clear();
        putText(out, "E");
        putText(out, error.what());
    }
    return out;
}

TWorkbookTable deserialized(const std::string& bytes) {
    TTextReader in(bytes);
    if (in.next() != "O") throw EConvertError(in.next());
    TWorkbookTable read;
    for (size_t i = in.count(); i > 0; --i)
        read.sheetNames.push_back(in.next());
    read.sheet = in.next();
    const size_t columns = in.count();
    for (size_t c = 0; c < columns; ++c) {
        TCellColumn column;
        column.name = in.next();
        column.date = in.next() == "1";
        read.table.columns.push_back(std::move(column));
    }
    for (size_t r = in.count(); r > 0; --r) {
        std::vector<std::string> row;
        for (size_t c = 0; c < columns; ++c)
            row.push_back(in.next());
        read.table.rows.push_back(std::move(row));
    }
    return read;
}

// Runs readXls in a child process: libfreexl has memory faults on some damaged files, which
// must cost the import, not the program. A child that dies or hangs is a damaged workbook.
TWorkbookTable readXlsApart(const std::string& path, const TSheetChoice& choice,
                            const std::string& fileName) {
    int channel[2];
    if (::pipe(channel) != 0) throw EInOutError("\"" + fileName + "\" cannot be read: no pipe");
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        throw EInOutError("\"" + fileName + "\" cannot be read: no process");
    }
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(120);  // a reading that never ends
        const std::string out = serialized(path, choice, fileName);
        size_t written = 0;
        while (written < out.size()) {
            const ssize_t count = ::write(channel[1], out.data() + written, out.size() - written);
            if (count <= 0) ::_exit(1);
            written += static_cast<size_t>(count);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string bytes;
    char buffer[1 << 16];
    ssize_t count = 0;
    while ((count = ::read(channel[0], buffer, sizeof buffer)) != 0) {
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) break;
        bytes.append(buffer, static_cast<size_t>(count));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const std::string damaged =
        "The workbook \"" + fileName + "\" is damaged: its reader stopped on it";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw EConvertError(damaged);
    try {
        return deserialized(bytes);
    } catch (const std::out_of_range&) {
        throw EConvertError(damaged);
    } catch (const std::invalid_argument&) {
        throw EConvertError(damaged);
    }
}

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
    return readXlsApart(path, choice, fileName);
}

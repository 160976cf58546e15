#include "core/RowTable.h"

#include <charconv>

#include "core/Win1250.h"

std::string rowCellText(const TRowCell& cell) {
    if (const auto* integer = std::get_if<long long>(&cell)) return std::to_string(*integer);
    if (const auto* real = std::get_if<double>(&cell)) {
        // Wide enough for the largest double in fixed notation.
        char buffer[400];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, *real, std::chars_format::fixed, 6);
        return std::string(buffer, result.ptr);
    }
    if (const auto* yes = std::get_if<bool>(&cell)) return *yes ? "yes" : "no";
    if (const auto* text = std::get_if<std::string>(&cell)) return win1250ToUtf8(*text);
    return "";
}

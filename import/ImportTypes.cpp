#include "import/ImportTypes.h"

#include <array>

#include "core/Win1250.h"

namespace {

constexpr std::array<TImportType, 6> kTypes = {TImportType::Set,      TImportType::Int,
                                               TImportType::Real,     TImportType::String,
                                               TImportType::Currency, TImportType::Date};

std::string range(const TImportColumn& column) {
    return std::to_string(column.low) + ".." + std::to_string(column.high);
}

}  // namespace

const char* importTypeText(TImportType type) {
    switch (type) {
        case TImportType::Set:
            return "SET";
        case TImportType::Int:
            return "INT";
        case TImportType::Real:
            return "REAL";
        case TImportType::Currency:
            return "CURRENCY";
        case TImportType::Date:
            return "DATE";
        case TImportType::String:
            break;
    }
    return "STRING";
}

std::optional<TImportType> importTypeFromText(const std::string& text) {
    const std::string upper = upperCase1250(text);
    for (TImportType type : kTypes) {
        if (upper == importTypeText(type)) return type;
    }
    return std::nullopt;
}

std::string importTypeSpec(const TImportColumn& column) {
    const std::string unknown =
        column.unknownCode >= 0 ? ":UNK=" + std::to_string(column.unknownCode) : "";
    switch (column.coding) {
        case TImportCoding::Labels:
        case TImportCoding::Intervals:
            return std::string(importTypeText(column.type)) + ":" + range(column) + unknown;
        case TImportCoding::Integers:
            return "INT:" + range(column) + unknown;
        case TImportCoding::Numbers:
            return std::string(importTypeText(column.type)) +
                   ":::" + std::to_string(column.boundaryCount());
        case TImportCoding::Text:
            break;
    }
    return column.type == TImportType::Date || column.date ? "DATE" : "STRING";
}

std::string distinctCountText(const TImportColumn& column) {
    return std::to_string(column.distinctCount) +
           (column.distinctCount >= kDistinctCountLimit ? "+" : "");
}

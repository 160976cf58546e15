#include "import/StatImport.h"

#include <readstat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "core/Errors.h"
#include "core/uTavObj.h"

namespace {

// The bytes of the file as readstat's input.
struct TMemoryInput {
    std::string_view bytes;
    readstat_off_t at = 0;
};

int openInput(const char*, void* context) {
    static_cast<TMemoryInput*>(context)->at = 0;
    return 0;
}

int closeInput(void*) {
    return 0;
}

readstat_off_t seekInput(readstat_off_t offset, readstat_io_flags_t whence, void* context) {
    auto* input = static_cast<TMemoryInput*>(context);
    const auto size = static_cast<readstat_off_t>(input->bytes.size());
    readstat_off_t base = 0;
    if (whence == READSTAT_SEEK_CUR) base = input->at;
    if (whence == READSTAT_SEEK_END) base = size;
    if (offset > size || offset < -size) return -1;
    const readstat_off_t target = base + offset;
    if (target < 0 || target > size) return -1;
    input->at = target;
    return target;
}

ssize_t readInput(void* buffer, size_t count, void* context) {
    auto* input = static_cast<TMemoryInput*>(context);
    const size_t left = input->bytes.size() - static_cast<size_t>(input->at);
    const size_t copied = std::min(count, left);
    if (copied == 0) return 0;  // readstat may ask for nothing into no buffer
    std::memcpy(buffer, input->bytes.data() + input->at, copied);
    input->at += static_cast<readstat_off_t>(copied);
    return static_cast<ssize_t>(copied);
}

readstat_error_t updateInput(long, readstat_progress_handler, void*, void*) {
    return READSTAT_OK;
}

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// One variable as the file declares it.
struct TVariable {
    std::string name;
    std::string labelSet;
    bool numeric = true;
    bool date = false;
    bool dateTime = false;
    std::vector<std::pair<double, double>> missingRanges;  // user-defined missing, numeric
    std::set<std::string> missingTexts;                    // user-defined missing, string
};

// A value label: its key as the cell text it names, and the key for ordering.
struct TValueLabel {
    double number = 0;
    std::string key;
    std::string label;
};

struct TRead {
    TImportFormat format = TImportFormat::Sav;
    std::string fileName;
    std::vector<TVariable> variables;
    std::map<std::string, std::vector<TValueLabel>> labelSets;
    std::vector<std::vector<std::string>> rows;
    std::string problem;  // why the reading stopped, for the user
    std::string libraryError;
    int version = 0;  // of the file format, from its metadata
};

bool isMissingCode(const TVariable& variable, double value) {
    for (const auto& [low, high] : variable.missingRanges)
        if (value >= low && value <= high) return true;
    return false;
}

std::optional<std::string> dateText(const TRead& read, const TVariable& variable, double value) {
    switch (read.format) {
        case TImportFormat::Sav:
        case TImportFormat::Por:
            return dayNumberText(value / 86400.0, 1582, 10, 14);
        case TImportFormat::Dta:
            return dayNumberText(variable.dateTime ? value / 86400000.0 : value, 1960, 1, 1);
        default:
            return dayNumberText(variable.dateTime ? value / 86400.0 : value, 1960, 1, 1);
    }
}

int onMetadata(readstat_metadata_t* metadata, void* context) {
    auto& read = *static_cast<TRead*>(context);
    if (read.format == TImportFormat::Sas7bdat &&
        readstat_get_compression(metadata) == READSTAT_COMPRESS_BINARY) {
        read.problem =
            "is compressed with SAS's binary compression, which cannot be read; save "
            "it without compression (or with character compression) to import it";
        return READSTAT_HANDLER_ABORT;
    }
    read.version = readstat_get_file_format_version(metadata);
    const int count = readstat_get_var_count(metadata);
    if (count > kMaxFields) {
        read.problem = "has " + std::to_string(count) + " variables; a table holds at most " +
                       std::to_string(kMaxFields) + " fields";
        return READSTAT_HANDLER_ABORT;
    }
    return READSTAT_HANDLER_OK;
}

int onVariable(int index, readstat_variable_t* variable, const char* labelSet, void* context) {
    auto& read = *static_cast<TRead*>(context);
    if (index != static_cast<int>(read.variables.size()) || index >= kMaxFields) {
        read.problem = "has more than " + std::to_string(kMaxFields) + " variables or is damaged";
        return READSTAT_HANDLER_ABORT;
    }
    TVariable declared;
    const char* name = readstat_variable_get_name(variable);
    declared.name = name != nullptr ? name : "";
    // readstat hands a Stata file's label list entry as it stands in the file, without a NUL
    // when the entry is full: read no further than the entry's width.
    if (labelSet != nullptr) {
        const size_t width = read.format != TImportFormat::Dta ? 256
                             : read.version >= 118             ? 129
                             : read.version >= 108             ? 33
                                                               : 9;
        declared.labelSet.assign(labelSet, strnlen(labelSet, width));
    }
    declared.numeric = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_NUMERIC;
    const char* format = readstat_variable_get_format(variable);
    declared.date = declared.numeric && format != nullptr &&
                    isStatDateFormat(read.format, format, declared.dateTime);
    const int ranges = readstat_variable_get_missing_ranges_count(variable);
    for (int i = 0; i < ranges; ++i) {
        const readstat_value_t low = readstat_variable_get_missing_range_lo(variable, i);
        const readstat_value_t high = readstat_variable_get_missing_range_hi(variable, i);
        if (declared.numeric) {
            declared.missingRanges.emplace_back(readstat_double_value(low),
                                                readstat_double_value(high));
        } else if (const char* text = readstat_string_value(low)) {
            declared.missingTexts.insert(text);
        }
    }
    read.variables.push_back(std::move(declared));
    return READSTAT_HANDLER_OK;
}

int onValueLabel(const char* set, readstat_value_t value, const char* label, void* context) {
    auto& read = *static_cast<TRead*>(context);
    // A label of an extended missing value names a missing value: no value name.
    if (set == nullptr || label == nullptr || readstat_value_is_tagged_missing(value) ||
        readstat_value_is_system_missing(value)) {
        return READSTAT_HANDLER_OK;
    }
    TValueLabel named;
    named.label = label;
    if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
        const char* key = readstat_string_value(value);
        named.key = key != nullptr ? key : "";
    } else {
        named.number = readstat_double_value(value);
        named.key = numberText(named.number);
    }
    auto& labels = read.labelSets[set];
    // A bound far above any SET field's values, so that a damaged file cannot take all memory.
    if (labels.size() < 100000) labels.push_back(std::move(named));
    return READSTAT_HANDLER_OK;
}

int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* context) {
    auto& read = *static_cast<TRead*>(context);
    const int index = readstat_variable_get_index(variable);
    if (row < 0 || index < 0 || index >= static_cast<int>(read.variables.size())) {
        read.problem = "is damaged: a value of an undeclared variable";
        return READSTAT_HANDLER_ABORT;
    }
    // Rows come in order; a later one starts a record.
    while (static_cast<int>(read.rows.size()) <= row) {
        if (read.rows.size() != static_cast<size_t>(row)) {
            read.problem = "is damaged: its records are out of order";
            return READSTAT_HANDLER_ABORT;
        }
        read.rows.emplace_back(read.variables.size());
    }
    const TVariable& declared = read.variables[static_cast<size_t>(index)];
    if (readstat_value_is_missing(value, variable)) return READSTAT_HANDLER_OK;
    std::string text;
    if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
        const char* string = readstat_string_value(value);
        text = string != nullptr ? string : "";
        if (declared.missingTexts.count(text) > 0) text.clear();
    } else {
        const double number = readstat_double_value(value);
        if (!std::isfinite(number) || isMissingCode(declared, number)) return READSTAT_HANDLER_OK;
        std::optional<std::string> date;
        if (declared.date) date = dateText(read, declared, number);
        text = date ? *date : numberText(number);
    }
    read.rows[static_cast<size_t>(row)][static_cast<size_t>(index)] = std::move(text);
    return READSTAT_HANDLER_OK;
}

void onError(const char* message, void* context) {
    auto& read = *static_cast<TRead*>(context);
    if (message != nullptr && read.libraryError.empty()) read.libraryError = message;
}

readstat_error_t parse(readstat_parser_t* parser, TImportFormat format, void* context) {
    switch (format) {
        case TImportFormat::Sav:
            return readstat_parse_sav(parser, "memory", context);
        case TImportFormat::Por:
            return readstat_parse_por(parser, "memory", context);
        case TImportFormat::Dta:
            return readstat_parse_dta(parser, "memory", context);
        case TImportFormat::Sas7bdat:
            return readstat_parse_sas7bdat(parser, "memory", context);
        default:
            return readstat_parse_xport(parser, "memory", context);
    }
}

// The value names of `variable` in code order, without those of its missing codes; the labelled
// values of its cells replaced by their names.
void applyLabels(TRead& read, size_t column, TCellColumn& cellColumn) {
    const TVariable& variable = read.variables[column];
    const auto found = read.labelSets.find(variable.labelSet);
    if (variable.labelSet.empty() || found == read.labelSets.end()) return;
    std::vector<TValueLabel> labels;
    for (const TValueLabel& label : found->second) {
        const bool missing = variable.numeric ? isMissingCode(variable, label.number)
                                              : variable.missingTexts.count(label.key) > 0;
        if (!missing) labels.push_back(label);
    }
    std::stable_sort(labels.begin(), labels.end(), [&](const auto& a, const auto& b) {
        return variable.numeric ? a.number < b.number : a.key < b.key;
    });
    if (labels.size() > static_cast<size_t>(kMaxValueCode)) {
        throw EConvertError("The variable " + variable.name + " of \"" + read.fileName +
                            "\" has a value label set of " + std::to_string(labels.size()) +
                            " values; a SET field holds at most " + std::to_string(kMaxValueCode));
    }
    std::map<std::string, std::string> names;
    std::vector<std::string> valueNames;
    for (const TValueLabel& label : labels) {
        if (names.emplace(label.key, label.label).second) valueNames.push_back(label.label);
    }
    for (auto& row : read.rows) {
        const auto name = names.find(row[column]);
        if (name != names.end()) row[column] = name->second;
    }
    cellColumn.valueNames = std::move(valueNames);
}

}  // namespace

bool isStatDateFormat(TImportFormat format, std::string_view displayFormat, bool& dateTime) {
    std::string upper;
    for (char c : displayFormat)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    dateTime = false;
    const auto startsWithAny = [&upper](std::initializer_list<std::string_view> prefixes) {
        for (std::string_view prefix : prefixes)
            if (upper.starts_with(prefix)) return true;
        return false;
    };
    switch (format) {
        case TImportFormat::Sav:
        case TImportFormat::Por:
            dateTime = startsWithAny({"DATETIME", "YMDHMS"});
            return dateTime || startsWithAny({"DATE", "ADATE", "EDATE", "SDATE", "JDATE"});
        case TImportFormat::Dta:
            dateTime = startsWithAny({"%TC", "%-TC"});
            return dateTime || startsWithAny({"%TD", "%-TD", "%D", "%-D"});
        default:
            dateTime = startsWithAny({"DATETIME", "E8601DT", "B8601DT", "DATEAMPM", "IS8601DT"});
            return dateTime || startsWithAny({"DATE", "MMDDYY", "DDMMYY", "YYMMDD", "E8601DA",
                                              "B8601DA", "IS8601DA", "WEEKDATE", "WORDDATE",
                                              "NLDATE", "EURDFDD", "MINGUO", "JULIAN"});
    }
}

TCellTable readStatFile(std::string_view bytes, TImportFormat format, const std::string& fileName) {
    TRead read;
    read.format = format;
    read.fileName = fileName;
    TMemoryInput input{bytes};
    readstat_parser_t* parser = readstat_parser_init();
    if (parser == nullptr) throw EConvertError("Out of memory reading \"" + fileName + "\"");
    struct TFree {
        readstat_parser_t* parser;
        ~TFree() { readstat_parser_free(parser); }
    } freeParser{parser};
    readstat_set_open_handler(parser, openInput);
    readstat_set_close_handler(parser, closeInput);
    readstat_set_seek_handler(parser, seekInput);
    readstat_set_read_handler(parser, readInput);
    readstat_set_update_handler(parser, updateInput);
    readstat_set_io_ctx(parser, &input);
    readstat_set_metadata_handler(parser, onMetadata);
    readstat_set_variable_handler(parser, onVariable);
    readstat_set_value_label_handler(parser, onValueLabel);
    readstat_set_value_handler(parser, onValue);
    readstat_set_error_handler(parser, onError);
    const readstat_error_t error = parse(parser, format, &read);
    if (!read.problem.empty()) throw EConvertError("The file \"" + fileName + "\" " + read.problem);
    if (error != READSTAT_OK) {
        throw EConvertError("The file \"" + fileName +
                            "\" cannot be read: " + readstat_error_message(error) +
                            (read.libraryError.empty() ? "" : " (" + read.libraryError + ")"));
    }
    if (read.variables.empty())
        throw EConvertError("The file \"" + fileName + "\" has no variables");
    TCellTable table;
    for (size_t c = 0; c < read.variables.size(); ++c) {
        TCellColumn column;
        column.name = read.variables[c].name;
        column.date = read.variables[c].date;
        applyLabels(read, c, column);
        table.columns.push_back(std::move(column));
    }
    table.rows = std::move(read.rows);
    return table;
}

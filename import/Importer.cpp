#include "import/Importer.h"

#include <fstream>
#include <iterator>
#include <set>

#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "import/ArffImport.h"
#include "import/CsvImport.h"
#include "import/ImportInference.h"
#include "import/ImportProgress.h"
#include "import/ImportText.h"

namespace {

void checkOptions(const TImportOptions& options) {
    if (options.delimiter != 0 && options.delimiter != ',' && options.delimiter != ';' &&
        options.delimiter != '\t') {
        throw EConvertError(std::string("The delimiter \"") + options.delimiter +
                            "\" cannot be used; take \",\", \";\" or a tab");
    }
    if (options.boundaries < 1 || options.boundaries > kMaxImportBoundaries) {
        throw EConvertError("The number of boundaries " + std::to_string(options.boundaries) +
                            " is outside 1.." + std::to_string(kMaxImportBoundaries));
    }
    if (options.setLimit < 1 || options.setLimit > kMaxValueCode) {
        throw EConvertError("The SET limit " + std::to_string(options.setLimit) +
                            " is outside 1.." + std::to_string(kMaxValueCode));
    }
    if (options.sample && options.sampleSize < 1) {
        throw EConvertError("A sample of " + std::to_string(options.sampleSize) +
                            " records cannot be drawn; take 1 or more");
    }
    if (options.intLimit < 1 || options.intLimit > kMaxIntLimit) {
        throw EConvertError("The INT limit " + std::to_string(options.intLimit) +
                            " is outside 1.." + std::to_string(kMaxIntLimit));
    }
}

std::string columnName(const TImportPlan& plan, int column) {
    return column >= 0 && column < static_cast<int>(plan.columns.size())
               ? plan.columns[column].name
               : "FIELD" + std::to_string(column + 1);
}

void addWarnings(TImportPlan& plan, const TTextDecoder& decoder) {
    // "COUNT WHAT became "?"; the first is in column NAME, line N".
    const auto replaced = [&plan](long long count, const std::string& what, int column,
                                  long long line) {
        plan.warnings.push_back(std::to_string(count) + what + " became \"?\"; the first is in " +
                                "column " + columnName(plan, column) + ", line " +
                                std::to_string(line));
    };
    if (decoder.malformedCount() > 0) {
        replaced(decoder.malformedCount(),
                 decoder.malformedCount() == 1 ? " byte sequence not in UTF-8"
                                               : " byte sequences not in UTF-8",
                 decoder.firstMalformedColumn(), decoder.firstMalformedLine());
    }
    if (decoder.replacedCount() > 0) {
        replaced(decoder.replacedCount(), " characters that Windows-1250 cannot hold",
                 decoder.firstReplacedColumn(), decoder.firstReplacedLine());
    }
    if (decoder.semicolonCount() > 0) {
        plan.warnings.push_back(std::to_string(decoder.semicolonCount()) +
                                " \";\" in the values became \",\", since \";\" separates the "
                                "values of a data file");
    }
}

}  // namespace

std::vector<std::string> importFieldNames(const std::vector<std::string>& sourceNames) {
    std::vector<std::string> names;
    std::set<std::string> used;
    for (size_t i = 0; i < sourceNames.size(); ++i) {
        std::string name;
        for (char c : upperCase1250(sourceNames[i])) {
            if (c != ';' && c != ':' && c != ',') name += c;
        }
        name = trimLeftBlanks(trimRightBlanks(name));
        if (name.empty()) name = "FIELD" + std::to_string(i + 1);
        std::string unique = name;
        for (int k = 2; used.count(unique) > 0; ++k)
            unique = name + "_" + std::to_string(k);
        used.insert(unique);
        names.push_back(unique);
    }
    return names;
}

TImportPlan inferImportBytes(const std::string& bytes, const std::string& fileName,
                             const TImportOptions& options, const ProgressHook& progress) {
    checkOptions(options);
    const std::string shownName = displayPath(fileName);
    TImportPlan plan;
    plan.sourcePath = fileName;
    plan.encoding = resolveEncoding(bytes, options.encoding, shownName);
    std::string_view text(bytes);
    if (plan.encoding == TImportEncoding::Utf8) text.remove_prefix(byteOrderMarkLength(text));
    plan.format = looksLikeArff(text) ? TImportFormat::Arff : TImportFormat::Csv;
    plan.delimiter = plan.format == TImportFormat::Arff ? ','
                     : options.delimiter != 0           ? options.delimiter
                                                        : detectDelimiter(text);
    plan.decimalComma = plan.delimiter != ',';
    plan.sampleSize = options.sample ? options.sampleSize : 0;
    plan.seed = options.seed;

    TTextDecoder decoder(plan.encoding);
    TSourceHeader header;
    TSourceSink sink;
    sink.header = [&](TSourceHeader&& read) {
        if (read.names.size() > static_cast<size_t>(kMaxFields)) {
            throw ELimitError(
                "The file \"" + shownName + "\" has " + std::to_string(read.names.size()) +
                " columns; a table holds at most " + std::to_string(kMaxFields) + " fields");
        }
        header = std::move(read);
    };
    sink.record = [&](std::vector<std::string>&& values, long long) {
        plan.records.push_back(std::move(values));
    };
    sink.warning = [&](std::string&& warning) { plan.warnings.push_back(std::move(warning)); };
    TImportProgress steps(progress);
    struct TDone {
        TImportProgress& steps;
        ~TDone() { steps.done(); }
    } done{steps};
    const size_t skipped = bytes.size() - text.size();
    if (progress) {
        sink.progress = [&](size_t read) {
            steps.report(static_cast<double>(skipped + read) / static_cast<double>(bytes.size()));
        };
    }
    if (plan.format == TImportFormat::Arff) {
        parseArff(text, decoder, shownName, sink);
    } else {
        parseCsv(text, plan.delimiter, decoder, shownName, sink, options.strict);
    }
    plan.recordsRead = static_cast<long long>(plan.records.size());
    if (plan.records.empty()) {
        throw EConvertError("The file \"" + shownName + "\" has no records below its header");
    }

    const std::vector<std::string> names = importFieldNames(header.names);
    for (size_t i = 0; i < names.size(); ++i) {
        TImportColumn column;
        column.sourceName = header.names[i];
        column.name = names[i];
        column.declaredValues = std::move(header.declaredValues[i]);
        const TColumnProfile profile =
            profileColumn(plan.records, static_cast<int>(i), plan.decimalComma);
        inferColumn(column, profile, options);
        plan.columns.push_back(std::move(column));
    }
    addWarnings(plan, decoder);
    return plan;
}

TImportPlan inferImport(const std::string& path, const TImportOptions& options,
                        const ProgressHook& progress) {
    // Read whole below: a named pipe would wait for a writer and a device never end.
    const std::string problem = dataFileProblem(path);
    if (!problem.empty()) throw EInOutError(problem);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EInOutError("The file \"" + displayPath(path) + "\" cannot be opened");
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (file.bad()) throw EInOutError("The file \"" + displayPath(path) + "\" cannot be read");
    return inferImportBytes(bytes, path, options, progress);
}

void setColumnType(TImportPlan& plan, int column, TImportType type, int boundaries) {
    if (column < 0 || column >= static_cast<int>(plan.columns.size())) {
        throw EListIndexError("The column " + std::to_string(column) + " is outside 0.." +
                              std::to_string(static_cast<int>(plan.columns.size()) - 1));
    }
    TImportColumn changed = plan.columns[column];
    codeColumnAs(changed, profileColumn(plan.records, column, plan.decimalComma), type, boundaries);
    plan.columns[column] = std::move(changed);
}

bool canBeClassColumn(const TImportColumn& column) {
    return column.type != TImportType::String;
}

int proposedClassColumn(const TImportPlan& plan) {
    const int last = static_cast<int>(plan.columns.size()) - 1;
    if (plan.format == TImportFormat::Arff && last >= 0 && canBeClassColumn(plan.columns[last]))
        return last;
    const long long records = plan.recordsRead;
    auto isIdentifier = [&](const TImportColumn& column) {
        const std::string& name = column.name;
        if (name == "ID" || name.ends_with("_ID") || name.starts_with("ID_")) return true;
        // A value per record tells records apart and says nothing about a class; with one
        // record every column would be one.
        const bool coded =
            column.coding == TImportCoding::Labels || column.coding == TImportCoding::Integers;
        return coded && records > 1 && column.distinctCount == records - column.missingCount;
    };
    int fallback = -1;
    for (int i = last; i >= 0; --i) {
        const TImportColumn& column = plan.columns[i];
        if (!canBeClassColumn(column)) continue;
        if (!isIdentifier(column)) return i;
        if (fallback < 0) fallback = i;
    }
    return fallback;
}

int importColumnIndex(const TImportPlan& plan, const std::string& name) {
    const std::string upper = upperCase1250(name);
    for (size_t i = 0; i < plan.columns.size(); ++i) {
        if (plan.columns[i].name == upper || plan.columns[i].sourceName == name)
            return static_cast<int>(i);
    }
    return -1;
}

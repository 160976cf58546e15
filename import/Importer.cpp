#include "import/Importer.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "import/ArffImport.h"
#include "import/CellTableSource.h"
#include "import/CsvImport.h"
#include "import/ImportInference.h"
#include "import/ImportPass.h"
#include "import/ImportProgress.h"
#include "import/ImportText.h"
#include "import/SqliteImport.h"

namespace {

// Thrown to stop reading once the start of a file is read.
struct TStartRead {};

void checkColumn(const TImportPlan& plan, int column) {
    if (column < 0 || column >= static_cast<int>(plan.columns.size())) {
        throw EListIndexError("The column " + std::to_string(column) + " is outside 0.." +
                              std::to_string(static_cast<int>(plan.columns.size()) - 1));
    }
}

// The column a choice names: a number from 0, else a name as importColumnIndex finds it.
int choiceColumn(const TImportPlan& plan, const std::string& text) {
    const int count = static_cast<int>(plan.columns.size());
    const std::string numbers = "0.." + std::to_string(count - 1);
    if (isDecimalDigits(text)) {
        if (text.size() <= 9 && std::stoi(text) < count) return std::stoi(text);
        throw EConvertError("There is no column " + text + ": the columns are numbered " + numbers);
    }
    const int found = importColumnIndex(plan, text);
    if (found < 0) {
        throw EConvertError("There is no column \"" + text +
                            "\": name a column of the header or give its number, " + numbers);
    }
    return found;
}

bool hasIntervals(TImportType type) {
    return type == TImportType::Int || type == TImportType::Real || type == TImportType::Currency;
}

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

constexpr size_t kDetectionBytes = 4 << 20;

// The first bytes of the source: the format, the delimiter and a first guess of the encoding come
// from them.
std::string sourceStart(const TImportPlan& plan) {
    std::string start;
    try {
        readImportSource(plan, [&start](std::string_view piece) {
            if (start.size() < kDetectionBytes)
                start.append(piece.substr(0, kDetectionBytes - start.size()));
            // Enough read: the rest of the file is not needed here.
            if (start.size() >= kDetectionBytes) throw TStartRead{};
        });
    } catch (const TStartRead&) {
    }
    return start;
}

// The records of one pass over the source, profiled column by column.
struct TProfilePass {
    explicit TProfilePass(TImportEncoding encoding) : decoder(encoding) {}
    TTextDecoder decoder;
    TSourceHeader header;
    std::vector<TColumnProfiler> profilers;
    long long records = 0;
    std::vector<std::string> warnings;
};

// Parses the source of `plan` with `encoding`, profiling every column; `piece` sees every byte.
std::unique_ptr<TProfilePass> profileSource(const TImportPlan& plan, TImportEncoding encoding,
                                            const std::function<void(std::string_view)>& piece,
                                            const ProgressHook& progress) {
    auto pass = std::make_unique<TProfilePass>(encoding);
    const std::string shownName = displayPath(plan.sourcePath);
    TSourceSink sink;
    sink.header = [&](TSourceHeader&& read) {
        if (read.names.size() > static_cast<size_t>(kMaxFields)) {
            throw ELimitError(
                "The file \"" + shownName + "\" has " + std::to_string(read.names.size()) +
                " columns; a table holds at most " + std::to_string(kMaxFields) + " fields");
        }
        pass->header = std::move(read);
        for (size_t i = 0; i < pass->header.names.size(); ++i)
            pass->profilers.emplace_back(plan.decimalComma, kDefaultSampleSeed + i);
    };
    sink.record = [&](std::vector<std::string>&& values, long long) {
        ++pass->records;
        for (size_t i = 0; i < values.size(); ++i)
            pass->profilers[i].add(values[i]);
    };
    sink.warning = [&](std::string&& warning) { pass->warnings.push_back(std::move(warning)); };
    TImportProgress steps(progress);
    if (progress) {
        const double size = static_cast<double>(std::max(1LL, plan.sourceSize));
        sink.progress = [&, size](size_t read) {
            steps.report(static_cast<double>(plan.skippedBytes + read) / size);
        };
    }
    parseImportSource(plan, pass->decoder, sink, piece);
    return pass;
}

// The plan's columns from the header and the profiles of a pass, each with its inferred type;
// a column the source marks as dates (a workbook's or a statistics file's) is one.
void addInferredColumns(TImportPlan& plan, TProfilePass& pass, const TImportOptions& options) {
    const TSourceHeader& header = pass.header;
    const std::vector<std::string> names = importFieldNames(header.names);
    for (size_t i = 0; i < names.size(); ++i) {
        TImportColumn column;
        column.sourceName = header.names[i];
        column.name = names[i];
        column.declaredValues = header.declaredValues[i];
        column.date = i < header.dates.size() && header.dates[i];
        plan.profiles.push_back(pass.profilers[i].finish());
        inferColumn(column, plan.profiles.back(), options);
        plan.columns.push_back(std::move(column));
    }
}

// The plan of a workbook or a statistics file: read whole to decide its format by content and to
// resolve the sheet, then profiled as a CSV file is.
TImportPlan inferCellTable(TImportPlan plan, TImportFormat detected, const TImportOptions& options,
                           const ProgressHook& progress) {
    const std::string shownName = displayPath(plan.sourcePath);
    if (options.skipRows < 0) {
        throw EConvertError("The rows to skip " + std::to_string(options.skipRows) +
                            " cannot be fewer than 0");
    }
    plan.encoding = TImportEncoding::Utf8;
    plan.strict = options.strict;
    plan.sampleSize = options.sample ? options.sampleSize : 0;
    plan.seed = options.seed;
    plan.skipRows = options.skipRows;
    {
        std::string bytes;
        readImportSource(plan, [&bytes](std::string_view piece) { bytes.append(piece); });
        plan.format = wholeCellTableFormat(bytes, detected, shownName);
        const TWorkbookTable read =
            readCellTable(bytes, plan.format, {options.sheet, options.skipRows}, shownName);
        plan.sheet = read.sheet;
        plan.sheetNames = read.sheetNames;
    }
    std::unique_ptr<TProfilePass> pass = profileSource(plan, plan.encoding, {}, progress);
    plan.recordsRead = pass->records;
    if (plan.recordsRead == 0) {
        throw EConvertError("The file \"" + shownName + "\" has no records below its header");
    }
    addInferredColumns(plan, *pass, options);
    addWarnings(plan, pass->decoder);
    return plan;
}

// The plan of a source whose path (and bytes, when in memory) and size are set.
TImportPlan inferSource(TImportPlan plan, const TImportOptions& options,
                        const ProgressHook& progress) {
    checkOptions(options);
    const std::string shownName = displayPath(plan.sourcePath);
    TImportProgress done(progress);
    struct TDone {
        TImportProgress& steps;
        ~TDone() { steps.done(); }
    } whenDone{done};

    const std::string start = sourceStart(plan);
    if (const auto format = detectCellTableFormat(start, plan.sourcePath))
        return inferCellTable(std::move(plan), *format, options, progress);
    const bool wholeStart = static_cast<long long>(start.size()) == plan.sourceSize;
    // The encoding is decided on the whole file, and the records are profiled as they are read:
    // decoded as the start of the file suggests, and once more in the rare file whose later bytes
    // decide otherwise.
    TImportEncoding guess = options.encoding;
    try {
        TEncodingCensus census;
        census.add(start);
        guess = census.decide(options.encoding, shownName);
    } catch (const EConvertError&) {
        if (wholeStart) throw;
        if (guess == TImportEncoding::Detect) guess = TImportEncoding::Win1250;
    }
    const bool utf8 =
        options.encoding == TImportEncoding::Utf8 || options.encoding == TImportEncoding::Detect;
    plan.skippedBytes = utf8 ? byteOrderMarkLength(start) : 0;
    const std::string_view text = std::string_view(start).substr(plan.skippedBytes);
    plan.format = looksLikeArff(text) ? TImportFormat::Arff : TImportFormat::Csv;
    plan.delimiter = plan.format == TImportFormat::Arff ? ','
                     : options.delimiter != 0           ? options.delimiter
                                                        : detectDelimiter(text);
    plan.decimalComma = plan.delimiter != ',';
    plan.strict = options.strict;
    plan.sampleSize = options.sample ? options.sampleSize : 0;
    plan.seed = options.seed;
    plan.options = options;

    TEncodingCensus census;
    std::unique_ptr<TProfilePass> pass;
    try {
        pass = profileSource(
            plan, guess, [&census](std::string_view piece) { census.add(piece); }, progress);
    } catch (const ETavError&) {
        // A binary or UTF-16 file is refused as such, whatever its bytes did to the parser.
        TEncodingCensus whole;
        readImportSource(plan, [&whole](std::string_view piece) { whole.add(piece); });
        whole.decide(options.encoding, shownName);
        throw;
    }
    plan.encoding = census.decide(options.encoding, shownName);
    if (plan.encoding != guess) pass = profileSource(plan, plan.encoding, {}, progress);

    plan.recordsRead = pass->records;
    if (plan.recordsRead == 0) {
        throw EConvertError("The file \"" + shownName + "\" has no records below its header");
    }
    plan.warnings = std::move(pass->warnings);
    addInferredColumns(plan, *pass, options);
    addWarnings(plan, pass->decoder);
    return plan;
}

}  // namespace

TImportPlan inferDatabaseImport(const TDatabaseSource& source, const TImportOptions& options,
                                const ProgressHook& progress) {
    checkOptions(options);
    if (source.kind != TDatabaseKind::Sqlite)
        throw EConvertError("Only a SQLite database is read into the table");
    TImportProgress done(progress);
    struct TDone {
        TImportProgress& steps;
        ~TDone() { steps.done(); }
    } whenDone{done};
    TImportPlan plan;
    plan.sourcePath = source.location;
    plan.format = TImportFormat::Sqlite;
    plan.database = source;
    plan.encoding = TImportEncoding::Utf8;
    plan.sampleSize = options.sample ? options.sampleSize : 0;
    plan.seed = options.seed;
    plan.options = options;
    // The rows of a table stand for the bytes of a file in the progress; a query's are unknown.
    plan.sourceSize = sqliteRowCount(source);
    std::unique_ptr<TProfilePass> pass =
        profileSource(plan, plan.encoding, {}, plan.sourceSize > 0 ? progress : ProgressHook());
    plan.recordsRead = pass->records;
    if (plan.recordsRead == 0)
        throw EConvertError(utf8ToWin1250(displayText(source)) +
                            ": the result has no rows; nothing to read");
    plan.warnings = std::move(pass->warnings);
    addInferredColumns(plan, *pass, options);
    addWarnings(plan, pass->decoder);
    return plan;
}

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
    TImportPlan plan;
    plan.sourcePath = fileName;
    plan.sourceBytes = std::make_shared<const std::string>(bytes);
    plan.sourceSize = static_cast<long long>(bytes.size());
    return inferSource(std::move(plan), options, progress);
}

TImportPlan inferImport(const std::string& path, const TImportOptions& options,
                        const ProgressHook& progress) {
    const std::string problem = dataFileProblem(path);
    if (!problem.empty()) throw EInOutError(problem);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) throw EInOutError("The file \"" + displayPath(path) + "\" cannot be opened");
    TImportPlan plan;
    plan.sourcePath = path;
    plan.sourceSize = static_cast<long long>(size);
    return inferSource(std::move(plan), options, progress);
}

void setColumnType(TImportPlan& plan, int column, TImportType type, int boundaries) {
    TImportColumnChoice choice;
    choice.type = type;
    if (hasIntervals(type) && boundaries != plan.options.boundaries)
        choice.bins = TImportBins{boundaries, {}};
    chooseColumn(plan, column, choice);
}

void chooseColumn(TImportPlan& plan, int column, const TImportColumnChoice& choice) {
    checkColumn(plan, column);
    TImportColumn changed = plan.columns[column];
    codeColumnChosen(changed, plan.profiles.at(static_cast<size_t>(column)), choice, plan.options);
    changed.choice = choice;
    plan.columns[column] = std::move(changed);
    if (plan.classColumn == column && !canBeClassColumn(plan.columns[column]))
        plan.classColumn = -1;
}

void setClassColumn(TImportPlan& plan, int column) {
    if (column != -1) {
        checkColumn(plan, column);
        const TImportColumn& chosen = plan.columns[column];
        if (chosen.choice.ignored)
            throw EConvertError("Column " + chosen.name + " is ignored: it cannot be the class");
        if (!canBeClassColumn(chosen)) {
            throw EConvertError("Column " + chosen.name + " cannot be the class: a " +
                                importTypeText(chosen.type) + " field has no values to count");
        }
    }
    plan.classColumn = column;
}

void applyImportChoices(TImportPlan& plan, const TImportChoiceTexts& choices) {
    std::vector<TImportColumnChoice> chosen(plan.columns.size());
    for (const auto& [name, keyword] : choices.types) {
        const int i = choiceColumn(plan, name);
        const std::string& column = plan.columns[i].name;
        const std::optional<TImportType> type = importTypeFromText(keyword);
        if (!type) {
            throw EConvertError("Column " + column + ": \"" + keyword +
                                "\" is none of SET, INT, REAL, CURRENCY, DATE and STRING");
        }
        if (chosen[i].type) {
            throw EConvertError("Column " + column + " is given two types, " +
                                importTypeText(*chosen[i].type) + " and " + importTypeText(*type));
        }
        chosen[i].type = type;
    }
    for (const auto& [name, text] : choices.bins) {
        const int i = choiceColumn(plan, name);
        const std::string& column = plan.columns[i].name;
        const std::optional<TImportBins> bins = importBinsFromText(text);
        if (!bins) {
            throw EConvertError("Column " + column + ": \"" + text +
                                "\" is neither a number of boundaries nor boundaries such as "
                                "20,40,60");
        }
        if (chosen[i].bins) throw EConvertError("Column " + column + " is given bins twice");
        chosen[i].bins = bins;
    }
    for (const std::string& name : choices.ignored)
        chosen[choiceColumn(plan, name)].ignored = true;
    if (std::all_of(chosen.begin(), chosen.end(),
                    [](const TImportColumnChoice& c) { return c.ignored; })) {
        throw EConvertError("Every column is ignored: there is nothing to import");
    }
    // Applied to copies, so that a choice refused leaves the plan as it was.
    std::vector<TImportColumn> columns = plan.columns;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (chosen[i].empty()) continue;
        codeColumnChosen(columns[i], plan.profiles.at(i), chosen[i], plan.options);
        columns[i].choice = chosen[i];
    }
    std::swap(plan.columns, columns);
    try {
        setClassColumn(plan, choices.classColumn ? choiceColumn(plan, *choices.classColumn)
                                                 : plan.classColumn);
    } catch (...) {
        std::swap(plan.columns, columns);
        throw;
    }
}

bool canBeClassColumn(const TImportColumn& column) {
    return column.type != TImportType::String && column.type != TImportType::Date &&
           !column.choice.ignored;
}

int importFieldIndex(const TImportPlan& plan, int column) {
    if (column < 0 || column >= static_cast<int>(plan.columns.size()) ||
        plan.columns[column].choice.ignored) {
        return -1;
    }
    int field = 0;
    for (int i = 0; i < column; ++i)
        field += plan.columns[i].choice.ignored ? 0 : 1;
    return field;
}

std::vector<std::vector<std::string>> importPreviewRows(const TImportPlan& plan, int count) {
    std::vector<std::vector<std::string>> rows;
    if (count <= 0) return rows;
    TTextDecoder decoder(plan.encoding);
    TSourceSink sink;
    sink.header = [](TSourceHeader&&) {};
    sink.record = [&rows, count](std::vector<std::string>&& values, long long) {
        rows.push_back(std::move(values));
        // Enough read: the rest of the file is not needed here.
        if (static_cast<int>(rows.size()) >= count) throw TStartRead{};
    };
    sink.warning = [](std::string&&) {};
    try {
        parseImportSource(plan, decoder, sink);
    } catch (const TStartRead&) {
    }
    return rows;
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

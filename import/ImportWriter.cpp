#include "import/ImportWriter.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "core/DataFileOrigin.h"
#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/Sha256.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"
#include "import/ImportInference.h"
#include "import/ImportPass.h"
#include "import/ImportProgress.h"
#include "import/ImportRecipe.h"
#include "import/ImportSampler.h"
#include "import/ImportText.h"

namespace {

const char kLineEnd[] = "\r\n";

// How many label lines a column needs: one per code of a SET or INT, one per boundary of a REAL.
int labelLinesOf(const TImportColumn& column) {
    switch (column.coding) {
        case TImportCoding::Labels:
        case TImportCoding::Integers:
        case TImportCoding::Intervals:
            return column.high - column.low + 1;
        case TImportCoding::Numbers:
            return column.boundaryCount();
        case TImportCoding::Text:
            break;
    }
    return 0;
}

// Label line j (from 1) of a column: the name of code low + j - 1, or boundary j.
std::string labelOf(const TImportColumn& column, int j) {
    if (j > labelLinesOf(column)) return "";
    switch (column.coding) {
        case TImportCoding::Labels:
            return column.labels[j - 1];
        case TImportCoding::Integers:
            return std::to_string(column.low + j - 1);
        case TImportCoding::Intervals:
            return intervalLabel(column, j);
        case TImportCoding::Numbers:
            return column.boundaryTexts[j - 1];
        case TImportCoding::Text:
            break;
    }
    return "";
}

// Writes the value of one column of a record.
class TValueWriter {
  public:
    TValueWriter(const TImportColumn& column, bool decimalComma)
        : m_column(column), m_decimalComma(decimalComma) {
        for (size_t k = 0; k < column.labels.size(); ++k)
            m_codes.emplace(column.labels[k], static_cast<int>(k) + 1);
    }

    std::string text(const std::string& value) const {
        const bool missing = isMissingValue(value);
        switch (m_column.coding) {
            case TImportCoding::Labels: {
                const auto found = m_codes.find(value);
                return std::to_string(missing || found == m_codes.end() ? 0 : found->second);
            }
            case TImportCoding::Integers:
                if (missing) return std::to_string(m_column.unknownCode);
                return std::to_string(std::llround(number(value)));
            case TImportCoding::Intervals:
                if (missing) return "0";
                return std::to_string(intervalCode(m_column.boundaries, number(value)));
            case TImportCoding::Numbers:
                // The reader takes the first "," as the decimal separator, as written here.
                return value;
            case TImportCoding::Text:
                break;
        }
        return missing ? std::string() : value;
    }

  private:
    double number(const std::string& value) const {
        return importNumber(value, m_decimalComma).value_or(0);
    }

    const TImportColumn& m_column;
    bool m_decimalComma;
    std::unordered_map<std::string, int> m_codes;
};

std::string joined(const std::vector<std::string>& items) {
    std::string line;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) line += ';';
        line += items[i];
    }
    return line;
}

// Whether the plan keeps fewer records than it read.
bool keepsASample(const TImportPlan& plan) {
    return plan.sampleSize > 0 && plan.sampleSize < plan.recordsRead;
}

// The columns the data file holds: all but the ignored ones.
std::vector<const TImportColumn*> writtenColumns(const TImportPlan& plan) {
    std::vector<const TImportColumn*> columns;
    for (const TImportColumn& column : plan.columns) {
        if (!column.choice.ignored) columns.push_back(&column);
    }
    return columns;
}

int labelLineCount(const TImportPlan& plan) {
    int count = 0;
    for (const TImportColumn* column : writtenColumns(plan))
        count = std::max(count, labelLinesOf(*column));
    return count;
}

}  // namespace

namespace {

constexpr size_t kFlushBytes = 1 << 16;

// Writes the data file of `plan` piece by piece, reading the records from its source again.
void writeDataFile(const TImportPlan& plan, const TByteSink& append, const ProgressHook& progress) {
    std::string text = importHeaderText(plan);
    // One writer per column of the source, null for an ignored one.
    std::vector<std::unique_ptr<TValueWriter>> writers;
    writers.reserve(plan.columns.size());
    for (const TImportColumn& column : plan.columns) {
        writers.push_back(column.choice.ignored
                              ? nullptr
                              : std::make_unique<TValueWriter>(column, plan.decimalComma));
    }

    const bool sample = keepsASample(plan);
    const std::vector<long long> kept =
        sample ? samplePositions(plan.recordsRead, plan.sampleSize, plan.seed)
               : std::vector<long long>();
    TImportProgress steps(progress);
    const double total =
        static_cast<double>(std::max(1LL, sample ? plan.sampleSize : plan.recordsRead));
    long long read = 0;
    size_t nextKept = 0;
    long long written = 0;
    TSourceSink sink;
    sink.header = [](TSourceHeader&&) {};
    sink.record = [&](std::vector<std::string>&& record, long long) {
        const long long position = read++;
        if (sample) {
            if (nextKept >= kept.size() || kept[nextKept] != position) return;
            ++nextKept;
        }
        // A record of another width means the file is not the one profiled.
        if (record.size() != writers.size()) {
            throw EConvertError("The file \"" + displayPath(plan.sourcePath) +
                                "\" changed while it was imported; import it again");
        }
        bool first = true;
        for (size_t i = 0; i < writers.size(); ++i) {
            if (!writers[i]) continue;
            if (!first) text += ';';
            first = false;
            text += writers[i]->text(record[i]);
        }
        text += kLineEnd;
        if (text.size() >= kFlushBytes) {
            append(text);
            text.clear();
        }
        steps.report(static_cast<double>(++written) / total);
    };
    sink.warning = [](std::string&&) {};
    TTextDecoder decoder(plan.encoding);
    parseImportSource(plan, decoder, sink);
    if (read != plan.recordsRead) {
        throw EConvertError("The file \"" + displayPath(plan.sourcePath) +
                            "\" changed while it was imported; import it again");
    }
    append(text);
}

// Writes the origin file beside the data file: where it came from and how, so that findings
// computed on it name the user's own table.
void writeImportOrigin(const TImportPlan& plan, const std::string& outPath) {
    TDataFileOrigin origin;
    origin.dataSha256 = sha256OfFile(outPath).value_or("");
    origin.originalPath = originalPathFromDataFile(plan.sourcePath, outPath);
    origin.originalSha256 = plan.sourceBytes ? sha256Hex(*plan.sourceBytes)
                                             : sha256OfFile(plan.sourcePath).value_or("");
    std::vector<std::string> arguments = importRecipeArguments(importRecipe(plan));
    // A database file says which of its tables (or which query) became the data file.
    if (plan.database) {
        const TDatabaseSource& source = *plan.database;
        arguments.insert(arguments.begin(),
                         {source.query.empty() ? "--table" : "--query",
                          shellWord(source.query.empty() ? source.table : source.query)});
    }
    for (const std::string& arg : arguments)
        origin.importArguments += (origin.importArguments.empty() ? "" : " ") + arg;
    writeDataFileOrigin(outPath, origin);
}

}  // namespace

std::string importHeaderText(const TImportPlan& plan) {
    const int labelLines = labelLineCount(plan);
    const std::vector<const TImportColumn*> columns = writtenColumns(plan);
    std::string text = "TAV DATA:" + std::to_string(labelLines) + "/TXT/1250" + kLineEnd;
    std::vector<std::string> items;
    for (const TImportColumn* column : columns)
        items.push_back(column->name);
    text += joined(items) + kLineEnd;
    items.clear();
    for (const TImportColumn* column : columns)
        items.push_back(importTypeSpec(*column));
    text += joined(items) + kLineEnd;
    for (int j = 1; j <= labelLines; ++j) {
        items.clear();
        for (const TImportColumn* column : columns)
            items.push_back(labelOf(*column, j));
        text += joined(items) + kLineEnd;
    }
    return text;
}

std::string importDataText(const TImportPlan& plan, const ProgressHook& progress) {
    std::string text;
    writeDataFile(
        plan, [&text](std::string_view bytes) { text.append(bytes); }, progress);
    return text;
}

TImportSummary writeImport(const TImportPlan& plan, const std::string& outPath,
                           const ProgressHook& progress) {
    const std::string shown = displayPath(outPath);
    std::error_code ignored;
    if (std::filesystem::equivalent(outPath, plan.sourcePath, ignored)) {
        throw EInOutError("The data file \"" + shown +
                          "\" would replace the file being imported; choose another name");
    }
    try {
        TImportProgress steps(progress);
        struct TDone {
            TImportProgress& steps;
            ~TDone() { steps.done(); }
        } whenDone{steps};
        replaceFileStreamed(
            outPath, [&](const TByteSink& append) { writeDataFile(plan, append, progress); });
    } catch (const EInOutError& error) {
        throw EInOutError("The data file \"" + shown + "\" cannot be written: " + error.what());
    }
    writeImportOrigin(plan, outPath);
    TImportSummary summary;
    summary.outputPath = outPath;
    summary.fieldCount = static_cast<int>(writtenColumns(plan).size());
    summary.labelLineCount = labelLineCount(plan);
    summary.recordsRead = plan.recordsRead;
    summary.sampled = keepsASample(plan);
    summary.recordsKept = summary.sampled ? plan.sampleSize : plan.recordsRead;
    summary.seed = plan.seed;
    summary.warnings = plan.warnings;
    return summary;
}

std::string importedDataFilePath(const std::string& sourcePath) {
    std::filesystem::path path(sourcePath);
    path.replace_extension();
    return path.string() + "-tav.CSV";
}

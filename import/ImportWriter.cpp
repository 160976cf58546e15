#include "import/ImportWriter.h"

#include <cmath>
#include <filesystem>
#include <unordered_map>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"
#include "import/ImportInference.h"
#include "import/ImportPass.h"
#include "import/ImportProgress.h"
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

int labelLineCount(const TImportPlan& plan) {
    int count = 0;
    for (const TImportColumn& column : plan.columns)
        count = std::max(count, labelLinesOf(column));
    return count;
}

}  // namespace

namespace {

constexpr size_t kFlushBytes = 1 << 16;

// Writes the data file of `plan` piece by piece, reading the records from its source again.
void writeDataFile(const TImportPlan& plan, const TByteSink& append, const ProgressHook& progress) {
    const int labelLines = labelLineCount(plan);
    std::string text = "TAV DATA:" + std::to_string(labelLines) + "/TXT/1250" + kLineEnd;
    std::vector<std::string> items;
    for (const TImportColumn& column : plan.columns)
        items.push_back(column.name);
    text += joined(items) + kLineEnd;
    items.clear();
    for (const TImportColumn& column : plan.columns)
        items.push_back(importTypeSpec(column));
    text += joined(items) + kLineEnd;
    for (int j = 1; j <= labelLines; ++j) {
        items.clear();
        for (const TImportColumn& column : plan.columns)
            items.push_back(labelOf(column, j));
        text += joined(items) + kLineEnd;
    }
    std::vector<TValueWriter> writers;
    writers.reserve(plan.columns.size());
    for (const TImportColumn& column : plan.columns)
        writers.emplace_back(column, plan.decimalComma);

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
        for (size_t i = 0; i < writers.size(); ++i) {
            if (i > 0) text += ';';
            text += writers[i].text(record[i]);
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

}  // namespace

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
    TImportSummary summary;
    summary.outputPath = outPath;
    summary.fieldCount = static_cast<int>(plan.columns.size());
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

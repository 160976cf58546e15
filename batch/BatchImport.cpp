#include "batch/BatchImport.h"

#include <cstdint>
#include <optional>

#include "batch/BatchCommands.h"
#include "batch/BatchOptions.h"
#include "import/Importer.h"

namespace {

// A whole decimal number in min..max, or a usage error naming the option.
std::int64_t wholeNumber(const std::string& option, const std::string& text, std::int64_t min,
                         std::int64_t max) {
    std::int64_t value = 0;
    bool digits = !text.empty() && text.size() <= 18;
    for (char c : text) {
        digits = digits && c >= '0' && c <= '9';
        if (digits) value = value * 10 + (c - '0');
    }
    if (!digits || value < min || value > max) {
        throw EBatchUsage{option + ": \"" + text + "\" is not a whole number in " +
                          std::to_string(min) + ".." + std::to_string(max)};
    }
    return value;
}

char delimiterOf(const std::string& text) {
    if (text == "," || text == ";" || text == "\t") return text[0];
    if (text == "tab" || text == "\\t") return '\t';
    throw EBatchUsage{"--delimiter: \"" + text + "\" is none of \",\", \";\" and \"tab\""};
}

TImportEncoding encodingOf(const std::string& text) {
    if (text == "utf8" || text == "utf-8") return TImportEncoding::Utf8;
    if (text == "1250") return TImportEncoding::Win1250;
    throw EBatchUsage{"--encoding: \"" + text + "\" is neither utf8 nor 1250"};
}

struct TImportArguments {
    std::vector<std::string> files;
    TImportOptions options;
};

TImportArguments parseImportArguments(const std::vector<std::string>& args) {
    TImportArguments parsed;
    std::vector<std::string> seen;
    bool seed = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            parsed.files.push_back(arg);
            continue;
        }
        for (const std::string& option : seen) {
            if (option == arg) throw EBatchUsage{arg + ": given twice"};
        }
        seen.push_back(arg);
        if (arg == "--sample") {
            parsed.options.sample = true;
            continue;
        }
        if (arg != "--delimiter" && arg != "--encoding" && arg != "--boundaries" &&
            arg != "--set-limit" && arg != "--seed") {
            throw EBatchUsage{arg + ": not an option of import"};
        }
        if (i + 1 >= args.size()) throw EBatchUsage{arg + ": the value is missing"};
        const std::string& value = args[++i];
        if (arg == "--delimiter") parsed.options.delimiter = delimiterOf(value);
        if (arg == "--encoding") parsed.options.encoding = encodingOf(value);
        if (arg == "--boundaries") {
            parsed.options.boundaries =
                static_cast<int>(wholeNumber(arg, value, 1, kMaxImportBoundaries));
        }
        if (arg == "--set-limit")
            parsed.options.setLimit = static_cast<int>(wholeNumber(arg, value, 1, 127));
        if (arg == "--seed") {
            parsed.options.seed =
                static_cast<std::uint64_t>(wholeNumber(arg, value, 0, 999'999'999'999'999'999));
            seed = true;
        }
    }
    if (seed && !parsed.options.sample) throw EBatchUsage{"--seed: given without --sample"};
    if (parsed.files.size() < 2) throw EBatchUsage{"the input and the output file are needed"};
    if (parsed.files.size() > 2)
        throw EBatchUsage{"\"" + parsed.files[2] + "\": one file too many"};
    return parsed;
}

void printColumns(const TImportPlan& plan, const TBatchOutput& io) {
    io.printLine("Field\tName\tType\tDistinct\tMissing\tBoundaries\tType spec");
    for (size_t i = 0; i < plan.columns.size(); ++i) {
        const TImportColumn& column = plan.columns[i];
        io.printLine(std::to_string(i) + "\t" + column.name + "\t" + importTypeText(column.type) +
                     "\t" + std::to_string(column.distinctCount) + "\t" +
                     std::to_string(column.missingCount) + "\t" +
                     std::to_string(column.boundaryCount()) + "\t" + importTypeSpec(column));
    }
}

}  // namespace

std::string batchImportUsage() {
    return "usage: tav-batch import IN OUT [--delimiter ,|;|tab] [--encoding utf8|1250]\n"
           "                             [--boundaries N] [--set-limit N] [--sample [--seed S]]\n"
           "  writes the data file OUT from a plain CSV, TSV or ARFF file IN and prints the\n"
           "  inferred field types\n";
}

int runImport(const std::vector<std::string>& args, const TBatchOutput& io) {
    TImportArguments parsed;
    try {
        parsed = parseImportArguments(args);
    } catch (const EBatchUsage& usage) {
        io.printError("tav-batch import: " + usage.message);
        io.err << batchImportUsage();
        return kExitUsage;
    }
    const TImportPlan plan = inferImport(parsed.files[0], parsed.options);
    const TImportSummary summary = writeImport(plan, parsed.files[1]);
    printColumns(plan, io);
    for (const std::string& warning : summary.warnings)
        io.printError(warning);
    if (summary.sampled) {
        io.printError("A random sample of " + std::to_string(summary.recordsKept) + " of the " +
                      std::to_string(summary.recordsRead) + " records read, seed " +
                      std::to_string(summary.seed));
    }
    return kExitOk;
}

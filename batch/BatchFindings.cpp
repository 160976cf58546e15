#include "batch/BatchFindings.h"

#include <optional>
#include <sstream>

#include "batch/BatchCommands.h"
#include "batch/BatchOptions.h"
#include "core/Win1250.h"
#include "session/uTavSession.h"

namespace {

// The options of findings that the shared parser does not know, taken out of the arguments.
struct TFindingsArguments {
    std::optional<std::string> classField;
    std::optional<std::string> target;
    int minCount = 5;
    TFindingsSort sort = TFindingsSort::Score;
    TFindingsFormat format = TFindingsFormat::Tsv;
    bool sentences = false;
    std::vector<std::string> rest;  // for parseBatchOptions
};

bool isDigits(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

TFindingsArguments takeFindingsArguments(const std::vector<std::string>& args) {
    TFindingsArguments taken;
    std::vector<std::string> seen;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const bool own = arg == "--class" || arg == "--target" || arg == "--min-count" ||
                         arg == "--sort" || arg == "--format" || arg == "--sentences";
        if (!own) {
            taken.rest.push_back(arg);
            continue;
        }
        for (const std::string& earlier : seen) {
            if (earlier == arg) throw EBatchUsage{arg + ": given twice"};
        }
        seen.push_back(arg);
        if (arg == "--sentences") {
            taken.sentences = true;
            continue;
        }
        if (k + 1 >= args.size()) throw EBatchUsage{arg + ": a value is missing"};
        const std::string& value = args[++k];
        if (arg == "--class") {
            taken.classField = value;
        } else if (arg == "--target") {
            taken.target = value;
        } else if (arg == "--min-count") {
            if (!isDigits(value)) throw EBatchUsage{arg + ": \"" + value + "\" is not a count"};
            taken.minCount = std::stoi(value);
        } else if (arg == "--sort") {
            if (value == "score")
                taken.sort = TFindingsSort::Score;
            else if (value == "p")
                taken.sort = TFindingsSort::P;
            else if (value == "diff")
                taken.sort = TFindingsSort::Diff;
            else
                throw EBatchUsage{arg + ": \"" + value + "\" is none of score, p and diff"};
        } else {
            if (value == "tsv")
                taken.format = TFindingsFormat::Tsv;
            else if (value == "csv")
                taken.format = TFindingsFormat::Csv;
            else if (value == "md")
                taken.format = TFindingsFormat::Markdown;
            else
                throw EBatchUsage{arg + ": \"" + value + "\" is none of tsv, csv and md"};
        }
    }
    if (!taken.classField) throw EBatchUsage{"--class: the class field is missing"};
    if (!taken.target) throw EBatchUsage{"--target: the class value is missing"};
    return taken;
}

// A field by its index or its name (compared upper-cased, as the reader keeps names).
int classFieldOf(const TBaza& data, const std::string& text) {
    const int field =
        isDigits(text) ? std::stoi(text) : data.fieldIndex(upperCase1250(utf8ToWin1250(text)));
    if (field < 0 || field >= data.FieldCount()) {
        throw EBatchUsage{"--class: \"" + text + "\" is no field of the file (0.." +
                          std::to_string(data.FieldCount() - 1) + " or a field's name)"};
    }
    return field;
}

// A value by its code (digits) or by its label, compared upper-cased.
int targetOf(const TBaza& data, int field, const std::string& text) {
    if (isDigits(text)) {
        const int code = std::stoi(text);
        if (code <= kMaxValueCode && data.valueSet(field, code) != nullptr) return code;
    } else {
        const std::string wanted = upperCase1250(utf8ToWin1250(text));
        for (int code = 0; code <= kMaxValueCode; ++code) {
            if (data.valueSet(field, code) != nullptr &&
                upperCase1250(data.valueName(field, code)) == wanted) {
                return code;
            }
        }
    }
    throw EBatchUsage{"--target: \"" + text + "\" is no value of the field " +
                      win1250ToUtf8(data.fieldName(field))};
}

}  // namespace

int runFindings(const std::vector<std::string>& args, const TBatchOutput& io) {
    const TFindingsArguments taken = takeFindingsArguments(args);
    const TBatchOptions options =
        parseBatchOptions(taken.rest, {"--mprior", "--m", "--signif", "--context", "--select"});
    TSessionHooks hooks;
    hooks.showMessage = [&io](const std::string& message) { io.printError(message); };
    TTavSession session(hooks);
    session.setWritesSummaryReport(false);
    bool contextFailed = false;
    int target = 0;
    // As the other exploration commands: settings before the load, so that the sets get m.
    session.runAsOneCommand([&] {
        resetStatSettings();
        if (options.mPrior) session.setSetting(TSetting::MPrior, *options.mPrior);
        if (options.m) session.setSetting(TSetting::MParam, *options.m);
        if (options.signif) session.setSetting(TSetting::SignificancePct, *options.signif);
        session.loadDataFile(options.file);
        const TBaza& data = *session.CurrentData();
        const int classField = classFieldOf(data, *taken.classField);
        target = targetOf(data, classField, *taken.target);
        session.selectFields(selectedFields(options.select.value_or("all"), data.FieldCount()));
        session.setClassFieldDeselected(classField);
        if (options.context) {
            session.updateContext(*options.context);
            contextFailed = !session.contextError().empty();
        }
    });
    // The session has shown the message; a script must not get numbers for other records.
    if (contextFailed) return kExitError;

    const TFindings findings = session.computeFindings(target, taken.minCount, taken.sort);
    if (taken.sentences) {
        std::istringstream lines(findingsText(findings, session.findingsProvenance()));
        for (std::string line; std::getline(lines, line);)
            io.printLine(line);
        return kExitOk;
    }
    io.out << exportFindings(findings, taken.format) << '\n';
    io.printLine(multiplicityLine(findings));
    return kExitOk;
}

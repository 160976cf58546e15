#include "batch/BatchOptions.h"

#include <cmath>

#include "core/TextUtils.h"

namespace {

double plainNumber(const std::string& option, const std::string& text) {
    const std::optional<double> value = tryParsePlainDecimal(text);
    if (!value) throw EBatchUsage{option + ": \"" + text + "\" is not a plain decimal number"};
    return *value;
}

int plainIndex(const std::string& option, const std::string& text) {
    bool digits = !text.empty() && text.size() <= 9;
    for (char c : text)
        digits = digits && c >= '0' && c <= '9';
    if (!digits) throw EBatchUsage{option + ": \"" + text + "\" is not an index"};
    return std::stoi(text);
}

std::vector<int> indexList(const std::string& option, const std::string& text) {
    std::vector<int> indexes;
    std::string rest = text;
    do {
        auto [head, tail] = splitHead(rest, ',');
        indexes.push_back(plainIndex(option, head));
        rest = tail;
    } while (!rest.empty());
    return indexes;
}

}  // namespace

TBatchOptions parseBatchOptions(const std::vector<std::string>& args,
                                const std::set<std::string>& allowed) {
    TBatchOptions options;
    std::set<std::string> seen;
    bool haveFile = false;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg.rfind("--", 0) != 0) {
            if (haveFile) throw EBatchUsage{"more than one file given: \"" + arg + "\""};
            options.file = arg;
            haveFile = true;
            continue;
        }
        if (allowed.count(arg) == 0) throw EBatchUsage{arg + ": not an option of this command"};
        if (!seen.insert(arg).second) throw EBatchUsage{arg + ": given twice"};
        if (arg == "--rank") {
            options.rank = true;
            continue;
        }
        if (arg == "--progress") {
            options.progress = true;
            continue;
        }
        if (k + 1 >= args.size()) throw EBatchUsage{arg + ": a value is missing"};
        const std::string& value = args[++k];
        if (arg == "--mprior") {
            options.mPrior = plainNumber(arg, value);
        } else if (arg == "--m") {
            options.m = plainNumber(arg, value);
        } else if (arg == "--signif") {
            options.signif = plainNumber(arg, value);
        } else if (arg == "--context") {
            options.context = value;
        } else if (arg == "--compare1") {
            options.compare1 = value;
        } else if (arg == "--compare2") {
            options.compare2 = value;
        } else if (arg == "--select") {
            if (value != "all" && value != "none") indexList(arg, value);
            options.select = value;
        } else if (arg == "--hide") {
            options.hide = indexList(arg, value);
            for (int code : options.hide) {
                if (code > 127)
                    throw EBatchUsage{"--hide: the code " + std::to_string(code) +
                                      " is outside 0..127"};
            }
        } else if (arg == "--class") {
            // A number is the field's index, anything else its name.
            const bool number =
                !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
            if (number) {
                options.classField = plainIndex(arg, value);
            } else {
                options.className = value;
            }
        } else if (arg == "--rule") {
            options.rule = plainIndex(arg, value);
        }
    }
    if (!haveFile) throw EBatchUsage{"no file given"};
    return options;
}

std::vector<int> selectedFields(const std::string& select, int fieldCount) {
    std::vector<int> fields;
    if (select == "none") return fields;
    if (select == "all") {
        for (int i = 0; i < fieldCount; ++i)
            fields.push_back(i);
        return fields;
    }
    fields = indexList("--select", select);
    for (int i : fields) {
        if (i >= fieldCount) {
            throw EBatchUsage{"--select: the field " + std::to_string(i) + " is outside 0.." +
                              std::to_string(fieldCount - 1)};
        }
    }
    return fields;
}

#include "batch/BatchOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "batch/BatchText.h"
#include "core/Errors.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"

namespace {

double plainNumber(const std::string& option, const std::string& text) {
    const std::optional<double> value = tryParsePlainDecimal(text);
    if (!value) throw EBatchUsage{option + ": \"" + text + "\" is not a plain decimal number"};
    return *value;
}

// A value of m or m(prior): a plain decimal number in 0.01..1000000, the window's range, or a usage
// error naming the option (the session would raise a smaller one to 0.01 without a word).
double mSetting(const std::string& option, const std::string& text) {
    const double value = plainNumber(option, text);
    if (!(value >= 0.01 && value <= 1000000))
        throw EBatchUsage{option + ": \"" + text + "\" is not a number in 0.01..1000000"};
    return value;
}

int plainIndex(const std::string& option, const std::string& text) {
    if (!isDecimalDigits(text) || text.size() > 9)
        throw EBatchUsage{option + ": \"" + text + "\" is not an index"};
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

// The items of a comma-separated list, or a usage error naming the option for an empty one.
std::vector<std::string> listItems(const std::string& option, const std::string& text) {
    std::vector<std::string> items;
    std::string rest = text;
    do {
        auto [head, tail] = splitHead(rest, ',');
        if (head.empty()) throw EBatchUsage{option + ": \"" + text + "\" has an empty item"};
        items.push_back(head);
        rest = tail;
    } while (!rest.empty());
    if (!text.empty() && text.back() == ',')
        throw EBatchUsage{option + ": \"" + text + "\" has an empty item"};
    return items;
}

// The first and last field of a --select item that is a number or a range, none for a name.
// An item that starts with a digit and holds a "-" is meant as a range and must be one.
std::optional<std::pair<int, int>> selectItemRange(const std::string& option,
                                                   const std::string& item) {
    if (isDecimalDigits(item)) {
        const int index = plainIndex(option, item);
        return std::pair{index, index};
    }
    const size_t dash = item.find('-');
    if (item.empty() || !std::isdigit(static_cast<unsigned char>(item[0])) ||
        dash == std::string::npos) {
        return std::nullopt;
    }
    const std::string low = item.substr(0, dash), high = item.substr(dash + 1);
    const bool numbers =
        isDecimalDigits(low) && isDecimalDigits(high) && low.size() <= 9 && high.size() <= 9;
    if (!numbers || std::stoi(low) > std::stoi(high)) {
        throw EBatchUsage{option + ": \"" + item +
                          "\" is not a range of field numbers (low-high, as 3-7)"};
    }
    return std::pair{std::stoi(low), std::stoi(high)};
}

// A whole decimal number in min..max, or a usage error naming the option.
std::int64_t wholeNumber(const std::string& option, const std::string& text, std::int64_t min,
                         std::int64_t max) {
    const bool digits = isDecimalDigits(text) && text.size() <= 18;
    const std::int64_t value = digits ? std::stoll(text) : 0;
    if (!digits || value < min || value > max) {
        throw EBatchUsage{option + ": \"" + text + "\" is not a whole number in " +
                          std::to_string(min) + ".." + std::to_string(max)};
    }
    return value;
}

// The value among `names` (listed in the message as "a, b and c"), as its position.
size_t oneOf(const std::string& option, const std::string& text,
             const std::vector<std::string>& names) {
    const auto found = std::find(names.begin(), names.end(), text);
    if (found != names.end()) return static_cast<size_t>(found - names.begin());
    std::string listed;
    for (size_t i = 0; i < names.size(); ++i)
        listed += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    throw EBatchUsage{option + ": \"" + text + "\" is none of " + listed};
}

// "COLUMN=VALUE" split at its last "=" (a column name may hold one), or a usage error naming the
// option and the form it takes.
std::pair<std::string, std::string> columnAndValue(const std::string& option,
                                                   const std::string& text,
                                                   const std::string& form) {
    const size_t at = text.rfind('=');
    if (at == std::string::npos || at == 0 || at + 1 == text.size())
        throw EBatchUsage{option + ": \"" + text + "\" is not " + form};
    return {text.substr(0, at), text.substr(at + 1)};
}

using TOptions = TBatchOptions;
using TText = const std::string&;

// Options with one placeholder and help text each. The import's values read as they did in its
// own parser: several spellings of the tab and of UTF-8.
const std::vector<TBatchOption> kOptions = {
    {"--class",
     "N|NAME",
     "the class field: its number or its name",
     [](TOptions& o, TText, TText v) {
         // A number is the field's index, anything else its name.
         if (isDecimalDigits(v)) {
             o.classField = plainIndex("--class", v);
         } else {
             o.className = v;
         }
     },
     {},
     "the class field"},
    {"--rule", "R|NAME", "the simple rule by number in creation order or name (default 0)",
     [](TOptions& o, TText opt, TText v) {
         // A number is the rule's row, anything else its name as the Simple rules grid shows it.
         if (isDecimalDigits(v)) {
             o.rule = plainIndex(opt, v);
         } else {
             o.ruleName = v;
         }
     }},
    {"--rank", "", "rank the simple rules by their entropy gain first",
     [](TOptions& o, TText, TText) { o.rank = true; }},
    {"--target",
     "CODE|LABEL",
     "the class value: its code or its label",
     [](TOptions& o, TText, TText v) { o.target = v; },
     {},
     "the class value"},
    {"--min-count", "N", "the fewest records of a ranked finding (default 5)",
     [](TOptions& o, TText opt, TText v) {
         if (!isDecimalDigits(v) || v.size() > 9)
             throw EBatchUsage{opt + ": \"" + v + "\" is not a count"};
         o.minCount = std::stoi(v);
     }},
    {"--sort", "score|p|diff", "the order of the findings (default score)",
     [](TOptions& o, TText opt, TText v) {
         const TFindingsSort sorts[] = {TFindingsSort::Score, TFindingsSort::P,
                                        TFindingsSort::Diff};
         o.sort = sorts[oneOf(opt, v, {"score", "p", "diff"})];
     }},
    {"--format", "tsv|csv|md", "the findings table as TSV, CSV or Markdown (default tsv)",
     [](TOptions& o, TText opt, TText v) {
         const TFindingsFormat formats[] = {TFindingsFormat::Tsv, TFindingsFormat::Csv,
                                            TFindingsFormat::Markdown};
         o.format = formats[oneOf(opt, v, {"tsv", "csv", "md"})];
     }},
    {"--sentences", "", "a reproducible header and one sentence per flagged finding",
     [](TOptions& o, TText, TText) { o.sentences = true; }},
    {"--conditions", "1|2", "rules of one condition or pairs of two (default 1)",
     [](TOptions& o, TText opt, TText v) {
         o.conditions = static_cast<int>(oneOf(opt, v, {"1", "2"})) + 1;
     }},
    {"--top", "N", "with --conditions 2: how many pairs are listed (default 200)",
     [](TOptions& o, TText opt, TText v) {
         o.top = static_cast<int>(wholeNumber(opt, v, 1, 1000000));
     },
     "--conditions"},
    {"--mprior", "X", "the m(prior) setting, 0.01 to 1000000",
     [](TOptions& o, TText opt, TText v) { o.mPrior = mSetting(opt, v); }},
    {"--m", "X", "the m setting, 0.01 to 1000000",
     [](TOptions& o, TText opt, TText v) { o.m = mSetting(opt, v); }},
    {"--signif", "X", "the significance level in %",
     [](TOptions& o, TText opt, TText v) { o.signif = plainNumber(opt, v); }},
    {"--context", "EXPR", "the context filter", [](TOptions& o, TText, TText v) { o.context = v; }},
    {"--compare1", "EXPR", "the first compare filter",
     [](TOptions& o, TText, TText v) { o.compare1 = v; }},
    {"--compare2", "EXPR", "the second compare filter",
     [](TOptions& o, TText, TText v) { o.compare2 = v; }},
    {"--select", "all|none|LIST", "the selected fields (LIST: numbers, names, ranges as 1,AGE,3-7)",
     [](TOptions& o, TText opt, TText v) {
         // The names need the table; the numbers and ranges are checked here already.
         if (v != "all" && v != "none") {
             for (const std::string& item : listItems(opt, v))
                 selectItemRange(opt, item);
         }
         o.select = v;
     }},
    {"--hide", "LIST", "the class value codes whose rows are hidden",
     [](TOptions& o, TText opt, TText v) {
         o.hide = indexList(opt, v);
         for (int code : o.hide) {
             if (code > 127)
                 throw EBatchUsage{opt + ": the code " + std::to_string(code) +
                                   " is outside 0..127"};
         }
     }},
    {"--progress", "", "progress lines on standard error as the work goes on",
     [](TOptions& o, TText, TText) { o.progress = true; }},
    {"--threads", "N", "the threads of the counting passes (default: one per core)",
     [](TOptions& o, TText opt, TText v) {
         o.threads = static_cast<int>(wholeNumber(opt, v, 1, 1024));
     }},
    {"--session", "FILE", "start from a saved session; FILE may then be left out",
     [](TOptions& o, TText, TText v) { o.session = v; }},
    {"--html",
     "FILE",
     "the HTML report to write",
     [](TOptions& o, TText, TText v) { o.html = v; },
     {},
     "the report file"},
    {"--db", "URL", "in place of FILE: sqlite:///PATH or postgresql://...",
     [](TOptions& o, TText, TText v) { o.db = v; }},
    {"--table", "NAME", "the table to read (of --db, or of import's SQLite file IN)",
     [](TOptions& o, TText, TText v) { o.table = v; }},
    {"--query", "SQL", "a SELECT whose rows are the table (of --db or SQLite IN)",
     [](TOptions& o, TText, TText v) { o.query = v; }},
    {"--delimiter", ",|;|tab", "the delimiter of IN (default: detected)",
     [](TOptions& o, TText opt, TText v) {
         if (v == "," || v == ";" || v == "\t") {
             o.import.delimiter = v[0];
         } else if (v == "tab" || v == "\\t") {
             o.import.delimiter = '\t';
         } else {
             throw EBatchUsage{opt + ": \"" + v + "\" is none of \",\", \";\" and \"tab\""};
         }
     }},
    {"--encoding", "utf8|1250", "the encoding of IN (default: detected)",
     [](TOptions& o, TText opt, TText v) {
         if (v == "utf8" || v == "utf-8") {
             o.import.encoding = TImportEncoding::Utf8;
         } else if (v == "1250") {
             o.import.encoding = TImportEncoding::Win1250;
         } else {
             throw EBatchUsage{opt + ": \"" + v + "\" is neither utf8 nor 1250"};
         }
     }},
    {"--boundaries", "N", "interval boundaries of REAL and interval INT fields (default 4)",
     [](TOptions& o, TText opt, TText v) {
         o.import.boundaries = static_cast<int>(wholeNumber(opt, v, 1, kMaxImportBoundaries));
     }},
    {"--set-limit", "N", "the most distinct texts of a SET field (default 127)",
     [](TOptions& o, TText opt, TText v) {
         o.import.setLimit = static_cast<int>(wholeNumber(opt, v, 1, 127));
     }},
    {"--int-limit", "N", "the most distinct whole numbers of an INT field (default 12)",
     [](TOptions& o, TText opt, TText v) {
         o.import.intLimit = static_cast<int>(wholeNumber(opt, v, 1, kMaxIntLimit));
     }},
    {"--strict", "", "refuse a row with fewer values than the header (default: filled)",
     [](TOptions& o, TText, TText) { o.import.strict = true; }},
    {"--sample", "", "keep a random sample of the records (65,001 unless --sample-size)",
     [](TOptions& o, TText, TText) { o.import.sample = true; }},
    {"--sample-size", "N", "the records the sample keeps (all of a smaller table)",
     [](TOptions& o, TText opt, TText v) {
         o.import.sampleSize = wholeNumber(opt, v, 1, 999'999'999'999'999'999);
     },
     "--sample"},
    {"--seed", "S", "the seed of the sample (default 1)",
     [](TOptions& o, TText opt, TText v) {
         o.import.seed =
             static_cast<std::uint64_t>(wholeNumber(opt, v, 0, 999'999'999'999'999'999));
     },
     "--sample"},
    {"--sheet", "NAME|N", "the sheet of a workbook: its name or number (default: the first)",
     [](TOptions& o, TText, TText v) { o.import.sheet = v; }},
    {"--skip", "N", "the rows of a workbook above its header row (default 0)",
     [](TOptions& o, TText opt, TText v) {
         o.import.skipRows = static_cast<int>(wholeNumber(opt, v, 0, 1'000'000));
     }},
    {"--type",
     "COLUMN=TYPE",
     "a column's type: SET INT REAL CURRENCY DATE STRING (repeatable)",
     [](TOptions& o, TText opt, TText v) {
         auto [column, type] = columnAndValue(opt, v, "COLUMN=TYPE");
         o.importChoices.types.emplace_back(argumentTo1250(opt, column), type);
     },
     {},
     {},
     true},
    {"--bins",
     "COLUMN=N|B1,B2,...",
     "a column's N quantile or given boundaries (repeatable)",
     [](TOptions& o, TText opt, TText v) {
         auto [column, bins] = columnAndValue(opt, v, "COLUMN=N or COLUMN=B1,B2,...");
         o.importChoices.bins.emplace_back(argumentTo1250(opt, column), bins);
     },
     {},
     {},
     true},
    {"--ignore",
     "COLUMN",
     "a column left out of the data file (repeatable)",
     [](TOptions& o, TText opt, TText v) {
         o.importChoices.ignored.push_back(argumentTo1250(opt, v));
     },
     {},
     {},
     true},
};

}  // namespace

const std::vector<TBatchOption>& batchOptions() {
    return kOptions;
}

const TBatchOption* findBatchOption(std::string_view name) {
    for (const TBatchOption& option : kOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

TBatchOptions parseBatchOptions(const std::vector<std::string>& args,
                                const std::vector<std::string_view>& taken,
                                const std::vector<std::string_view>& required, int fileCount,
                                bool filesOptional) {
    TBatchOptions options;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg.rfind("--", 0) != 0) {
            const bool database = std::find(args.begin(), args.end(), "--db") != args.end();
            if (database && fileCount == 1) {
                throw EBatchUsage{"--db: the database's table takes the place of FILE; \"" + arg +
                                  "\" is one file too many"};
            }
            if (static_cast<int>(options.files.size()) == fileCount - (database ? 1 : 0)) {
                throw EBatchUsage{fileCount == 1 ? "more than one file given: \"" + arg + "\""
                                                 : "\"" + arg + "\": one file too many"};
            }
            options.files.push_back(arg);
            continue;
        }
        const TBatchOption* option = findBatchOption(arg);
        if (option == nullptr || std::find(taken.begin(), taken.end(), arg) == taken.end())
            throw EBatchUsage{arg + ": not an option of this command"};
        if (!options.given.insert(arg).second && !option->repeatable)
            throw EBatchUsage{arg + ": given twice"};
        if (option->placeholder.empty()) {
            option->take(options, arg, "");
            continue;
        }
        if (k + 1 >= args.size()) throw EBatchUsage{arg + ": a value is missing"};
        option->take(options, arg, args[++k]);
    }
    for (const std::string& name : options.given) {
        const std::string_view needs = findBatchOption(name)->needs;
        if (!needs.empty() && options.given.count(std::string(needs)) == 0)
            throw EBatchUsage{name + ": given without " + std::string(needs)};
    }
    for (std::string_view name : required) {
        if (options.given.count(std::string(name)) == 0) {
            throw EBatchUsage{std::string(name) + ": " +
                              std::string(findBatchOption(name)->whenMissing) + " is missing"};
        }
    }
    const bool tableOrQuery = options.table || options.query;
    const std::string tableOption = options.table ? "--table" : "--query";
    // Import's IN may be the SQLite file itself, so that its origin file names a command that
    // works: "tav-batch import bank.db OUT --table loans".
    if (tableOrQuery && !options.db && fileCount != 2)
        throw EBatchUsage{tableOption + ": given without --db"};
    if (options.db) {
        try {
            options.database = parseDatabaseSource(*options.db, options.table.value_or(""),
                                                   options.query.value_or(""));
        } catch (const ETavError& refused) {
            throw EBatchUsage{"--db: " + utf8ToWin1250(refused.what())};
        }
    }
    const int filesWanted = fileCount - (options.db ? 1 : 0);
    const bool noneAllowed = (filesOptional || filesWanted == 0) && options.files.empty();
    if (static_cast<int>(options.files.size()) < filesWanted && !noneAllowed)
        throw EBatchUsage{fileCount == 1 ? "no file given"
                          : options.db   ? "the output file is needed"
                                         : "the input and the output file are needed"};
    if (tableOrQuery && !options.db) {
        if (options.table && options.query)
            throw EBatchUsage{"--table: give either a table or a query, not both"};
        options.database = TDatabaseSource{TDatabaseKind::Sqlite,
                                           options.files.at(0),
                                           options.table.value_or(""),
                                           options.query.value_or(""),
                                           {}};
    }
    return options;
}

std::vector<int> selectedFields(const std::string& select, const TBaza& data) {
    std::vector<int> fields;
    const int fieldCount = data.FieldCount();
    if (select == "none") return fields;
    if (select == "all") {
        for (int i = 0; i < fieldCount; ++i)
            fields.push_back(i);
        return fields;
    }
    for (const std::string& item : listItems("--select", select)) {
        const std::optional<std::pair<int, int>> range = selectItemRange("--select", item);
        if (!range) {
            const int index = data.fieldIndex(upperCase1250(item));
            if (index < 0)
                throw EBatchUsage{"--select: the table has no field named \"" + item + "\""};
            fields.push_back(index);
            continue;
        }
        if (range->second >= fieldCount) {
            throw EBatchUsage{"--select: the field " + std::to_string(range->second) +
                              " is outside 0.." + std::to_string(fieldCount - 1)};
        }
        for (int i = range->first; i <= range->second; ++i)
            fields.push_back(i);
    }
    return fields;
}

#include "stats/uTavEvalRun.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "core/FileCheck.h"
#include "core/FileReplace.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "stats/uTavBeta.h"

namespace {

// Row 0 holds all data lines, row k the lines of class k.
struct TEvalRow {
    std::string label;
    double count = 0;
    std::vector<double> sums;
};

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(';', start);
        if (end == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

// A short line's missing fields are empty, so their values count as 0.
std::string fieldAt(const std::vector<std::string>& fields, size_t k) {
    return k < fields.size() ? fields[k] : std::string();
}

bool isBlankLine(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

std::string place(size_t line, size_t column) {
    return "Line " + std::to_string(line + 1) + ", column " + std::to_string(column + 1) + ": ";
}

// A field quoted for a message, cut so that a runaway field cannot flood the message box.
std::string quoted(const std::string& text) {
    constexpr size_t kShown = 40;
    return "\"" + (text.size() <= kShown ? text : text.substr(0, kShown) + "...") + "\"";
}

// The number of the class named `name` (trimmed, any letter case), registered at the end when it
// is new.
size_t classNumber(std::vector<TEvalRow>& rows, const std::string& name, size_t columns,
                   size_t line) {
    const std::string key = upperCase1250(trimRightBlanks(trimLeftBlanks(name)));
    for (size_t k = 1; k < rows.size(); ++k) {
        if (rows[k].label == key) return k;
    }
    if (rows.size() > kMaxEvalClasses) {
        throw EEvalRunError(place(line, 0) + "the class " + quoted(key) +
                            " is one too many; a run holds at most " +
                            std::to_string(kMaxEvalClasses) + " classes.");
    }
    rows.push_back({key, 0, std::vector<double>(columns, 0.0)});
    return rows.size() - 1;
}

std::string lineOf(const std::string& label, const std::vector<double>& values, int decimals) {
    std::string line = label;
    for (double x : values)
        line += ";" + formatNumber(7, decimals, x);
    return line;
}

}  // namespace

std::vector<std::string> evaluationRunLines(const std::vector<std::string>& lines, double mPrior,
                                            double m) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '%') break;
        out.push_back(line);
    }
    if (out.empty()) {
        throw EEvalRunError(place(0, 0) +
                            (lines.empty() ? "the file is empty" : "the file begins with \"%\"") +
                            ", it has no header line naming the value columns.");
    }

    const std::vector<std::string> header = splitFields(out[0]);
    size_t columns = 0;
    while (columns + 1 < header.size() && !header[columns + 1].empty())
        ++columns;
    if (columns > kMaxEvalColumns) {
        throw EEvalRunError(place(0, kMaxEvalColumns + 1) + "the header names more than " +
                            std::to_string(kMaxEvalColumns) + " value columns.");
    }

    std::vector<TEvalRow> rows{{"Skupaj", 0, std::vector<double>(columns, 0.0)}};
    for (size_t r = 1; r < out.size(); ++r) {
        // A blank line would otherwise become a class without a name.
        if (isBlankLine(out[r])) continue;
        const std::vector<std::string> fields = splitFields(out[r]);
        const size_t k = classNumber(rows, fields[0], columns, r);
        rows[0].count += 1;
        rows[k].count += 1;
        for (size_t i = 0; i < columns; ++i) {
            const std::string text = fieldAt(fields, i + 1);
            const double x = parseReal(text);
            // Percentages above 100 would make the beta parameters negative.
            if (!(x >= 0 && x <= 100)) {
                throw EEvalRunError(place(r, i + 1) + "the value " + quoted(text) +
                                    " is not a percentage from 0 to 100.");
            }
            rows[0].sums[i] += x;
            rows[k].sums[i] += x;
        }
    }
    if (rows[0].count == 0) {
        throw EEvalRunError(place(1, 0) +
                            "there are no data lines below the header, nothing to evaluate.");
    }

    out.push_back("%");
    out.push_back("prior m;" + formatNumber(7, 3, mPrior));
    out.push_back("m;" + formatNumber(7, 3, m));
    for (const TEvalRow& row : rows) {
        std::vector<double> means(columns);
        for (size_t i = 0; i < columns; ++i)
            means[i] = row.sums[i] / row.count;
        out.push_back(lineOf(row.label, means, 2));
    }
    out.push_back("");

    std::vector<std::vector<TBeta>> betas(rows.size(), std::vector<TBeta>(columns));
    for (size_t t = 0; t < rows.size(); ++t) {
        std::vector<double> means(columns), alphas(columns), betaValues(columns), above(columns);
        for (size_t i = 0; i < columns; ++i) {
            TBeta& b = betas[t][i];
            if (t == 0) {
                b.Alpha = 0.75 * mPrior;
                b.Beta = 0.25 * mPrior;
            } else {
                const double m0 = betas[0][i].Mean();
                b.Alpha = m0 * m;
                b.Beta = (1 - m0) * m;
            }
            // The percentages summed and divided by 100 count the successes.
            b.Alpha = b.Alpha + rows[t].sums[i] / 100;
            b.Beta = b.Beta + rows[t].count - rows[t].sums[i] / 100;
            means[i] = 100 * b.Mean();
            alphas[i] = b.Alpha;
            betaValues[i] = b.Beta;
            if (t == 2) above[i] = 100 * betas[2][i].ProbAbove(betas[1][i]);
        }
        out.push_back(lineOf(rows[t].label, means, 2));
        out.push_back(lineOf(".alpha", alphas, 2));
        out.push_back(lineOf(".beta", betaValues, 2));
        if (t == 2) out.push_back(lineOf(" p(r2>r1)", above, 2));
    }
    return out;
}

std::string evaluationRunText(const std::string& content, double mPrior, double m) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    std::string text;
    for (const std::string& line : evaluationRunLines(lines, mPrior, m))
        text += line + "\r\n";
    return text;
}

namespace {

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

std::string readWholeFile(const std::string& path) {
    TFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw EInOutError("The file \"" + displayPath(path) +
                          "\" could not be opened: " + std::strerror(errno));
    }
    std::string content;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        content.append(buffer, got);
    if (std::ferror(file.get())) {
        throw EInOutError("The file \"" + displayPath(path) +
                          "\" could not be read: " + std::strerror(errno));
    }
    return content;
}

// What tells that another program wrote to the file: its size and modification time.
struct TFileState {
    bool exists = false;
    off_t size = 0;
    timespec modified{};
    nlink_t links = 0;
    bool operator==(const TFileState& o) const {
        return exists == o.exists && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec;
    }
};

TFileState fileState(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, st.st_size, st.st_mtim, st.st_nlink};
}

}  // namespace

void performEvaluationRun(const std::string& path, double mPrior, double m) {
    // Checked before fopen, which would wait on a named pipe; a device would be read without end.
    const std::string problem = dataFileProblem(path);
    if (!problem.empty()) throw EInOutError(problem);
    const std::string failed = "The file \"" + displayPath(path) + "\" could not be rewritten: ";
    const TFileState before = fileState(path);
    // A replaced file would leave its other names with the old content.
    if (before.links > 1) {
        throw EInOutError(failed + "it has " + std::to_string(before.links) +
                          " hard links, which would keep the old content; the file was left as "
                          "it was.");
    }
    std::string content;
    try {
        content = evaluationRunText(readWholeFile(path), mPrior, m);
    } catch (const EEvalRunError& error) {
        throw EEvalRunError("The evaluation of \"" + displayPath(path) +
                            "\" stopped; the file was left as it was. " + error.what());
    }
    // Lines that another program appended while the run read and computed would be lost.
    const auto unchanged = [&]() -> std::string {
        if (fileState(path) == before) return "";
        return "it changed while the evaluation ran (another program wrote to it), so it was left "
               "as it was.";
    };
    try {
        replaceFileWhole(path, content, unchanged);
    } catch (const EInOutError& error) {
        throw EInOutError(failed + error.what());
    }
}

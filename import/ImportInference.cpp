#include "import/ImportInference.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

#include "core/Errors.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"
#include "import/ImportText.h"

namespace {

constexpr int kMaxFixedDecimals = 17;

[[noreturn]] void failColumn(const TImportColumn& column, const std::string& what) {
    throw EConvertError("Column " + column.name + " cannot be a" + what);
}

void resetCoding(TImportColumn& column) {
    column.low = 0;
    column.high = 0;
    column.unknownCode = -1;
    column.labels.clear();
    column.boundaries.clear();
    column.boundaryTexts.clear();
}

// `x` with `decimals` decimals, "." as separator, without trailing zeros.
std::string fixedText(double x, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

std::string shortestText(double x) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, result.ptr);
}

// The shortest decimal text of a number in `b`..below `next`: rounded to nearest or up, since a
// boundary rounded below its data value would move that value to the next interval.
std::string boundaryText(double b, double next) {
    for (int decimals = 0; decimals <= kMaxFixedDecimals; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        for (double candidate : {b, std::ceil(b * scale) / scale}) {
            if (!std::isfinite(candidate)) continue;
            const std::string text = fixedText(candidate, decimals);
            const double rounded = parseReal(text);
            if (rounded >= b && rounded < next) return text;
        }
    }
    // Numbers too small for fixed decimals: the shortest text that reads back as the number.
    return shortestText(b);
}

// The texts of a column as SET labels: the declared values of a nominal attribute in their
// order, then the other texts in order of first appearance.
std::vector<std::string> labelsOf(const TImportColumn& column, const TColumnProfile& profile) {
    std::vector<std::string> labels;
    std::unordered_set<std::string> seen;
    if (column.declaredValues) {
        for (const std::string& value : *column.declaredValues) {
            if (!isMissingValue(value) && seen.insert(value).second) labels.push_back(value);
        }
    }
    for (const std::string& value : profile.distinct) {
        if (seen.insert(value).second) labels.push_back(value);
    }
    return labels;
}

// The texts a column uses as SET labels: the declared values that occur, in declared order,
// then the other texts in order of first appearance. For a nominal attribute that declares more
// values than a SET field holds.
std::vector<std::string> usedLabelsOf(const TImportColumn& column, const TColumnProfile& profile) {
    if (!column.declaredValues) return profile.distinct;
    const std::unordered_set<std::string> used(profile.distinct.begin(), profile.distinct.end());
    std::vector<std::string> labels;
    std::unordered_set<std::string> seen;
    for (const std::string& value : *column.declaredValues) {
        if (used.count(value) > 0 && seen.insert(value).second) labels.push_back(value);
    }
    for (const std::string& value : profile.distinct) {
        if (seen.insert(value).second) labels.push_back(value);
    }
    return labels;
}

// The SET labels of a column: every declared value when they fit a SET field, else the used ones.
std::vector<std::string> setLabelsOf(const TImportColumn& column, const TColumnProfile& profile) {
    std::vector<std::string> labels = labelsOf(column, profile);
    if (labels.size() > static_cast<size_t>(kMaxValueCode)) return usedLabelsOf(column, profile);
    return labels;
}

void codeAsLabels(TImportColumn& column, std::vector<std::string> labels) {
    if (labels.empty()) failColumn(column, " SET field: it holds no values");
    if (labels.size() > static_cast<size_t>(kMaxValueCode)) {
        failColumn(column, " SET field: it holds " + std::to_string(labels.size()) +
                               " distinct values, and a SET field at most " +
                               std::to_string(kMaxValueCode));
    }
    resetCoding(column);
    column.type = TImportType::Set;
    column.coding = TImportCoding::Labels;
    column.low = 1;
    column.high = static_cast<int>(labels.size());
    column.unknownCode = 0;
    column.labels = std::move(labels);
}

void codeAsIntervals(TImportColumn& column, const TColumnProfile& profile, int boundaries,
                     bool real) {
    resetCoding(column);
    column.boundaryTexts =
        shortestBoundaryTexts(quantileBoundaries(profile.numbers, boundaries), profile.numbers);
    for (const std::string& text : column.boundaryTexts)
        column.boundaries.push_back(parseReal(text));
    if (real) {
        column.type = TImportType::Real;
        column.coding = TImportCoding::Numbers;
        column.high = column.boundaryCount();
        return;
    }
    column.type = TImportType::Int;
    column.coding = TImportCoding::Intervals;
    column.low = 1;
    column.high = column.boundaryCount() + 1;
    column.unknownCode = 0;
}

// Integers in 0..127 as they are, with an unknown code outside their range when values are
// missing. False when no such code is free.
bool codeAsIntegers(TImportColumn& column, const TColumnProfile& profile) {
    const double low = profile.numbers.front();
    const double high = profile.numbers.back();
    if (!profile.integral || low < 0 || high > kMaxValueCode) return false;
    int unknown = -1;
    if (profile.missingCount > 0) {
        if (low >= 1) {
            unknown = 0;
        } else if (high < kMaxValueCode) {
            unknown = kMaxValueCode;
        } else {
            return false;
        }
    }
    resetCoding(column);
    column.type = TImportType::Int;
    column.coding = TImportCoding::Integers;
    column.low = static_cast<int>(low);
    column.high = static_cast<int>(high);
    column.unknownCode = unknown;
    return true;
}

// Counted on the numbers, not the texts: "7" and "07" are one value.
int distinctNumberCount(const TColumnProfile& profile) {
    int count = 0;
    for (size_t i = 0; i < profile.numbers.size(); ++i) {
        if (i == 0 || profile.numbers[i] != profile.numbers[i - 1]) ++count;
    }
    return count;
}

void checkBoundaries(const TImportColumn& column, int boundaries) {
    if (boundaries < 1 || boundaries > kMaxImportBoundaries) {
        throw EConvertError("Column " + column.name + ": " + std::to_string(boundaries) +
                            " boundaries; a field takes 1 to " +
                            std::to_string(kMaxImportBoundaries));
    }
}

}  // namespace

TColumnProfile profileColumn(const std::vector<std::vector<std::string>>& records, int column,
                             bool decimalComma) {
    TColumnProfile profile;
    std::unordered_set<std::string> seen;
    bool numeric = true;
    bool integral = true;
    for (const std::vector<std::string>& record : records) {
        const std::string& text = record[column];
        if (isMissingValue(text)) {
            ++profile.missingCount;
            continue;
        }
        if (seen.insert(text).second) profile.distinct.push_back(text);
        if (!numeric) continue;
        const std::optional<double> number = importNumber(text, decimalComma);
        if (!number) {
            numeric = false;
            profile.numbers.clear();
            continue;
        }
        integral = integral && isIntegerText(text);
        profile.numbers.push_back(*number);
    }
    profile.numeric = numeric && !profile.numbers.empty();
    profile.integral = profile.numeric && integral;
    std::sort(profile.numbers.begin(), profile.numbers.end());
    return profile;
}

void inferColumn(TImportColumn& column, const TColumnProfile& profile,
                 const TImportOptions& options) {
    const int boundaries = options.boundaries;
    const int setLimit = options.setLimit;
    column.distinctCount = static_cast<int>(profile.distinct.size());
    column.missingCount = profile.missingCount;
    if (column.declaredValues) {
        std::vector<std::string> labels = labelsOf(column, profile);
        if (!labels.empty() && labels.size() <= static_cast<size_t>(setLimit)) {
            codeAsLabels(column, std::move(labels));
            return;
        }
    }
    if (profile.numeric) {
        // Many whole numbers as values of their own flood the rankings with tiny rules: past the
        // limit they are intervals, as decimals are.
        if (distinctNumberCount(profile) <= options.intLimit && codeAsIntegers(column, profile))
            return;
        codeAsIntervals(column, profile, boundaries, profile.missingCount == 0);
        return;
    }
    // Declared values that did not fit are left out here: the used ones may still make a SET.
    if (!profile.distinct.empty() && profile.distinct.size() <= static_cast<size_t>(setLimit)) {
        codeAsLabels(column, usedLabelsOf(column, profile));
        return;
    }
    resetCoding(column);
    column.type = TImportType::String;
    column.coding = TImportCoding::Text;
}

void codeColumnAs(TImportColumn& column, const TColumnProfile& profile, TImportType type,
                  int boundaries) {
    switch (type) {
        case TImportType::Set:
            codeAsLabels(column, setLabelsOf(column, profile));
            return;
        case TImportType::Int:
        case TImportType::Real: {
            if (!profile.numeric) {
                failColumn(column, std::string(type == TImportType::Int ? "n " : " ") +
                                       importTypeText(type) +
                                       " field: it holds values that are not numbers");
            }
            if (type == TImportType::Int && codeAsIntegers(column, profile)) return;
            checkBoundaries(column, boundaries);
            codeAsIntervals(column, profile, boundaries,
                            type == TImportType::Real && profile.missingCount == 0);
            return;
        }
        case TImportType::String:
            resetCoding(column);
            column.type = TImportType::String;
            column.coding = TImportCoding::Text;
            return;
    }
}

std::vector<double> quantileBoundaries(const std::vector<double>& sorted, int count) {
    const size_t n = sorted.size();
    const double largest = sorted.back();
    std::vector<double> boundaries;
    for (int k = 1; k <= count; ++k) {
        const double position = std::ceil(static_cast<double>(k) * n / (count + 1.0));
        const size_t index = std::min(n - 1, static_cast<size_t>(std::max(1.0, position)) - 1);
        const double b = sorted[index];
        if (b < largest && (boundaries.empty() || b > boundaries.back())) boundaries.push_back(b);
    }
    if (boundaries.empty()) boundaries.push_back(largest);
    return boundaries;
}

std::vector<std::string> shortestBoundaryTexts(const std::vector<double>& boundaries,
                                               const std::vector<double>& sorted) {
    std::vector<std::string> texts;
    for (double b : boundaries) {
        // A boundary at the largest value has no next value: it keeps its own.
        const auto next = std::upper_bound(sorted.begin(), sorted.end(), b);
        texts.push_back(
            boundaryText(b, next == sorted.end() ? std::nextafter(b, HUGE_VAL) : *next));
    }
    return texts;
}

std::string intervalLabel(const TImportColumn& column, int code) {
    const std::vector<std::string>& b = column.boundaryTexts;
    const int n = static_cast<int>(b.size());
    if (code <= 1) return "<= " + b.front();
    if (code > n) return "> " + b.back();
    return b[code - 2] + " - " + b[code - 1];
}

int intervalCode(const std::vector<double>& boundaries, double value) {
    const auto closing = std::lower_bound(boundaries.begin(), boundaries.end(), value);
    return static_cast<int>(closing - boundaries.begin()) + 1;
}

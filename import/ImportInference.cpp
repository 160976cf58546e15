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

// `heldCount`: the distinct texts of the column, of which a profile keeps only the first.
void codeAsLabels(TImportColumn& column, std::vector<std::string> labels, long long heldCount = 0) {
    if (labels.empty()) failColumn(column, " SET field: it holds no values");
    if (labels.size() > static_cast<size_t>(kMaxValueCode)) {
        const long long held = std::max(static_cast<long long>(labels.size()), heldCount);
        failColumn(column, " SET field: it holds " + std::to_string(held) +
                               (held >= kDistinctCountLimit ? " or more" : "") +
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

// Codes `column` by intervals between the boundaries `texts` (ascending decimal texts): as
// `type` (REAL or CURRENCY) with the numbers themselves, or, for INT and for a column with missing
// values (a REAL or CURRENCY field has no unknown code), as an INT of interval numbers.
void codeAsIntervalTexts(TImportColumn& column, std::vector<std::string> texts, TImportType type,
                         bool missing) {
    resetCoding(column);
    column.boundaryTexts = std::move(texts);
    for (const std::string& text : column.boundaryTexts)
        column.boundaries.push_back(parseReal(text));
    if (type != TImportType::Int && !missing) {
        column.type = type;
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

void codeAsIntervals(TImportColumn& column, const TColumnProfile& profile, int boundaries,
                     TImportType type) {
    codeAsIntervalTexts(
        column,
        shortestBoundaryTexts(quantileBoundaries(profile.numbers, boundaries),
                              profile.numbersSampled ? std::vector<double>() : profile.numbers),
        type, profile.missingCount > 0);
}

// Integers in 0..127 as they are, with an unknown code outside their range when values are
// missing. False when no such code is free.
bool codeAsIntegers(TImportColumn& column, const TColumnProfile& profile) {
    const double low = profile.low;
    const double high = profile.high;
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

void checkNumeric(const TImportColumn& column, const TColumnProfile& profile, TImportType type) {
    if (!profile.numeric) {
        failColumn(column, std::string(type == TImportType::Int ? "n " : " ") +
                               importTypeText(type) +
                               " field: it holds values that are not numbers");
    }
}

void checkBoundaries(const TImportColumn& column, int boundaries) {
    if (boundaries < 1 || boundaries > kMaxImportBoundaries) {
        throw EConvertError("Column " + column.name + ": " + std::to_string(boundaries) +
                            " boundaries; a field takes 1 to " +
                            std::to_string(kMaxImportBoundaries));
    }
}

}  // namespace

TColumnProfiler::TColumnProfiler(bool decimalComma, std::uint64_t seed)
    : m_decimalComma(decimalComma), m_random(seed) {}

void TColumnProfiler::countDistinct(const std::string& text) {
    if (m_profile.distinctCount >= kDistinctCountLimit) return;
    if (m_profile.distinct.size() <= static_cast<size_t>(kMaxValueCode) &&
        m_firstTexts.insert(text).second) {
        m_profile.distinct.push_back(text);
    }
    std::uint64_t hash = std::hash<std::string>{}(text);
    if (hash == 0) hash = 1;
    if (m_hashes.empty()) m_hashes.assign(256, 0);
    size_t mask = m_hashes.size() - 1;
    size_t slot = hash & mask;
    while (m_hashes[slot] != 0) {
        if (m_hashes[slot] == hash) return;
        slot = (slot + 1) & mask;
    }
    m_hashes[slot] = hash;
    ++m_profile.distinctCount;
    if (static_cast<size_t>(m_profile.distinctCount) * 2 <= m_hashes.size()) return;
    // Kept at most half full, so that a probe ends soon.
    std::vector<std::uint64_t> grown(m_hashes.size() * 2, 0);
    mask = grown.size() - 1;
    for (std::uint64_t kept : m_hashes) {
        if (kept == 0) continue;
        size_t at = kept & mask;
        while (grown[at] != 0)
            at = (at + 1) & mask;
        grown[at] = kept;
    }
    m_hashes.swap(grown);
}

void TColumnProfiler::addNumber(double number) {
    if (m_numbersSeen == 0 || number < m_profile.low) m_profile.low = number;
    if (m_numbersSeen == 0 || number > m_profile.high) m_profile.high = number;
    if (m_distinctNumbers.size() <= static_cast<size_t>(kMaxIntLimit))
        m_distinctNumbers.insert(number);
    // Reservoir sampling: number k (from 0) replaces a kept one with probability budget / (k + 1).
    const long long seen = m_numbersSeen++;
    if (seen < kNumberBudget) {
        m_profile.numbers.push_back(number);
        return;
    }
    const std::uint64_t slot = m_random() % static_cast<std::uint64_t>(seen + 1);
    if (slot < static_cast<std::uint64_t>(kNumberBudget)) m_profile.numbers[slot] = number;
}

void TColumnProfiler::add(const std::string& text) {
    if (isMissingValue(text)) {
        ++m_profile.missingCount;
        return;
    }
    countDistinct(text);
    if (!m_numeric) return;
    const std::optional<double> number = importNumber(text, m_decimalComma);
    if (!number) {
        m_numeric = false;
        std::vector<double>().swap(m_profile.numbers);
        m_distinctNumbers.clear();
        return;
    }
    m_integral = m_integral && isIntegerText(text);
    addNumber(*number);
}

TColumnProfile TColumnProfiler::finish() {
    m_profile.numeric = m_numeric && m_numbersSeen > 0;
    m_profile.integral = m_profile.numeric && m_integral;
    m_profile.distinctNumbers = static_cast<int>(m_distinctNumbers.size());
    m_profile.numbersSampled = m_numbersSeen > kNumberBudget;
    std::sort(m_profile.numbers.begin(), m_profile.numbers.end());
    return std::move(m_profile);
}

void inferColumn(TImportColumn& column, const TColumnProfile& profile,
                 const TImportOptions& options) {
    const int boundaries = options.boundaries;
    const int setLimit = options.setLimit;
    column.distinctCount = profile.distinctCount;
    column.missingCount = profile.missingCount;
    // Dates are kept as written: their few distinct days would otherwise make a SET.
    if (column.date && !column.declaredValues) {
        resetCoding(column);
        column.type = TImportType::String;
        column.coding = TImportCoding::Text;
        return;
    }
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
        if (profile.distinctNumbers <= options.intLimit && codeAsIntegers(column, profile)) return;
        codeAsIntervals(column, profile, boundaries, TImportType::Real);
        return;
    }
    // Declared values that did not fit are left out here: the used ones may still make a SET.
    if (profile.distinctCount > 0 && profile.distinctCount <= setLimit) {
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
            codeAsLabels(column, setLabelsOf(column, profile), profile.distinctCount);
            return;
        case TImportType::Int:
        case TImportType::Real:
        case TImportType::Currency: {
            checkNumeric(column, profile, type);
            if (type == TImportType::Int && codeAsIntegers(column, profile)) return;
            checkBoundaries(column, boundaries);
            codeAsIntervals(column, profile, boundaries, type);
            return;
        }
        case TImportType::String:
        case TImportType::Date:
            resetCoding(column);
            column.type = type;
            column.coding = TImportCoding::Text;
            return;
    }
}

void codeColumnChosen(TImportColumn& column, const TColumnProfile& profile,
                      const TImportColumnChoice& choice, const TImportOptions& options) {
    if (choice.ignored && (choice.type || choice.bins)) {
        throw EConvertError("Column " + column.name +
                            " is ignored: it takes no type and no intervals then");
    }
    if (!choice.bins) {
        if (choice.type) {
            codeColumnAs(column, profile, *choice.type, options.boundaries);
        } else {
            inferColumn(column, profile, options);
        }
        return;
    }
    // Intervals asked for without a type: the column is taken as the numbers it holds.
    const TImportType type = choice.type.value_or(TImportType::Real);
    if (type != TImportType::Int && type != TImportType::Real && type != TImportType::Currency) {
        throw EConvertError("Column " + column.name + ": a " + importTypeText(type) +
                            " field has no intervals; intervals need INT, REAL or CURRENCY");
    }
    checkNumeric(column, profile, type);
    const TImportBins& bins = *choice.bins;
    if (bins.boundaries.empty()) {
        checkBoundaries(column, bins.count);
        codeAsIntervals(column, profile, bins.count, type);
        return;
    }
    checkBoundaries(column, static_cast<int>(bins.boundaries.size()));
    std::vector<std::string> texts;
    for (size_t k = 0; k < bins.boundaries.size(); ++k) {
        const double b = bins.boundaries[k];
        if (!std::isfinite(b) || (k > 0 && !(b > bins.boundaries[k - 1]))) {
            throw EConvertError("Column " + column.name + ": the boundaries " +
                                importBoundaryListText(bins.boundaries) +
                                " are not increasing numbers");
        }
        texts.push_back(shortestText(b));
    }
    codeAsIntervalTexts(column, std::move(texts), type, profile.missingCount > 0);
}

std::string importBoundaryListText(const std::vector<double>& boundaries) {
    std::string text;
    for (size_t k = 0; k < boundaries.size(); ++k)
        text += (k > 0 ? "," : "") + shortestText(boundaries[k]);
    // A single boundary keeps a ",", so that it does not read as a number of boundaries.
    return boundaries.size() == 1 ? text + "," : text;
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

std::optional<TImportBins> importBinsFromText(const std::string& text) {
    TImportBins bins;
    if (text.find(',') == std::string::npos) {
        if (!isDecimalDigits(text) || text.size() > 9) return std::nullopt;
        bins.count = std::stoi(text);
        return bins;
    }
    std::string rest = text;
    while (!rest.empty()) {
        auto [head, tail] = splitHead(rest, ',');
        const std::optional<double> boundary = importNumber(head, false);
        if (!boundary) return std::nullopt;
        bins.boundaries.push_back(*boundary);
        rest = tail;
    }
    return bins;
}

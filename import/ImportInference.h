#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "import/ImportTypes.h"

// Type inference of the importer: what the known values of a column are, which field type they
// become by default, and how a column is coded as a type the caller chooses.

// Profiles one column from its values given one by one, in memory bounded by the limits of
// TColumnProfile whatever their number. Distinct texts past the first 128 are counted by 64-bit
// hashes (a collision among 65,536 texts is a chance below 10^-9).
class TColumnProfiler {
  public:
    // "," counts as a decimal separator with `decimalComma`; `seed` fixes the sample of numbers.
    TColumnProfiler(bool decimalComma, std::uint64_t seed);

    // The next value of the column (Windows-1250).
    void add(const std::string& text);
    // The profile of the values added, the numbers sorted; the profiler is spent.
    TColumnProfile finish();

  private:
    void addNumber(double number);
    void countDistinct(const std::string& text);

    bool m_decimalComma;
    TColumnProfile m_profile;
    std::unordered_set<std::string> m_firstTexts;  // those of m_profile.distinct
    std::vector<std::uint64_t> m_hashes;           // open addressing, 0 for a free slot
    long long m_numbersSeen = 0;
    std::set<double> m_distinctNumbers;  // up to kMaxIntLimit + 1
    bool m_numeric = true;
    bool m_integral = true;
    std::mt19937_64 m_random;
};

// Codes `column` by the inference rules: a nominal attribute with at most `options.setLimit`
// values a SET in declared order; integers in 0..127 with at most `options.intLimit` distinct
// values an INT; other numbers a REAL with `options.boundaries` boundaries, or an INT of interval
// numbers when values are missing; a text with at most `options.setLimit` distinct values a SET
// (of a nominal attribute that declares more: the values used, in declared order); anything else
// a STRING.
void inferColumn(TImportColumn& column, const TColumnProfile& profile,
                 const TImportOptions& options);

// Codes `column` as `type`. CURRENCY is coded as REAL, DATE as STRING. SET takes up to 127 distinct
// texts (every declared value of a nominal attribute when they fit, else the values used); INT and
// REAL need numbers; REAL with missing values becomes an INT of interval numbers, since a REAL
// field has no unknown code; INT of numbers that are not integers in 0..127 is coded by intervals
// too. Throws EConvertError naming the column when its values do not fit the type, and for
// `boundaries` outside 1..126.
void codeColumnAs(TImportColumn& column, const TColumnProfile& profile, TImportType type,
                  int boundaries);

// Codes `column` as `choice` says: as its type (else as inferred with `options`), cut at its
// bins (a numeric column without a chosen type becomes REAL). Throws EConvertError naming the
// column for values the type cannot hold, bins with a type that has no intervals, a count outside
// 1..126 or boundaries that do not increase, and type or bins chosen for an ignored column.
// An ignored column is coded as inferred.
void codeColumnChosen(TImportColumn& column, const TColumnProfile& profile,
                      const TImportColumnChoice& choice, const TImportOptions& options);

// Given boundaries as `tav-batch import --bins` takes them: "20,40,60", and "30," for one.
std::string importBoundaryListText(const std::vector<double>& boundaries);

// The bins of a text as --bins takes it: a number of quantile boundaries ("4"), or the boundaries
// ("20,40,60"; "30," for one) with "." as the decimal separator. None for any other text.
std::optional<TImportBins> importBinsFromText(const std::string& text);

// Up to `count` interval boundaries at the quantiles of `sorted` (ascending, not empty): no two
// equal, none at or above the largest value (one, the largest value, when nothing else is left).
std::vector<double> quantileBoundaries(const std::vector<double>& sorted, int count);

// The boundaries (values of `sorted`, ascending) as the shortest decimal texts at or above each
// boundary and below the next greater value of `sorted`: every value keeps its interval. With
// `sorted` empty (a sample, whose gaps may hide values) each boundary keeps its own value.
std::vector<std::string> shortestBoundaryTexts(const std::vector<double>& boundaries,
                                               const std::vector<double>& sorted);

// The label of interval code `code` (1..n+1) of an interval INT field: "<= b1", "b1 - b2", "> bn".
std::string intervalLabel(const TImportColumn& column, int code);

// The interval code (1..n+1) of `value` among ascending `boundaries`: a value equal to a boundary
// is in the interval the boundary closes.
int intervalCode(const std::vector<double>& boundaries, double value);

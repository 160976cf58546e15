#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The generated tables of the speed benchmark. Every field, the class included, is a SET field;
// the class is field 0 with codes 1..classValues, and a quarter of the other fields depend on it.
struct TBenchCase {
    enum class TValues {
        kUniform,    // codes 1..values, all equally likely
        kZipf,       // codes 1..values with Zipf weights 1/k^1.1, declared up to 127
        kFewOfMany,  // codes 0..2 used, declared 0..127
    };
    std::string name;
    int records;
    int fields;  // besides the class
    int values;
    int classValues;
    TValues kind;
    std::uint64_t seed;
};

// S, M, W, L and R (the sizes users meet, up to the largest table), and X: sixteen fields that
// declare codes 0..127 of which three are used.
const std::vector<TBenchCase>& benchCases();

// The case of that name, or none.
const TBenchCase* findBenchCase(const std::string& name);

// The case's records as a data file ("TAV DATA", semicolon-separated). Deterministic.
std::string benchCaseData(const TBenchCase& c);

// The same records as an ARFF file (nominal attributes, the class last), for running a peer tool on
// the same data.
std::string benchCaseArff(const TBenchCase& c);

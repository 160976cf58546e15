#pragma once

#include <string>

// A generated data file of `records` records and 15 fields: 8 SET fields, 6 REAL fields with 4
// boundaries each and a two-valued class that depends on two of them. Deterministic.
std::string benchmarkDataFile(int records = 32561);

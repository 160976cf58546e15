#pragma once

#include <cstdint>
#include <vector>

// The positions (from 0, ascending) of a uniform random sample of `size` of `count` records,
// drawn by reservoir sampling over the positions in order, so that the sample is reproducible
// from `seed` on every platform and the same as when the records were offered one by one. All
// positions when `size` >= `count`.
std::vector<long long> samplePositions(long long count, long long size, std::uint64_t seed);

#include "import/ImportSampler.h"

#include <algorithm>
#include <random>

std::vector<long long> samplePositions(long long count, long long size, std::uint64_t seed) {
    std::vector<long long> kept;
    kept.reserve(static_cast<size_t>(std::max(0LL, std::min(count, size))));
    // Its sequence is fixed by the standard, unlike the distributions'.
    std::mt19937_64 random(seed);
    for (long long index = 0; index < count; ++index) {
        if (static_cast<long long>(kept.size()) < size) {
            kept.push_back(index);
            continue;
        }
        // Record `index` replaces a kept one with probability size / (index + 1). The bias of the
        // modulo is below 2^-40 for any count of records a file holds.
        const std::uint64_t slot = random() % static_cast<std::uint64_t>(index + 1);
        if (slot < static_cast<std::uint64_t>(size)) kept[slot] = index;
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

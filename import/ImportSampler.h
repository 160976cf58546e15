#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

// Keeps a uniform random sample of at most `capacity` records of a stream of records (reservoir
// sampling), reproducible from its seed on every platform.
class TRecordSampler {
  public:
    TRecordSampler(size_t capacity, std::uint64_t seed) : m_capacity(capacity), m_random(seed) {}

    // Offers the next record of the stream.
    void offer(std::vector<std::string>&& record);
    // The records offered so far.
    long long offered() const { return m_offered; }
    // The records kept, in the order they were offered; empties the sampler.
    std::vector<std::vector<std::string>> takeInOrder();

  private:
    size_t m_capacity;
    std::mt19937_64 m_random;  // its sequence is fixed by the standard, unlike the distributions
    long long m_offered = 0;
    std::vector<std::pair<long long, std::vector<std::string>>> m_kept;
};

#include "bench/BenchData.h"

#include <cstdint>

namespace {

// A small deterministic generator, so that every run measures the same table.
class Lcg {
  public:
    explicit Lcg(uint64_t seed) : m_state(seed) {}
    // A number in 0..1.
    double next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ULL << 53);
    }

  private:
    uint64_t m_state;
};

}  // namespace

std::string benchmarkDataFile(int records) {
    std::string text = "TAV DATA:6/TXT/1250\n";
    for (int i = 0; i < 8; ++i)
        text += "S" + std::to_string(i) + ";";
    for (int i = 0; i < 6; ++i)
        text += "R" + std::to_string(i) + ";";
    text += "CLASS\n";
    for (int i = 0; i < 8; ++i)
        text += "SET:1.." + std::to_string(2 + i % 5) + ":UNK=0;";
    for (int i = 0; i < 6; ++i)
        text += "REAL:::4;";
    text += "SET:1..2\n";
    for (int j = 1; j <= 6; ++j) {
        for (int i = 0; i < 8; ++i)
            text += "v" + std::to_string(j) + ";";
        for (int i = 0; i < 6; ++i)
            text += j <= 4 ? std::to_string(j * 20) + ";" : ";";
        text += j <= 2 ? (j == 1 ? "yes\n" : "no\n") : "\n";
    }
    Lcg random(32561);
    for (int r = 0; r < records; ++r) {
        int codes[8];
        for (int i = 0; i < 8; ++i) {
            const int values = 2 + i % 5;
            codes[i] = random.next() < 0.02 ? 0 : 1 + static_cast<int>(random.next() * values);
            text += std::to_string(codes[i]) + ";";
        }
        double reals[6];
        for (int i = 0; i < 6; ++i) {
            reals[i] = random.next() * 100;
            text += std::to_string(reals[i]) + ";";
        }
        const double p = 0.2 + 0.3 * (codes[1] == 1) + 0.3 * (reals[2] > 60);
        text += random.next() < p ? "1\n" : "2\n";
    }
    return text;
}

#include "bench/BenchCases.h"

#include <algorithm>
#include <cmath>

namespace {

// A small deterministic generator, so that every run measures the same table.
class TLcg {
  public:
    explicit TLcg(std::uint64_t seed) : m_state(seed) {}
    // A number in [0, 1).
    double next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ULL << 53);
    }

  private:
    std::uint64_t m_state;
};

int declaredLow(const TBenchCase& c) {
    return c.kind == TBenchCase::TValues::kFewOfMany ? 0 : 1;
}

int declaredHigh(const TBenchCase& c) {
    return c.kind == TBenchCase::TValues::kUniform ? c.values : 127;
}

// The codes of every record: column 0 the class, then the fields.
template <class F>
void generate(const TBenchCase& c, F&& record) {
    TLcg random(c.seed);
    std::vector<double> zipf;  // cumulative weights of codes 1..values
    double total = 0;
    for (int k = 1; k <= c.values; ++k) {
        total += 1.0 / std::pow(k, 1.1);
        zipf.push_back(total);
    }
    const auto draw = [&]() -> int {
        const double u = random.next();
        switch (c.kind) {
            case TBenchCase::TValues::kUniform:
                return 1 + static_cast<int>(u * c.values);
            case TBenchCase::TValues::kZipf:
                return 1 + static_cast<int>(std::lower_bound(zipf.begin(), zipf.end(), u * total) -
                                            zipf.begin());
            case TBenchCase::TValues::kFewOfMany:
                break;
        }
        return static_cast<int>(u * 3);
    };
    std::vector<int> codes(static_cast<std::size_t>(c.fields) + 1);
    const int dependent = c.fields / 4;
    for (int r = 0; r < c.records; ++r) {
        const int cls = 1 + static_cast<int>(random.next() * c.classValues);
        codes[0] = cls;
        for (int i = 1; i <= c.fields; ++i) {
            int code = draw();
            // A dependent field takes a code tied to the class in half of the records.
            if (i <= dependent && random.next() < 0.5) {
                const int span = std::min(c.values, 20);  // among the frequent codes
                code = c.kind == TBenchCase::TValues::kFewOfMany ? cls % 3
                                                                 : 1 + (cls * (i + 2)) % span;
            }
            codes[static_cast<std::size_t>(i)] = code;
        }
        record(codes);
    }
}

}  // namespace

const std::vector<TBenchCase>& benchCases() {
    using V = TBenchCase::TValues;
    static const std::vector<TBenchCase> cases = {
        {"S", 1000, 9, 5, 2, V::kUniform, 11},
        {"M", 10000, 49, 5, 5, V::kUniform, 12},
        {"W", 65000, 50, 20, 10, V::kUniform, 13},
        {"L", 65001, 255, 20, 10, V::kUniform, 14},
        {"R", 65001, 64, 120, 10, V::kZipf, 15},
        {"X", 2000, 16, 3, 2, V::kFewOfMany, 16},
        // Past the old record limit: the sizes of analysts' tables.
        {"1M", 1'000'000, 50, 20, 10, V::kUniform, 17},
        {"10M", 10'000'000, 50, 20, 10, V::kUniform, 18},
    };
    return cases;
}

const TBenchCase* findBenchCase(const std::string& name) {
    for (const TBenchCase& c : benchCases()) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

std::string benchCaseData(const TBenchCase& c) {
    std::string text = "TAV DATA:0/TXT/1250\nCLASS";
    for (int i = 1; i <= c.fields; ++i)
        text += ";F" + std::to_string(i);
    text += "\nSET:1.." + std::to_string(c.classValues);
    const std::string typeSpec =
        ";SET:" + std::to_string(declaredLow(c)) + ".." + std::to_string(declaredHigh(c));
    for (int i = 1; i <= c.fields; ++i)
        text += typeSpec;
    text += "\n";
    text.reserve(text.size() + static_cast<std::size_t>(c.records) * (c.fields + 1) * 3);
    generate(c, [&](const std::vector<int>& codes) {
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (i > 0) text += ';';
            text += std::to_string(codes[i]);
        }
        text += '\n';
    });
    return text;
}

std::string benchCaseArff(const TBenchCase& c) {
    const auto nominal = [](int low, int high) {
        std::string values = "{";
        for (int v = low; v <= high; ++v)
            values += (v > low ? "," : "") + std::to_string(v);
        return values + "}";
    };
    std::string text = "@relation " + c.name + "\n";
    for (int i = 1; i <= c.fields; ++i)
        text += "@attribute F" + std::to_string(i) + " " +
                nominal(declaredLow(c), declaredHigh(c)) + "\n";
    text += "@attribute CLASS " + nominal(1, c.classValues) + "\n@data\n";
    generate(c, [&](const std::vector<int>& codes) {
        for (std::size_t i = 1; i < codes.size(); ++i)
            text += std::to_string(codes[i]) + ",";
        text += std::to_string(codes[0]) + "\n";
    });
    return text;
}

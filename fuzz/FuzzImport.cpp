// The CSV/ARFF importer: infer the columns of the fuzzer's bytes as a file, write the data file
// text and load it back; a file the importer takes must give a data file the reader takes.
// With a first byte of 0x7f (which begins no table) the other bytes are instead a recipe: a whole
// table is made and then damaged as a user's file might be (bit flips, a duplicated chunk, a cut,
// another delimiter), and an import that succeeds must keep the records the file holds or say so.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"

namespace {

constexpr std::uint8_t kRecipeMark = 0x7f;

// The recipe's bytes one at a time, 0 once they run out.
class TRecipe {
  public:
    TRecipe(const std::uint8_t* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
    unsigned next() { return m_at < m_size ? m_bytes[m_at++] : 0; }
    // A number in 0..n-1 from two bytes. Requires: n > 0.
    std::size_t below(std::size_t n) {
        const unsigned low = next();
        return (low | next() << 8) % n;
    }
    bool done() const { return m_at >= m_size; }

  private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// A well-formed table: a header and rows of whole numbers, decimals and words, ',' between.
std::string wholeTable(TRecipe& recipe) {
    const std::size_t columns = 1 + recipe.below(6);
    const std::size_t records = 1 + recipe.below(300);
    std::minstd_rand random(static_cast<unsigned>(recipe.below(65536)) + 1);
    static const char* const kWords[] = {"yes", "no", "Praha", "Brno", "n/a", "x y", "A"};
    std::string text;
    std::string kinds;
    for (std::size_t c = 0; c < columns; ++c) {
        text += (c == 0 ? "" : ",") + std::string("col") + std::to_string(c);
        kinds += "irw"[random() % 3];
    }
    text += "\n";
    for (std::size_t r = 0; r < records; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            if (c > 0) text += ",";
            if (kinds[c] == 'i') text += std::to_string(random() % 100);
            if (kinds[c] == 'r') text += std::to_string(random() % 1000) + ".5";
            if (kinds[c] == 'w') text += kWords[random() % 7];
        }
        text += "\n";
    }
    return text;
}

// What happens to a file on its way to the user: a few of these, as the recipe says.
void damage(std::string& text, TRecipe& recipe) {
    for (int step = 0; step < 6 && !recipe.done() && !text.empty(); ++step) {
        const std::size_t at = recipe.below(text.size());
        switch (recipe.next() % 4) {
            case 0:
                text[at] = static_cast<char>(text[at] ^ (1 << recipe.next() % 8));
                break;
            case 1:
                text.insert(at, text.substr(at, 1 + recipe.below(64)));
                break;
            case 2:
                text.resize(at);
                break;
            default: {
                // From `at` on, as when a file was saved again with other settings.
                const char delimiter = ";\t|"[recipe.next() % 3];
                for (std::size_t i = at; i < text.size(); ++i)
                    if (text[i] == ',') text[i] = delimiter;
            }
        }
    }
}

bool isBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

// The records of a file without quotes or CR: its lines after the header, counted once without
// and once with blank ones (a one-column file takes a blank line between records as a missing
// value; blank lines after the last record are no records).
std::pair<long long, long long> linesBelowHeader(const std::string& text) {
    long long filled = 0, all = 0, blankRun = 0;
    bool header = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!header) {
            header = !isBlank(line);
            continue;
        }
        if (isBlank(line)) {
            ++blankRun;
        } else {
            all += blankRun + 1;
            blankRun = 0;
            ++filled;
        }
    }
    return {filled, all};
}

void checkDamagedTable(const std::uint8_t* bytes, std::size_t size) {
    TRecipe recipe(bytes, size);
    std::string text = wholeTable(recipe);
    damage(text, recipe);
    TImportPlan plan;
    try {
        plan = inferImportBytes(text, "table.csv", {});
    } catch (const ETavError&) {
        return;  // a refused file is an answer
    }
    TBaza data;
    data.loadDataBytes(importDataText(plan), "table-tav.CSV", dfkFromHeader, cpUnknown);
    if (data.errorFlag() || data.RecordCount() != plan.recordsRead) {
        __builtin_trap();
    }
    if (text.find_first_of("\"\r") != std::string::npos || !plan.warnings.empty()) return;
    const auto [filled, all] = linesBelowHeader(text);
    if (plan.recordsRead != filled && plan.recordsRead != all) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size > 0 && bytes[0] == kRecipeMark) {
        checkDamagedTable(bytes + 1, size - 1);
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    TImportOptions options;
    // The first byte chooses between an ARFF and a CSV name; detection does the rest.
    const bool arff = size > 0 && bytes[0] % 2 == 1;
    TImportPlan plan;
    try {
        plan = inferImportBytes(text, arff ? "fuzz.arff" : "fuzz.csv", options);
    } catch (const ETavError&) {
        return 0;  // a refused file is an answer
    }
    const std::string written = importDataText(plan);
    TBaza data;
    data.loadDataBytes(written, "fuzz-tav.CSV", dfkFromHeader, cpUnknown);
    if (data.errorFlag() || data.FieldCount() != static_cast<int>(plan.columns.size())) {
        __builtin_trap();
    }
    return 0;
}

// The evaluation run over the fuzzer's bytes as a result file, through a temporary file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "core/Errors.h"
#include "stats/StStat.h"
#include "stats/uTavEvalRun.h"

namespace {

const std::string& folder() {
    static const std::string path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tav-fuzz-eval-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) __builtin_trap();
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string path = folder() + "/run.CSV";
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << input;
    try {
        performEvaluationRun(path, 1.0, 2.0);
    } catch (const ETavError&) {
        return 0;
    } catch (const EStStatError&) {
        return 0;
    }
    // A second run over the output gives the same file.
    std::ifstream first(path, std::ios::binary);
    const std::string once((std::istreambuf_iterator<char>(first)), {});
    try {
        performEvaluationRun(path, 1.0, 2.0);
    } catch (...) {
        __builtin_trap();
    }
    std::ifstream second(path, std::ios::binary);
    const std::string twice((std::istreambuf_iterator<char>(second)), {});
    if (once != twice) __builtin_trap();
    return 0;
}

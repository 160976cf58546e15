#include "core/DataFileOrigin.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"

namespace {

const char kMagic[] = "TAV ORIGIN:1";
const char kDataSha[] = "DATA SHA-256";
const char kOriginal[] = "ORIGINAL";
const char kOriginalSha[] = "ORIGINAL SHA-256";
const char kImport[] = "IMPORT";

// An origin file is a few lines; anything larger is not one.
constexpr std::streamsize kMostBytes = 1 << 16;

}  // namespace

std::string dataFileOriginPath(const std::string& dataFile) {
    return dataFile + ".origin";
}

void writeDataFileOrigin(const std::string& dataFile, const TDataFileOrigin& origin) {
    std::string text = std::string(kMagic) + "\n";
    auto line = [&text](const char* key, const std::string& value) {
        text += std::string(key) + "=" + value + "\n";
    };
    line(kDataSha, origin.dataSha256);
    line(kOriginal, origin.originalPath);
    line(kOriginalSha, origin.originalSha256);
    line(kImport, origin.importArguments);
    const std::string path = dataFileOriginPath(dataFile);
    try {
        replaceFileWhole(path, text);
    } catch (const EInOutError& error) {
        throw EInOutError("The origin file \"" + displayPath(path) +
                          "\" cannot be written: " + error.what());
    }
}

std::optional<TDataFileOrigin> readDataFileOrigin(const std::string& dataFile,
                                                  const std::string& dataSha256) {
    // Only a regular file: opening a named pipe of that name would wait for a writer.
    const std::string path = dataFileOriginPath(dataFile);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(kMostBytes, '\0');
    file.read(text.data(), kMostBytes);
    text.resize(static_cast<size_t>(file.gcount()));
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kMagic) return std::nullopt;
    TDataFileOrigin origin;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto [key, value] = splitHead(line, '=');
        if (key == kDataSha) origin.dataSha256 = value;
        if (key == kOriginal) origin.originalPath = value;
        if (key == kOriginalSha) origin.originalSha256 = value;
        if (key == kImport) origin.importArguments = value;
    }
    if (dataSha256.empty() || origin.dataSha256 != dataSha256 || origin.originalPath.empty())
        return std::nullopt;
    const std::filesystem::path original(origin.originalPath);
    if (original.is_relative()) {
        origin.originalPath = (std::filesystem::path(dataFile).parent_path() / original)
                                  .lexically_normal()
                                  .generic_string();
    }
    return origin;
}

std::string originalPathFromDataFile(const std::string& original, const std::string& dataFile) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path table = fs::absolute(original, error).lexically_normal();
    const fs::path folder = fs::absolute(dataFile, error).lexically_normal().parent_path();
    if (error) return original;
    return table.lexically_proximate(folder).generic_string();
}

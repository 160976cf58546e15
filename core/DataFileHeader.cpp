#include "core/DataFileHeader.h"

#include <fstream>

namespace {

const std::string kMagic = "TAV DATA";

}  // namespace

bool isDataFileHeader(const std::string& firstLine) {
    return firstLine.compare(0, 8, kMagic) == 0;
}

bool fileHasDataFileHeader(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string start(kMagic.size(), '\0');
    if (!file.read(start.data(), static_cast<std::streamsize>(start.size()))) return false;
    return isDataFileHeader(start);
}

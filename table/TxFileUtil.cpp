#include "table/TxFileUtil.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "table/ExDataSetError.h"

namespace fs = std::filesystem;

TxFileStamp fileStamp(const std::string& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status)) return {};
    const auto time = fs::last_write_time(path, ec);
    if (ec) return {};
    const auto size = fs::file_size(path, ec);
    if (ec) return {};
    return {
        static_cast<std::int64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count()),
        static_cast<std::int64_t>(size)};
}

std::string backupFileName(const std::string& path) {
    const fs::path p(path);
    const std::string name = p.filename().string();
    // The extension of the file name itself: a dot in a folder name or a leading dot does not
    // count.
    const std::size_t dot = name.rfind('.');
    std::string backup;
    if (dot == std::string::npos || dot == 0)
        backup = name + ".~";
    else
        backup = name.substr(0, dot + 1) + "~" + name.substr(dot + 1);
    return (p.parent_path() / backup).string();
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int code = errno;
        throw ExDataSetError("Cannot open file \"" + path + "\". " + std::strerror(code), path);
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw ExDataSetError("Cannot read file \"" + path + "\".", path);
    return content.str();
}

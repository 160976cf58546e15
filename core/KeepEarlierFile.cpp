#include "core/KeepEarlierFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/FileReplace.h"
#include "core/uTavObj.h"

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string datedFileName(const std::string& path, long long stamp) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? path.substr(0, dot) : path;
    const std::string extension = hasExtension ? path.substr(dot) : std::string();
    const std::time_t time = static_cast<std::time_t>(stamp);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "-%Y%m%d-%H%M%S", &local);
    std::string candidate = stem + text + extension;
    for (int n = 2; exists(candidate); ++n)
        candidate = stem + text + "-" + std::to_string(n) + extension;
    return candidate;
}

TKeptFile keepEarlierFile(const std::string& path) {
    TKeptFile kept;
    kept.newPath = path;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0)
        return kept;
    const std::string dated = datedFileName(path, static_cast<long long>(info.st_mtime));
    int error = injectedFault(TWriteStep::Rename, path);
    if (error == 0 && std::rename(path.c_str(), dated.c_str()) != 0) error = errno;
    if (error == 0) {
        kept.keptAs = dated;
        kept.note = "The report of the previous run was kept as \"" + displayPath(dated) + "\".";
        return kept;
    }
    kept.newPath = datedFileName(path, static_cast<long long>(std::time(nullptr)));
    kept.note = "The report of the previous run could not be renamed (" +
                std::string(std::strerror(error)) + "), so it stays in \"" + displayPath(path) +
                "\"; this run's report goes to \"" + displayPath(kept.newPath) + "\".";
    return kept;
}

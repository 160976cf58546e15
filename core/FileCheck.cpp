#include "core/FileCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/uTavObj.h"

namespace {

// What a file of a kind other than regular is, in a few words.
const char* kindOfSpecialFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

}  // namespace

std::string dataFileProblem(const std::string& path) {
    const std::string shown = "\"" + displayPath(path) + "\"";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return "File " + shown + " does not exist.";
        return "File " + shown + " cannot be read: " + std::strerror(error) + ".";
    }
    if (!S_ISREG(info.st_mode)) {
        return shown + " is " + kindOfSpecialFile(info.st_mode) + ", not a data file.";
    }
    // O_NONBLOCK: should the path have turned into a pipe since the check, opening it does not
    // wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return "File " + shown + " cannot be opened: " + std::strerror(error) + ".";
    }
    ::close(fd);
    return "";
}

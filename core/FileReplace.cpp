#include "core/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "core/Errors.h"
#include "core/uTavObj.h"

namespace fs = std::filesystem;

namespace {

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

// The temporary file is removed unless it has replaced the original or is kept on purpose.
struct TTempFile {
    std::string path;
    bool keep = false;
    ~TTempFile() {
        if (!path.empty() && !keep) std::remove(path.c_str());
    }
};

std::string reason(int code) {
    return std::strerror(code != 0 ? code : EIO);
}

}  // namespace

TWriteFaultHook& writeFaultHook() {
    static TWriteFaultHook hook;
    return hook;
}

int injectedFault(TWriteStep step, const std::string& path) {
    return writeFaultHook() ? writeFaultHook()(step, path) : 0;
}

int writeWhole(std::FILE* file, const std::string& path, const std::string& bytes) {
    const int fault = injectedFault(TWriteStep::Write, path);
    if (fault != 0) {
        // A disk that fills up takes part of the data before the write fails.
        std::fwrite(bytes.data(), 1, bytes.size() / 2, file);
        std::fflush(file);
        return fault;
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0)
        return errno != 0 ? errno : EIO;
    return 0;
}

void replaceFileWhole(const std::string& path, const std::string& bytes,
                      const TReplaceCheck& check) {
    std::error_code ignored;
    // Replacing a link would cut it off from the file it points to.
    fs::path target = path;
    if (fs::is_symlink(target, ignored)) {
        const fs::path resolved = fs::canonical(target, ignored);
        if (!ignored) target = resolved;
    }
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        throw EInOutError("the path is a folder (" + reason(EISDIR) + ").");
    if (existed &&
        (::access(target.c_str(), W_OK) != 0 || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0))
        throw EInOutError("the file is read-only.");

    TTempFile temp;
    TFile file;
    for (int n = 0; !file; ++n) {
        const std::string name = target.string() + ".tav" + std::to_string(n) + ".tmp";
        const int fault = injectedFault(TWriteStep::Create, name);
        errno = fault;
        if (fault == 0) file.reset(std::fopen(name.c_str(), "wbx"));
        if (file) {
            temp.path = name;
        } else if (errno != EEXIST || n == 999) {
            throw EInOutError("the temporary file \"" + displayPath(name) +
                              "\" could not be created: " + reason(errno));
        }
    }
    const int fd = fileno(file.get());
    if (existed) {
        ::fchmod(fd, old.st_mode & 07777);
        // Only the owner's group may be kept by an ordinary user; root keeps both.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, -1, old.st_gid);
    }
    int writeError = writeWhole(file.get(), temp.path, bytes);
    // On disk before the rename, so that a crash cannot leave an empty file in its place.
    if (writeError == 0 && ::fsync(fd) != 0) writeError = errno;
    if (std::fclose(file.release()) != 0 && writeError == 0) writeError = errno;
    if (writeError != 0) {
        throw EInOutError("writing the temporary file \"" + displayPath(temp.path) +
                          "\" failed: " + reason(writeError) + ".");
    }
    if (check) {
        const std::string stop = check();
        if (!stop.empty()) {
            temp.keep = true;
            throw EInOutError(stop + " The new content was kept in \"" + displayPath(temp.path) +
                              "\".");
        }
    }
    const int fault = injectedFault(TWriteStep::Rename, target.string());
    if (fault != 0 || ::rename(temp.path.c_str(), target.c_str()) != 0) {
        throw EInOutError(
            "the temporary file could not replace it: " + reason(fault != 0 ? fault : errno) + ".");
    }
    temp.keep = true;
}

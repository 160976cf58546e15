#include "core/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "core/Errors.h"
#include "core/TextUtils.h"
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

// The process id in the name of a temporary file of `target` ("TARGET.tav-PID-N.tmp", both
// names without folder), or 0 when `name` is not one.
pid_t writerOfTemporary(const std::string& target, const std::string& name) {
    const std::string lead = target + ".tav-";
    const std::string tail = ".tmp";
    if (name.size() <= lead.size() + tail.size() || name.compare(0, lead.size(), lead) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return 0;
    const std::string middle = name.substr(lead.size(), name.size() - lead.size() - tail.size());
    const size_t dash = middle.find('-');
    const auto digits = [](const std::string& text) {
        return text.size() <= 9 && isDecimalDigits(text);
    };
    if (dash == std::string::npos || !digits(middle.substr(0, dash)) ||
        !digits(middle.substr(dash + 1)))
        return 0;
    return static_cast<pid_t>(std::stol(middle.substr(0, dash)));
}

// A writer killed before its rename leaves its temporary file behind; the next write of the same
// target clears them. Only files of processes that are gone (ESRCH) are removed: a live writer,
// also one of another user (EPERM), keeps its file. Only regular files of this user are touched.
void removeLeftovers(const fs::path& target) {
    std::error_code error;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    fs::directory_iterator entries(folder, error);
    if (error) return;
    const std::string targetName = target.filename().string();
    for (const fs::directory_entry& entry : entries) {
        const pid_t writer = writerOfTemporary(targetName, entry.path().filename().string());
        const std::string name = entry.path().string();
        if (writer <= 0 || writer == ::getpid()) continue;
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        if (::kill(writer, 0) != 0 && errno == ESRCH) ::unlink(name.c_str());
    }
}

// Gives a temporary file that is kept on purpose a name without the writer's id, so that a later
// write does not take it for a leftover. Returns the name it has in the end.
std::string keptName(const std::string& target, const std::string& temporary) {
    for (int n = 0; n < 1000; ++n) {
        const std::string name = target + ".tav" + std::to_string(n) + ".tmp";
        // link() never replaces an existing file, unlike rename().
        if (::link(temporary.c_str(), name.c_str()) == 0) {
            ::unlink(temporary.c_str());
            return name;
        }
        if (errno != EEXIST) break;
    }
    return temporary;
}

// A failed append of the streamed variant, carrying its errno to the common failure message.
struct TAppendFailed {
    int code;
};

// Writes the content into the open temporary file `temporaryPath`: 0, or the errno of the failure.
using TContentWriter = std::function<int(std::FILE* file, const std::string& temporaryPath)>;

void replaceFileWith(const std::string& path, const TContentWriter& writeContent,
                     const TReplaceCheck& check);

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
    replaceFileWith(
        path,
        [&bytes](std::FILE* file, const std::string& temporary) {
            return writeWhole(file, temporary, bytes);
        },
        check);
}

void replaceFileStreamed(const std::string& path,
                         const std::function<void(const TByteSink&)>& write,
                         const TReplaceCheck& check) {
    replaceFileWith(
        path,
        [&write](std::FILE* file, const std::string& temporary) {
            bool asked = false;
            const TByteSink append = [&](std::string_view bytes) {
                // The fault is injected into the first piece, as into the whole content.
                if (!asked) {
                    asked = true;
                    if (const int fault = injectedFault(TWriteStep::Write, temporary)) {
                        std::fwrite(bytes.data(), 1, bytes.size() / 2, file);
                        std::fflush(file);
                        throw TAppendFailed{fault};
                    }
                }
                errno = 0;
                if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
                    throw TAppendFailed{errno != 0 ? errno : EIO};
            };
            try {
                write(append);
            } catch (const TAppendFailed& failed) {
                return failed.code;
            }
            errno = 0;
            if (std::fflush(file) != 0) return errno != 0 ? errno : EIO;
            return 0;
        },
        check);
}

namespace {

void replaceFileWith(const std::string& path, const TContentWriter& writeContent,
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

    removeLeftovers(target);
    TTempFile temp;
    TFile file;
    const std::string pid = std::to_string(::getpid());
    for (int n = 0; !file; ++n) {
        const std::string name = target.string() + ".tav-" + pid + "-" + std::to_string(n) + ".tmp";
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
    int writeError = writeContent(file.get(), temp.path);
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
            throw EInOutError(stop + " The new content was kept in \"" +
                              displayPath(keptName(target.string(), temp.path)) + "\".");
        }
    }
    const int fault = injectedFault(TWriteStep::Rename, target.string());
    if (fault != 0 || ::rename(temp.path.c_str(), target.c_str()) != 0) {
        throw EInOutError(
            "the temporary file could not replace it: " + reason(fault != 0 ? fault : errno) + ".");
    }
    temp.keep = true;
}

}  // namespace

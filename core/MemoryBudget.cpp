#include "core/MemoryBudget.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/Errors.h"
#include "core/TextUtils.h"

namespace {

std::function<std::uint64_t()>& availableOverride() {
    static std::function<std::uint64_t()> override;
    return override;
}

std::uint64_t memInfoAvailable() {
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string key;
        std::uint64_t kibibytes = 0;
        if (fields >> key >> kibibytes && key == "MemAvailable:") return kibibytes * 1024;
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * pageSize : 0;
}

}  // namespace

std::uint64_t availableMemoryBytes() {
    return availableOverride() ? availableOverride()() : memInfoAvailable();
}

void setAvailableMemoryForTesting(std::function<std::uint64_t()> available) {
    availableOverride() = std::move(available);
}

std::string megabytesText(std::uint64_t bytes) {
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    const auto megabytes = static_cast<double>((bytes + kMegabyte - 1) / kMegabyte);
    return formatNumber(0, 0, megabytes) + " MB";
}

void checkMemoryFor(std::uint64_t needed, const std::string& what) {
    const std::uint64_t available = availableMemoryBytes();
    if (available == 0 || needed <= available) return;
    throw ELimitError(what + " needs about " + megabytesText(needed) + " of memory; " +
                      megabytesText(available) + " are available.");
}

#include "core/PrivateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/Errors.h"

std::string TPrivateFolder::file(const std::string& name) const {
    if (m_path.empty()) makeFolder();
    return (std::filesystem::path(m_path) / name).string();
}

void TPrivateFolder::makeFolder() const {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "tav-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the folder with mode 0700: no other user reads the table's copy.
    if (mkdtemp(name.data()) == nullptr) {
        throw EInOutError("A temporary folder could not be made in \"" + base.string() +
                          "\": " + std::strerror(errno));
    }
    m_path = name.data();
}

TPrivateFolder::~TPrivateFolder() {
    if (m_path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

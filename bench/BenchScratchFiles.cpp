#include "bench/BenchScratchFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

class TScratchFolder {
  public:
    TScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tav-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

}  // namespace

std::string writeScratchFile(const std::string& name, const std::string& bytes) {
    static TScratchFolder folder;
    const std::string path = (folder.path() / name).string();
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
    return path;
}

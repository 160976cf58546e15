#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The parts of a zip archive held in memory (a workbook's XML parts), read with minizip.
class TZipArchive {
  public:
    // Opens the archive in `bytes`, which must outlive it. Throws EConvertError naming
    // `fileName` when they are not a zip archive.
    TZipArchive(std::string_view bytes, const std::string& fileName);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    // Whether the archive has a part of this name (compared with case).
    bool has(const std::string& name);
    // The bytes of the part `name`, or none when there is none. Throws EConvertError naming the
    // file for a part that is encrypted, damaged or larger than 1 GiB.
    std::optional<std::string> part(const std::string& name);

  private:
    struct TState;
    std::unique_ptr<TState> m_state;
    std::string m_fileName;
};

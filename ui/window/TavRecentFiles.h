#pragma once

#include <string>
#include <vector>

// The data files opened last, newest first, at most kMaxRecentFiles, kept in the user's settings
// between runs (the only thing the program keeps). Paths are the operating system's bytes.
class TRecentFiles {
  public:
    static constexpr int kMaxRecentFiles = 8;

    // Reads the list from the settings.
    TRecentFiles();

    const std::vector<std::string>& paths() const { return m_paths; }
    // Puts `path` first (once) and drops what no longer fits; saved at once.
    void add(const std::string& path);
    // Takes `path` off the list; saved at once.
    void remove(const std::string& path);

  private:
    void save() const;

    std::vector<std::string> m_paths;
};

#pragma once

#include <string>

// A folder of the process's own in the system's temporary folder, readable by this user only,
// made when a file's path in it is first asked for and removed with everything in it when the
// object goes: the place for a data file the program
// makes for itself (a database table read into the in-memory table), which the user never named.
class TPrivateFolder {
  public:
    TPrivateFolder() = default;
    ~TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;

    // The path of `name` inside the folder, made first when it is not there yet. Throws
    // EInOutError with the system's reason when it cannot be made.
    std::string file(const std::string& name) const;

  private:
    void makeFolder() const;
    mutable std::string m_path;  // "" until made
};

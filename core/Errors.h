#pragma once

#include <stdexcept>
#include <string>

// Errors of the data core. Each ends the current command; its message is shown to the user as it
// stands (Windows-1250 text).
class ETavError : public std::runtime_error {
  public:
    explicit ETavError(const std::string& message) : std::runtime_error(message) {}
};

// A text that should be a number is not one ("'abc' is not a valid integer value").
class EConvertError : public ETavError {
  public:
    using ETavError::ETavError;
};

// A file could not be opened, read or written.
class EInOutError : public ETavError {
  public:
    using ETavError::ETavError;
};

// A file given to the load is not a data file: its first line is not a "TAV DATA" header. The
// front ends offer to import it as a plain table instead.
class ENotADataFile : public EInOutError {
  public:
    ENotADataFile(const std::string& path, const std::string& message)
        : EInOutError(message), m_path(path) {}
    // The file as it was given (the operating system's bytes).
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

// An index outside the bounds of a list.
class EListIndexError : public ETavError {
  public:
    using ETavError::ETavError;
};

// A data file that goes beyond a limit of the data model (records, fields, code ranges,
// boundaries).
class ELimitError : public ETavError {
  public:
    using ETavError::ETavError;
};

// An error of the code page tables.
class ECodePageError : public ETavError {
  public:
    using ETavError::ETavError;
};

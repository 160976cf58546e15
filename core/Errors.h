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

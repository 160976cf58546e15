#pragma once

#include <stdexcept>
#include <string>

// The error of the result table component: a message and the table's FileName at the time of the
// error (empty for in-memory tables, key search and filter errors).
class ExDataSetError : public std::runtime_error {
  public:
    explicit ExDataSetError(const std::string& message, std::string fileName = {})
        : std::runtime_error(message), m_fileName(std::move(fileName)) {}

    const std::string& fileName() const { return m_fileName; }

  private:
    std::string m_fileName;
};

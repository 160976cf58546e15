#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Errors.h"

// A connection to a PostgreSQL server through libpq, and the results of its statements. Texts
// cross it as Windows-1250 (the server converts), dates in ISO order.

// A database command failed: the connection, the table or a statement. The message says which,
// with the server's own text.
class EDatabaseError : public ETavError {
  public:
    using ETavError::ETavError;
};

// The connection broke in the middle of a command; the command stops as a Cancel stops it.
class EConnectionLost : public EDatabaseError {
  public:
    using EDatabaseError::EDatabaseError;
};

// The rows of one statement's result, owned; cells as texts.
class TPgResult {
  public:
    TPgResult() = default;
    explicit TPgResult(void* result);  // takes a PGresult*
    ~TPgResult();
    TPgResult(TPgResult&& other) noexcept;
    TPgResult& operator=(TPgResult&& other) noexcept;

    int rows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    // The cell's text ("" for a null).
    std::string text(int row, int column) const;
    // The cell as a whole number or a number; throws EDatabaseError when it is not one.
    long long integer(int row, int column) const;
    double number(int row, int column) const;
    // The column's name and the type's object id in the server's catalogue.
    std::string columnName(int column) const;
    unsigned columnType(int column) const;

  private:
    void* m_result = nullptr;
};

// One open connection. Not thread-safe.
class TPgConnection {
  public:
    // Connects with a connection URI ("postgresql://user@host/db") or key=value settings.
    // Throws EDatabaseError saying whether the server refused the connection, the password was
    // wrong or the settings were bad, with libpq's text.
    explicit TPgConnection(const std::string& uri);
    ~TPgConnection();
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    // Runs one statement whose parameters $1..$n are `params` (texts; none is a null) and
    // returns its rows. Throws EConnectionLost when the connection broke, EDatabaseError with the
    // server's text for any other failure.
    TPgResult run(const std::string& sql,
                  const std::vector<std::optional<std::string>>& params = {});

    // Runs a COPY ... TO STDOUT statement and hands its bytes to `sink` piece by piece. Throws
    // as run.
    void copyOut(const std::string& sql, const std::function<void(std::string_view)>& sink);

  private:
    // Throws for a failed result (EConnectionLost or EDatabaseError) and frees it.
    [[noreturn]] void fail(void* result);

    void* m_connection = nullptr;  // PGconn*
};

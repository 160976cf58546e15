#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

// A SQLite database file that a test fills with statements of its own.
class SqliteFile {
  public:
    explicit SqliteFile(const std::string& path) {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK)
            throw std::runtime_error("sqlite3_open failed");
    }
    ~SqliteFile() { sqlite3_close(m_db); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Runs `sql` (one or more statements); throws with SQLite's message when it fails.
    SqliteFile& exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text + " in " + sql);
        }
        return *this;
    }

    // The connection, for statements with bound values.
    sqlite3* handle() const { return m_db; }

  private:
    sqlite3* m_db = nullptr;
};

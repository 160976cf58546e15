#pragma once

#include <optional>
#include <string>
#include <vector>

// The table of the database tests: hostile names and values, missing values of every kind,
// numbers coded by intervals and by themselves, a boolean and a date, the same rows as a CSV
// file and in the test server.

// Windows-1250 texts with letters beyond ASCII: "Žluť", "žluť kůň".
extern const std::string kYellow;
extern const std::string kHorse;

struct TRow {
    std::optional<std::string> odd, age, small, score, flag, day, note, klass;
};

// 400 rows. The first rows bring each text column's values in sorted order, so that the data
// file's codes (in order of first appearance) and the server's (sorted) are the same codes.
std::vector<TRow> hostileRows();

// The column names and their types in the server.
extern const std::vector<std::string> kColumns;
extern const char* const kTypes[];
// The table's name in the server, one per process: CTest runs each test in a process of its
// own, several at once, and each loads its own table.
extern const std::string kTable;

std::vector<std::optional<std::string>> cells(const TRow& row);

// The rows as a CSV file in Windows-1250, every value quoted; a null is an empty value.
std::string csvText(const std::vector<TRow>& rows);

// Loads the rows into the test server under kTable, replacing an earlier table of that name.
void loadServer(const std::vector<TRow>& rows);

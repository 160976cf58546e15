#include "HostileTable.h"

#include <unistd.h>

#include <cstdio>

#include "PgServer.h"
#include "db/PgConnection.h"
#include "db/SqlDialect.h"

const std::string kYellow = "\x8Elu\x9D";
const std::string kHorse = "\x9Elu\x9D k\xF9\xF2";

std::vector<TRow> hostileRows() {
    const std::vector<std::string> odd = {"a'b", "plain", "semi;colon", kYellow};
    const std::vector<std::string> klass = {"maybe", "no", "yes"};
    std::vector<TRow> rows;
    for (int r = 0; r < 400; ++r) {
        TRow row;
        if (r % 17 == 5) {
            row.odd = std::nullopt;
        } else if (r % 23 == 7) {
            row.odd = "NA";
        } else {
            row.odd = odd[r < 4 ? r : (r * 7 + r / 5) % 4];
        }
        row.age = std::to_string((r * 37) % 91);
        if (r % 11 != 3) row.small = std::to_string(1 + (r * 5 + r / 9) % 5);
        if (r % 13 != 4) row.score = std::to_string((r * 53) % 200) + ".25";
        row.flag = (r < 2 ? r == 1 : (r * 3) % 7 < 3) ? "true" : "false";
        const int day = (r * 29) % 300;
        char date[16];
        std::snprintf(date, sizeof date, "2024-%02d-%02d", 1 + day / 28, 1 + day % 28);
        row.day = date;
        if (r % 9 != 2) {
            row.note = r % 31 == 0 ? kHorse + " " + std::to_string(r)
                                   : std::string(1, static_cast<char>('A' + r % 26)) + "note" +
                                         std::to_string(r);
        }
        row.klass = klass[r < 3 ? r : (r * 11 + r / 3) % 3];
        rows.push_back(row);
    }
    return rows;
}

const std::vector<std::string> kColumns = {
    "it's \"odd\"; " + kYellow, "Age", "small", "score", "flag", "day", "note", "class"};
const char* const kTypes[] = {"text", "int4", "int2", "float8", "boolean", "date", "text", "text"};
const std::string kTable = "tab\"le; drop " + kYellow + " " + std::to_string(getpid());

std::vector<std::optional<std::string>> cells(const TRow& row) {
    return {row.odd, row.age, row.small, row.score, row.flag, row.day, row.note, row.klass};
}

std::string csvText(const std::vector<TRow>& rows) {
    auto quoted = [](const std::string& text) {
        std::string out = "\"";
        for (char c : text) {
            if (c == '"') out += '"';
            out += c;
        }
        return out + "\"";
    };
    std::string text;
    for (size_t i = 0; i < kColumns.size(); ++i)
        text += (i > 0 ? "," : "") + quoted(kColumns[i]);
    text += "\n";
    for (const TRow& row : rows) {
        const auto values = cells(row);
        for (size_t i = 0; i < values.size(); ++i)
            text += (i > 0 ? "," : "") + quoted(values[i].value_or(""));
        text += "\n";
    }
    return text;
}

void loadServer(const std::vector<TRow>& rows) {
    TPgConnection connection(testServerUri());
    const std::string table = sqlDialect::quoteIdentifier(kTable);
    connection.run("DROP TABLE IF EXISTS " + table);
    std::string create = "CREATE TABLE " + table + " (";
    std::string insert = "INSERT INTO " + table + " VALUES (";
    for (size_t i = 0; i < kColumns.size(); ++i) {
        create += (i > 0 ? ", " : "") + sqlDialect::quoteIdentifier(kColumns[i]) + " " + kTypes[i];
        insert += (i > 0 ? ", $" : "$") + std::to_string(i + 1) + "::" + kTypes[i];
    }
    connection.run(create + ")");
    for (const TRow& row : rows)
        connection.run(insert + ")", cells(row));
}

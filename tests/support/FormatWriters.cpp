#include "support/FormatWriters.h"

#include <readstat.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <cstdio>
#include <stdexcept>

namespace {

void check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("cannot write " + what);
}

// readstat writes through a callback: into an open file.
ssize_t toFile(const void* data, size_t length, void* context) {
    return static_cast<ssize_t>(std::fwrite(data, 1, length, static_cast<std::FILE*>(context)));
}

// A readstat writer on a file, closed at the end.
struct TStatWriter {
    explicit TStatWriter(const std::string& path) : file(std::fopen(path.c_str(), "wb")) {
        check(file != nullptr, path);
        writer = readstat_writer_init();
        readstat_set_data_writer(writer, toFile);
    }
    ~TStatWriter() {
        readstat_writer_free(writer);
        std::fclose(file);
    }
    std::FILE* file;
    readstat_writer_t* writer;
};

}  // namespace

void writeLoansWorkbook(const std::string& path, bool inlineStrings) {
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    check(book != nullptr, path);
    lxw_worksheet* loans = workbook_add_worksheet(book, "Loans");
    lxw_worksheet* notes = workbook_add_worksheet(book, "Notes");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00 \"Kč\"");
    worksheet_write_string(loans, 0, 0, "Loans of 2024; from the branch", nullptr);
    const char* header[] = {"Name", "Age", "Income", "Owner", "Since", "Note", "Loan"};
    for (int c = 0; c < 7; ++c)
        worksheet_write_string(loans, 2, static_cast<lxw_col_t>(c), header[c], nullptr);
    struct TRow {
        const char* name;
        double age;
        double income;
        bool owner;
        lxw_datetime since;
        const char* note;
        const char* loan;
    };
    const TRow rows[] = {
        {"Novák", 31, 1200.5, true, {2019, 3, 1, 0, 0, 0}, "", "approved"},
        {"Dvořák", 45, 2300.25, false, {2020, 7, 15, 0, 0, 0}, "late once", "refused"},
        {"Černá", 28, 900, true, {2021, 1, 31, 0, 0, 0}, "", "approved"},
        {"Kučera", 52, 3100.75, false, {2018, 11, 2, 0, 0, 0}, "", "refused"},
        {"Svoboda", 39, 1500, true, {2022, 5, 20, 0, 0, 0}, "", "approved"},
        {"Veselá", 0, 0, false, {2023, 9, 9, 0, 0, 0}, "", "approved"},
    };
    lxw_row_t r = 3;
    for (const TRow& row : rows) {
        worksheet_write_string(loans, r, 0, row.name, nullptr);
        // The last record has no age or income: empty cells are missing values.
        if (row.age > 0) worksheet_write_number(loans, r, 1, row.age, nullptr);
        if (row.income > 0) worksheet_write_number(loans, r, 2, row.income, money);
        worksheet_write_boolean(loans, r, 3, row.owner, nullptr);
        lxw_datetime since = row.since;
        worksheet_write_datetime(loans, r, 4, &since, date);
        if (*row.note != '\0') worksheet_write_string(loans, r, 5, row.note, nullptr);
        worksheet_write_string(loans, r, 6, row.loan, nullptr);
        ++r;
    }
    // A formula's cached text is a value like any other.
    worksheet_write_formula_str(loans, 8, 5, "=\"by formula\"", nullptr, "by formula");
    worksheet_write_string(notes, 0, 0, "Remark", nullptr);
    worksheet_write_string(notes, 1, 0, "checked", nullptr);
    check(workbook_close(book) == LXW_NO_ERROR, path);
}

void writeZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& parts) {
    zipFile zip = zipOpen64(path.c_str(), 0);
    check(zip != nullptr, path);
    for (const auto& [name, bytes] : parts) {
        zip_fileinfo info{};
        // An ODF package's mimetype comes first and stored, so that it can be read at offset 38.
        const int method = name == "mimetype" ? 0 : Z_DEFLATED;
        check(zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                  Z_DEFAULT_COMPRESSION) == ZIP_OK,
              path);
        check(zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK,
              path);
        zipCloseFileInZip(zip);
    }
    check(zipClose(zip, nullptr) == ZIP_OK, path);
}

void writeOds(const std::string& path, const std::string& contentXml, bool encrypted) {
    std::string manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
        "<manifest:file-entry manifest:full-path=\"/\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\">";
    if (encrypted) {
        manifest +=
            "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\" "
            "manifest:checksum=\"AAAA\"/>";
    }
    manifest += "</manifest:file-entry></manifest:manifest>";
    writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                    {"content.xml", contentXml},
                    {"META-INF/manifest.xml", manifest}});
}

std::string loansOdsContent() {
    const auto text = [](const std::string& value) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + value +
               "</text:p></table:table-cell>";
    };
    const auto number = [](const std::string& value) {
        return "<table:table-cell office:value-type=\"float\" office:value=\"" + value +
               "\"><text:p>" + value + "</text:p></table:table-cell>";
    };
    const auto boolean = [](bool value) {
        return std::string(
                   "<table:table-cell office:value-type=\"boolean\" "
                   "office:boolean-value=\"") +
               (value ? "true" : "false") + "\"><text:p>x</text:p></table:table-cell>";
    };
    const auto date = [](const std::string& value) {
        return "<table:table-cell office:value-type=\"date\" office:date-value=\"" + value +
               "\"><text:p>" + value + "</text:p></table:table-cell>";
    };
    const std::string empty = "<table:table-cell/>";
    const auto row = [](const std::string& cells) {
        return "<table:table-row>" + cells + "</table:table-row>";
    };
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
        "<office:body><office:spreadsheet><table:table table:name=\"Loans\">";
    xml += row(text("Loans of 2024"));
    xml += row(text("Name") + text("Age") + text("Owner") + text("Since") + text("Loan"));
    xml +=
        row(text("Novák") + number("31") + boolean(true) + date("2019-03-01") + text("approved"));
    xml += row(text("Dvořák") + number("45.5") + boolean(false) + date("2020-07-15T10:30:00") +
               text("refused"));
    // A blank row between records, as a sheet may have, and one written as repeated.
    xml +=
        "<table:table-row table:number-rows-repeated=\"3\">"
        "<table:table-cell table:number-columns-repeated=\"5\"/></table:table-row>";
    xml += row(text("Černá") + empty + boolean(true) + date("2021-01-31") + text("approved"));
    // Two records in one repeated row; the repeated cell fills two columns.
    xml += "<table:table-row table:number-rows-repeated=\"2\">" + text("Twin") + number("7") +
           "<table:table-cell table:number-columns-repeated=\"2\"/>" + text("refused") +
           "</table:table-row>";
    // The style rows that end every sheet: a million empty rows, never expanded.
    xml +=
        "<table:table-row table:number-rows-repeated=\"1048000\">"
        "<table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row>";
    xml += "</table:table><table:table table:name=\"Second\">";
    xml += row(text("Remark")) + row(text("checked &lt;a&gt; &amp; done"));
    xml += "</table:table></office:spreadsheet></office:body></office:document-content>";
    return xml;
}

void writeLoansSav(const std::string& path) {
    TStatWriter out(path);
    readstat_label_set_t* sexes = readstat_add_label_set(out.writer, READSTAT_TYPE_DOUBLE, "sexes");
    readstat_label_double_value(sexes, 1, "male");
    readstat_label_double_value(sexes, 2, "female");
    readstat_label_double_value(sexes, 9, "refused");
    readstat_label_set_t* loans = readstat_add_label_set(out.writer, READSTAT_TYPE_DOUBLE, "loans");
    readstat_label_double_value(loans, 3, "pending");
    readstat_label_double_value(loans, 1, "approved");
    readstat_label_double_value(loans, 2, "refused");
    readstat_variable_t* sex = readstat_add_variable(out.writer, "SEX", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_label_set(sex, sexes);
    readstat_variable_set_label(sex, "Sex of the applicant");
    readstat_variable_add_missing_double_value(sex, 9);
    readstat_variable_t* age = readstat_add_variable(out.writer, "AGE", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_t* born = readstat_add_variable(out.writer, "BORN", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_format(born, "DATE11");
    readstat_variable_t* city = readstat_add_variable(out.writer, "CITY", READSTAT_TYPE_STRING, 16);
    readstat_variable_t* loan = readstat_add_variable(out.writer, "LOAN", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_label_set(loan, loans);
    check(readstat_begin_writing_sav(out.writer, out.file, 10) == READSTAT_OK, path);
    // Seconds from 1582-10-14 to 1990-01-01 and a day's seconds.
    const double day1990 = 12850531200.0;
    const double sexCodes[] = {1, 2, 9, 1, 2, 1, 2, 1, 1, 2};
    const double loanCodes[] = {1, 2, 1, 3, 2, 1, 1, 2, 1, 3};
    const char* cities[] = {"Praha", "Brno",  "Plzeň",   "",      "Praha",
                            "Brno",  "Praha", "Ostrava", "Praha", "Brno"};
    for (int r = 0; r < 10; ++r) {
        readstat_begin_row(out.writer);
        readstat_insert_double_value(out.writer, sex, sexCodes[r]);
        if (r == 5) {
            readstat_insert_missing_value(out.writer, age);
        } else {
            readstat_insert_double_value(out.writer, age, 20 + 3 * r);
        }
        readstat_insert_double_value(out.writer, born, day1990 + 86400.0 * 31 * r);
        readstat_insert_string_value(out.writer, city, cities[r]);
        readstat_insert_double_value(out.writer, loan, loanCodes[r]);
        readstat_end_row(out.writer);
    }
    check(readstat_end_writing(out.writer) == READSTAT_OK, path);
}

void writeGroupsDta(const std::string& path) {
    TStatWriter out(path);
    readstat_label_set_t* groups =
        readstat_add_label_set(out.writer, READSTAT_TYPE_INT32, "groups");
    readstat_label_int32_value(groups, 1, "low");
    readstat_label_int32_value(groups, 2, "middle");
    readstat_label_int32_value(groups, 3, "high");
    readstat_label_tagged_value(groups, 'a', "not asked");
    readstat_label_set_t* answers =
        readstat_add_label_set(out.writer, READSTAT_TYPE_INT32, "answers");
    readstat_label_int32_value(answers, 0, "no");
    readstat_label_int32_value(answers, 1, "yes");
    readstat_variable_t* group = readstat_add_variable(out.writer, "GROUP", READSTAT_TYPE_INT32, 0);
    readstat_variable_set_label_set(group, groups);
    readstat_variable_set_label(group, "Income group");
    readstat_variable_t* score =
        readstat_add_variable(out.writer, "SCORE", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_t* day = readstat_add_variable(out.writer, "DAY", READSTAT_TYPE_INT32, 0);
    readstat_variable_set_format(day, "%td");
    readstat_variable_t* answer =
        readstat_add_variable(out.writer, "CLASS", READSTAT_TYPE_INT32, 0);
    readstat_variable_set_label_set(answer, answers);
    check(readstat_begin_writing_dta(out.writer, out.file, 8) == READSTAT_OK, path);
    const int groupCodes[] = {1, 2, 3, 0, 1, 0, 2, 3};  // 0: an extended missing value below
    const int classCodes[] = {0, 1, 1, 0, 0, 1, 1, 1};
    for (int r = 0; r < 8; ++r) {
        readstat_begin_row(out.writer);
        if (groupCodes[r] == 0) {
            readstat_insert_tagged_missing_value(out.writer, group, r == 3 ? 'a' : 'b');
        } else {
            readstat_insert_int32_value(out.writer, group, groupCodes[r]);
        }
        readstat_insert_double_value(out.writer, score, 0.5 + r);
        // Days from 1960-01-01: 2000-01-01 is day 14610.
        readstat_insert_int32_value(out.writer, day, 14610 + r);
        readstat_insert_int32_value(out.writer, answer, classCodes[r]);
        readstat_end_row(out.writer);
    }
    check(readstat_end_writing(out.writer) == READSTAT_OK, path);
}

void writeVisitsXpt(const std::string& path) {
    TStatWriter out(path);
    readstat_variable_t* id = readstat_add_variable(out.writer, "ID", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_t* height =
        readstat_add_variable(out.writer, "HEIGHT", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_t* name = readstat_add_variable(out.writer, "NAME", READSTAT_TYPE_STRING, 8);
    readstat_variable_t* visit =
        readstat_add_variable(out.writer, "VISIT", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_format(visit, "DATE9");
    check(readstat_begin_writing_xport(out.writer, out.file, 4) == READSTAT_OK, path);
    const char* names[] = {"Ana", "Bor", "Ciril", "Dana"};
    for (int r = 0; r < 4; ++r) {
        readstat_begin_row(out.writer);
        readstat_insert_double_value(out.writer, id, r + 1);
        readstat_insert_double_value(out.writer, height, 160.5 + 5 * r);
        readstat_insert_string_value(out.writer, name, names[r]);
        readstat_insert_double_value(out.writer, visit, 14610 + 100 * r);
        readstat_end_row(out.writer);
    }
    check(readstat_end_writing(out.writer) == READSTAT_OK, path);
}

void writeManyLabelsSav(const std::string& path, int labels) {
    TStatWriter out(path);
    readstat_label_set_t* set = readstat_add_label_set(out.writer, READSTAT_TYPE_DOUBLE, "many");
    for (int code = 1; code <= labels; ++code)
        readstat_label_double_value(set, code, ("value " + std::to_string(code)).c_str());
    readstat_variable_t* value = readstat_add_variable(out.writer, "CODE", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_label_set(value, set);
    check(readstat_begin_writing_sav(out.writer, out.file, 2) == READSTAT_OK, path);
    for (int r = 0; r < 2; ++r) {
        readstat_begin_row(out.writer);
        readstat_insert_double_value(out.writer, value, r + 1);
        readstat_end_row(out.writer);
    }
    check(readstat_end_writing(out.writer) == READSTAT_OK, path);
}

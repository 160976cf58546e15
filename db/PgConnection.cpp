#include "db/PgConnection.h"

#include "db/SqlDialect.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace {

PGresult* asResult(void* result) {
    return static_cast<PGresult*>(result);
}

// libpq's message without its trailing line break.
std::string trimmed(const char* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool holds(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The first clause of a failed connection's message: what a user can act on.
std::string connectionProblem(const std::string& detail) {
    if (holds(detail, "password authentication failed") || holds(detail, "authentication failed") ||
        holds(detail, "no password supplied") || holds(detail, "no pg_hba.conf entry"))
        return "Authentication failed at the database server";
    if (holds(detail, "Connection refused") || holds(detail, "No such file or directory"))
        return "The database server refused the connection (is it running there?)";
    if (holds(detail, "does not exist")) return "The database server has no such database or user";
    if (holds(detail, "invalid") || holds(detail, "missing"))
        return "The connection string is not valid";
    return "Cannot connect to the database server";
}

}  // namespace

TPgResult::TPgResult(void* result) : m_result(result) {}

TPgResult::~TPgResult() {
    PQclear(asResult(m_result));
}

TPgResult::TPgResult(TPgResult&& other) noexcept : m_result(other.m_result) {
    other.m_result = nullptr;
}

TPgResult& TPgResult::operator=(TPgResult&& other) noexcept {
    if (this != &other) {
        PQclear(asResult(m_result));
        m_result = other.m_result;
        other.m_result = nullptr;
    }
    return *this;
}

int TPgResult::rows() const {
    return m_result != nullptr ? PQntuples(asResult(m_result)) : 0;
}

int TPgResult::columns() const {
    return m_result != nullptr ? PQnfields(asResult(m_result)) : 0;
}

bool TPgResult::isNull(int row, int column) const {
    return PQgetisnull(asResult(m_result), row, column) != 0;
}

std::string TPgResult::text(int row, int column) const {
    const char* value = PQgetvalue(asResult(m_result), row, column);
    return std::string(value, PQgetlength(asResult(m_result), row, column));
}

long long TPgResult::integer(int row, int column) const {
    const std::string value = text(row, column);
    char* end = nullptr;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0')
        throw EDatabaseError("The database server gave \"" + value + "\" for a whole number");
    return number;
}

double TPgResult::number(int row, int column) const {
    const std::string value = text(row, column);
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0')
        throw EDatabaseError("The database server gave \"" + value + "\" for a number");
    return number;
}

std::string TPgResult::columnName(int column) const {
    return PQfname(asResult(m_result), column);
}

unsigned TPgResult::columnType(int column) const {
    return PQftype(asResult(m_result), column);
}

TPgConnection::TPgConnection(const std::string& uri) {
    PGconn* connection = PQconnectdb(uri.c_str());
    m_connection = connection;
    if (connection == nullptr) throw EDatabaseError("Cannot connect to the database server");
    if (PQstatus(connection) != CONNECTION_OK) {
        const std::string detail = trimmed(PQerrorMessage(connection));
        PQfinish(connection);
        m_connection = nullptr;
        throw EDatabaseError(connectionProblem(detail) + ": " + detail);
    }
    // The program's texts are Windows-1250; the server converts both ways and refuses a
    // character that has no Windows-1250 form.
    if (PQsetClientEncoding(connection, "WIN1250") != 0) {
        const std::string detail = trimmed(PQerrorMessage(connection));
        PQfinish(connection);
        m_connection = nullptr;
        throw EDatabaseError("The database server cannot send Windows-1250 texts: " + detail);
    }
    // Notices ("table does not exist, skipping") are not the user's concern.
    PQsetNoticeProcessor(
        connection, [](void*, const char*) {}, nullptr);
    for (const std::string& setting : sqlDialect::sessionSettings())
        run(setting);
}

TPgConnection::~TPgConnection() {
    PQfinish(static_cast<PGconn*>(m_connection));
}

TPgResult TPgConnection::run(const std::string& sql,
                             const std::vector<std::optional<std::string>>& params) {
    PGconn* connection = static_cast<PGconn*>(m_connection);
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const std::optional<std::string>& param : params)
        values.push_back(param ? param->c_str() : nullptr);
    PGresult* result = PQexecParams(connection, sql.c_str(), static_cast<int>(values.size()),
                                    nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return TPgResult(result);
    fail(result);
}

void TPgConnection::copyOut(const std::string& sql,
                            const std::function<void(std::string_view)>& sink) {
    PGconn* connection = static_cast<PGconn*>(m_connection);
    PGresult* started = PQexec(connection, sql.c_str());
    if (PQresultStatus(started) != PGRES_COPY_OUT) fail(started);
    PQclear(started);
    for (;;) {
        char* buffer = nullptr;
        const int length = PQgetCopyData(connection, &buffer, 0);
        if (length < 0) break;
        // The buffer is freed even when the sink throws.
        const std::unique_ptr<char, void (*)(void*)> owned(buffer, PQfreemem);
        sink(std::string_view(buffer, length));
    }
    PGresult* finished = PQgetResult(connection);
    const bool done = PQresultStatus(finished) == PGRES_COMMAND_OK;
    if (!done) fail(finished);
    PQclear(finished);
    while (PGresult* rest = PQgetResult(connection))
        PQclear(rest);
}

void TPgConnection::fail(void* failed) {
    PGconn* connection = static_cast<PGconn*>(m_connection);
    PGresult* result = static_cast<PGresult*>(failed);
    std::string detail = trimmed(result != nullptr ? PQresultErrorMessage(result) : "");
    if (detail.empty()) detail = trimmed(PQerrorMessage(connection));
    PQclear(result);
    if (PQstatus(connection) != CONNECTION_OK)
        throw EConnectionLost("The connection to the database server was lost: " + detail);
    throw EDatabaseError("The database server refused a statement: " + detail);
}

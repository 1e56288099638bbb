#include "lab/pg_connection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>

#include <regex>
#include <utility>

namespace klv::lab {

namespace {

// The protocol carries at most this many parameters in one statement.
constexpr std::size_t kMaxParameters = 65535;

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty())
        return;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// The password a connection string carries, as libpq reads it; empty when none.
std::string passwordOf(const std::string& uri)
{
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), nullptr);
    std::string password;
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (std::string(o->keyword) == "password" && o->val)
            password = o->val;
    PQconninfoFree(options);
    return password;
}

}  // namespace

std::string redactUri(const std::string& uri)
{
    static const std::regex userInfo(R"((://[^:/@?\s]*:)[^@/?\s]*@)");
    static const std::regex queryPassword(R"(([?&]password=)[^&\s]*)", std::regex::icase);
    static const std::regex keywordPassword(R"((\bpassword\s*=\s*)('(\\.|[^'\\])*'|[^\s']+))", std::regex::icase);
    std::string text = std::regex_replace(uri, userInfo, "$1***@");
    text = std::regex_replace(text, queryPassword, "$1***");
    return std::regex_replace(text, keywordPassword, "$1***");
}

std::string redactMessage(const std::string& message, const std::string& uri)
{
    std::string text = redactUri(message);
    replaceAll(text, passwordOf(uri), "***");
    return text;
}

PgResult::PgResult(std::string error, std::string sqlState) : error_(std::move(error)), sqlState_(std::move(sqlState))
{
}

PgResult::~PgResult()
{
    if (result_)
        PQclear(result_);
}

PgResult::PgResult(PgResult&& other) noexcept
        : result_(std::exchange(other.result_, nullptr)), error_(std::move(other.error_)),
          sqlState_(std::move(other.sqlState_))
{
}

PgResult& PgResult::operator=(PgResult&& other) noexcept
{
    if (this != &other) {
        if (result_)
            PQclear(result_);
        result_ = std::exchange(other.result_, nullptr);
        error_ = std::move(other.error_);
        sqlState_ = std::move(other.sqlState_);
    }
    return *this;
}

bool PgResult::ok() const
{
    if (!result_)
        return false;
    const ExecStatusType status = PQresultStatus(result_);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

int PgResult::rows() const { return ok() ? PQntuples(result_) : 0; }

bool PgResult::isNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }

std::string PgResult::value(int row, int column) const { return PQgetvalue(result_, row, column); }

PgConnection::~PgConnection() { close(); }

bool PgConnection::connect(const std::string& uri, std::chrono::seconds connectTimeout)
{
    close();
    uri_ = uri;
    const std::string timeout = std::to_string(connectTimeout.count());
    // Earlier keywords are defaults: whatever the URI itself says overrides them.
    const char* keywords[] = {"connect_timeout", "fallback_application_name", "dbname", nullptr};
    const char* values[] = {timeout.c_str(), "klv-station", uri.c_str(), nullptr};
    conn_ = PQconnectdbParams(keywords, values, 1);
    if (PQstatus(conn_) != CONNECTION_OK) {
        error_ = redactMessage(trimmed(PQerrorMessage(conn_)), uri_);
        close();
        return false;
    }
    PQsetnonblocking(conn_, 1);
    error_.clear();
    return true;
}

bool PgConnection::connected() const { return conn_ && PQstatus(conn_) == CONNECTION_OK; }

void PgConnection::close()
{
    if (conn_)
        PQfinish(std::exchange(conn_, nullptr));
}

PgResult PgConnection::fail(const std::string& message)
{
    error_ = redactMessage(trimmed(message), uri_);
    if (conn_ && PQstatus(conn_) != CONNECTION_OK)
        close();
    return PgResult(error_, "");
}

PgResult PgConnection::exec(const std::string& sql, const PgParams& params)
{
    if (!connected())
        return fail("not connected");
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const PgParam& p : params)
        values.push_back(p ? p->c_str() : nullptr);
    return await(PQsendQueryParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                                   nullptr, 0) == 1);
}

PgResult PgConnection::execScript(const std::string& sql)
{
    if (!connected())
        return fail("not connected");
    return await(PQsendQuery(conn_, sql.c_str()) == 1);
}

namespace {

// A field of COPY's text form: backslash escapes for the characters that end fields and rows.
void appendCopyField(std::string& out, const PgParam& value)
{
    if (!value) {
        out += "\\N";
        return;
    }
    for (char c : *value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

}  // namespace

PgResult PgConnection::copyRows(const std::string& table, const std::vector<std::string>& columns,
                                const std::vector<PgParams>& rows)
{
    if (!connected())
        return fail("not connected");
    std::string sql = "COPY " + table + " (";
    for (std::size_t c = 0; c < columns.size(); ++c)
        sql += (c ? "," : "") + columns[c];
    sql += ") FROM STDIN";
    std::string data;
    for (const PgParams& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c)
                data += '\t';
            appendCopyField(data, row[c]);
        }
        data += '\n';
    }
    const auto deadline = std::chrono::steady_clock::now() + statementTimeout_;
    if (PQsendQuery(conn_, sql.c_str()) != 1)
        return fail(PQerrorMessage(conn_));
    if (!waitForServer(deadline))
        return dropUnanswered();
    pg_result* started = PQgetResult(conn_);
    if (PQresultStatus(started) != PGRES_COPY_IN)
        return awaitUntil(true, deadline, started);  // refused before any row
    PQclear(started);
    constexpr std::size_t kChunk = 1 << 20;
    for (std::size_t at = 0; at < data.size();) {
        const int n = static_cast<int>(std::min(kChunk, data.size() - at));
        const int put = PQputCopyData(conn_, data.data() + at, n);
        if (put < 0)
            return fail(PQerrorMessage(conn_));
        if (put == 0 && !waitForServer(deadline))
            return dropUnanswered();
        at += put == 1 ? static_cast<std::size_t>(n) : 0;
    }
    int ended;
    while ((ended = PQputCopyEnd(conn_, nullptr)) == 0)
        if (!waitForServer(deadline))
            return dropUnanswered();
    return awaitUntil(ended == 1, deadline);
}

PgResult PgConnection::insertRows(const std::string& table, const std::vector<std::string>& columns,
                                  const std::vector<PgParams>& rows, const std::string& suffix)
{
    const std::size_t width = columns.size(), perStatement = kMaxParameters / width;
    std::string head = "INSERT INTO " + table + " (";
    for (std::size_t c = 0; c < width; ++c)
        head += (c ? "," : "") + columns[c];
    head += ") VALUES ";
    PgResult last;
    for (std::size_t first = 0; first < rows.size(); first += perStatement) {
        const std::size_t count = std::min(perStatement, rows.size() - first);
        std::string sql = head;
        PgParams params;
        params.reserve(count * width);
        for (std::size_t r = 0; r < count; ++r) {
            sql += r ? ",(" : "(";
            for (std::size_t c = 0; c < width; ++c) {
                sql += (c ? ",$" : "$") + std::to_string(params.size() + 1);
                params.push_back(rows[first + r][c]);
            }
            sql += ")";
        }
        last = exec(sql + " " + suffix, params);
        if (!last.ok())
            return last;
    }
    return last;
}

// Sends what libpq holds and waits until the server's answer can be read, or the deadline.
bool PgConnection::waitForServer(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const int flushed = PQflush(conn_);
        if (flushed < 0)
            return false;
        if (flushed == 0 && !PQisBusy(conn_))
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{PQsocket(conn_), static_cast<short>(POLLIN | (flushed ? POLLOUT : 0)), 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            return false;
        if ((fd.revents & (POLLIN | POLLERR | POLLHUP)) && !PQconsumeInput(conn_))
            return false;
    }
}

// Waits for every result of the statement just sent, all within the timeout.
PgResult PgConnection::await(bool sent)
{
    return awaitUntil(sent, std::chrono::steady_clock::now() + statementTimeout_);
}

// The server did not answer in time, or the link broke: the connection is dropped.
PgResult PgConnection::dropUnanswered()
{
    const bool timedOut = PQstatus(conn_) == CONNECTION_OK;
    const std::string why =
        timedOut ? "no answer from the server within " + std::to_string(statementTimeout_.count() / 1000) + " s"
                 : std::string(PQerrorMessage(conn_));
    close();
    return fail(why);
}

PgResult PgConnection::awaitUntil(bool sent, std::chrono::steady_clock::time_point deadline, pg_result* first)
{
    if (!sent)
        return fail(PQerrorMessage(conn_));
    PgResult outcome;
    for (pg_result* next = first;; next = nullptr) {
        if (!next) {
            if (!waitForServer(deadline))
                return dropUnanswered();
            next = PQgetResult(conn_);
        }
        if (!next)
            break;
        PgResult result(next);
        if (!result.ok() && outcome.error_.empty()) {
            result.error_ = redactMessage(trimmed(PQresultErrorMessage(next)), uri_);
            const char* state = PQresultErrorField(next, PG_DIAG_SQLSTATE);
            result.sqlState_ = state ? state : "";
            outcome = std::move(result);
        } else if (outcome.error_.empty()) {
            outcome = std::move(result);
        }
    }
    if (!outcome.error_.empty())
        error_ = outcome.error_;
    if (!connected())
        close();
    return outcome;
}

}  // namespace klv::lab

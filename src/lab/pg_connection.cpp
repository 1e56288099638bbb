#include "lab/pg_connection.h"

#include <libpq-fe.h>
#include <poll.h>

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

// Waits for every result of the statement just sent, each wait bounded by the timeout.
PgResult PgConnection::await(bool sent)
{
    if (!sent)
        return fail(PQerrorMessage(conn_));
    const auto deadline = std::chrono::steady_clock::now() + statementTimeout_;
    auto ready = [&]() {
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
    };
    PgResult outcome;
    for (;;) {
        if (!ready()) {
            const bool timedOut = PQstatus(conn_) == CONNECTION_OK;
            const std::string why =
                timedOut ? "no answer from the server within " + std::to_string(statementTimeout_.count() / 1000) + " s"
                         : std::string(PQerrorMessage(conn_));
            close();
            return fail(why);
        }
        pg_result* next = PQgetResult(conn_);
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

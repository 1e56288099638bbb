#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace klv::lab {

// One statement parameter in text form; std::nullopt is SQL NULL.
using PgParam = std::optional<std::string>;
using PgParams = std::vector<PgParam>;

// The outcome of one statement: rows as text, or the server's or the link's error.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(pg_result* result) : result_(result) {}
    PgResult(std::string error, std::string sqlState);
    ~PgResult();
    PgResult(PgResult&& other) noexcept;
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    bool ok() const;
    int rows() const;
    bool isNull(int row, int column) const;
    std::string value(int row, int column) const;
    // The error text (password removed) and SQLSTATE; empty when ok.
    const std::string& error() const { return error_; }
    const std::string& sqlState() const { return sqlState_; }

private:
    friend class PgConnection;
    pg_result* result_ = nullptr;
    std::string error_, sqlState_;
};

// A libpq connection owned by one thread at a time. Every statement is sent with the
// answer awaited for at most the timeout: a server that stops answering (paused, cable
// pulled) costs one timeout, after which the connection is dropped and reported.
class PgConnection {
public:
    PgConnection() = default;
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects to a libpq URI or key=value string; the URI's own connect_timeout wins
    // over connectTimeout. False with error() set on failure.
    bool connect(const std::string& uri, std::chrono::seconds connectTimeout);
    bool connected() const;
    void close();
    // What connect() was given, password included: for a second connection to the same place.
    const std::string& uri() const { return uri_; }
    // The error of the last failed connect or statement, with any password removed.
    const std::string& error() const { return error_; }
    // How long a statement may wait for its answer before the connection is dropped.
    void setStatementTimeout(std::chrono::milliseconds timeout) { statementTimeout_ = timeout; }

    // One statement with its parameters; never SQL built from data.
    PgResult exec(const std::string& sql, const PgParams& params = {});
    // A fixed script of several statements without parameters (the schema).
    PgResult execScript(const std::string& sql);
    // INSERT INTO table (columns) VALUES (...), (...) suffix: rows of columns.size() parameters
    // each, in as few statements as the protocol's parameter limit allows. Table, columns and
    // suffix (ON CONFLICT ...) are the caller's constants. The first failure is returned.
    PgResult insertRows(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<PgParams>& rows, const std::string& suffix);
    // COPY table (columns) FROM STDIN of the rows, in text form: the quickest way in, but a row
    // the table's keys refuse fails the whole statement (SQLSTATE 23505).
    PgResult copyRows(const std::string& table, const std::vector<std::string>& columns,
                      const std::vector<PgParams>& rows);

private:
    bool waitForServer(std::chrono::steady_clock::time_point deadline);
    PgResult await(bool sent);
    // The results of a statement sent, the first of them perhaps already taken.
    PgResult awaitUntil(bool sent, std::chrono::steady_clock::time_point deadline, pg_result* first = nullptr);
    PgResult dropUnanswered();
    PgResult fail(const std::string& message);

    pg_conn* conn_ = nullptr;
    std::string uri_;
    std::string error_;
    std::chrono::milliseconds statementTimeout_{10000};
};

// The URI as it may be shown or logged: the password, in any of libpq's spellings, is "***".
std::string redactUri(const std::string& uri);
// A message from libpq with every trace of the URI's password removed.
std::string redactMessage(const std::string& message, const std::string& uri);

}  // namespace klv::lab

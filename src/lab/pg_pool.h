#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "lab/pg_connection.h"

namespace klv::lab {

// A read that failed: the database is away, or refused the statement. The text has no password.
struct PgReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Connections to one database for many threads: a query borrows an idle connection (or opens
// one), runs, and gives it back unless it broke. The mutex guards the idle list only; no
// statement runs under it. Meant for reads: a statement may run twice (see query).
class PgPool {
public:
    explicit PgPool(std::string uri);
    ~PgPool();
    PgPool(const PgPool&) = delete;
    PgPool& operator=(const PgPool&) = delete;

    // One statement with its parameters; throws PgReadError when it fails.
    PgResult query(const std::string& sql, const PgParams& params);

private:
    static constexpr std::size_t kMaxIdle = 8;

    std::unique_ptr<PgConnection> borrow();  // an idle connection, or null
    std::unique_ptr<PgConnection> open();    // a new one; throws PgReadError

    std::string uri_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<PgConnection>> idle_;
};

}  // namespace klv::lab

#include "lab/pg_pool.h"

namespace klv::lab {

PgPool::PgPool(std::string uri) : uri_(std::move(uri)) {}

PgPool::~PgPool() = default;

std::unique_ptr<PgConnection> PgPool::borrow()
{
    std::lock_guard lock(mutex_);
    if (idle_.empty())
        return nullptr;
    std::unique_ptr<PgConnection> c = std::move(idle_.back());
    idle_.pop_back();
    return c;
}

std::unique_ptr<PgConnection> PgPool::open()
{
    auto c = std::make_unique<PgConnection>();
    if (!c->connect(uri_, std::chrono::seconds(5)))
        throw PgReadError(c->error());
    return c;
}

PgResult PgPool::query(const std::string& sql, const PgParams& params)
{
    std::unique_ptr<PgConnection> c = borrow();
    const bool reused = c != nullptr;
    if (!reused)
        c = open();
    PgResult result = c->exec(sql, params);
    // An idle connection that broke dates from before the server went away or restarted, and so
    // do the others: they are dropped and the read, which changes nothing, runs again on a new one.
    if (reused && !c->connected()) {
        std::vector<std::unique_ptr<PgConnection>> stale;
        {
            std::lock_guard lock(mutex_);
            stale.swap(idle_);
        }
        stale.clear();
        c = open();
        result = c->exec(sql, params);
    }
    if (c->connected()) {
        std::lock_guard lock(mutex_);
        if (idle_.size() < kMaxIdle)
            idle_.push_back(std::move(c));
    }
    if (!result.ok())
        throw PgReadError(result.error());
    return result;
}

}  // namespace klv::lab

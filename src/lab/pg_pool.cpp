#include "lab/pg_pool.h"

namespace klv::lab {

PgPool::PgPool(std::string uri) : uri_(std::move(uri)) {}

PgPool::~PgPool() = default;

PgResult PgPool::query(const std::string& sql, const PgParams& params)
{
    std::unique_ptr<PgConnection> c;
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            c = std::move(idle_.back());
            idle_.pop_back();
        }
    }
    if (!c) {
        c = std::make_unique<PgConnection>();
        if (!c->connect(uri_, std::chrono::seconds(5)))
            throw PgReadError(c->error());
    }
    PgResult result = c->exec(sql, params);
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

#pragma once

#include <chrono>

#include "lab/pg_connection.h"
#include "lab/schema_migration.h"
#include "support/pg_server.h"

// The lab schema, empty, in the test server's database: klv-lab answers 503 without it.
inline bool makeLabSchema(const PgServer& server)
{
    klv::lab::PgConnection db;
    return db.connect(server.adminUri(), std::chrono::seconds(5)) && klv::lab::migrate(db).ok;
}

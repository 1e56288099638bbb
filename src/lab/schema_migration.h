#pragma once

#include <string>

namespace klv::lab {

class PgConnection;

// The schema version this program writes and reads.
constexpr int kSchemaVersion = 2;

// The schema script, embedded in the program at build time.
const std::string& schemaScript();

struct MigrationResult {
    bool ok = false;
    bool created = false;  // this call made the schema
    int version = 0;       // the version found (or made); 0 when there was none
    std::string message;   // why it is not ok, one line for the operator
};

// Makes sure the database holds the schema at kSchemaVersion: creates it when absent, upgrades
// an older one in place (every row kept) when the role may, and refuses a newer version. Two
// stations migrating at once make or upgrade it once.
MigrationResult migrate(PgConnection& db);

}  // namespace klv::lab

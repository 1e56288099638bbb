#include "lab/schema_migration.h"

#include "lab/pg_connection.h"
#include "lab/schema_sql.h"

namespace klv::lab {

namespace {

// Held for the creating transaction so that a second station waits and then finds the schema.
constexpr const char* kLockKey = "7263611901";

constexpr const char* kInsufficientPrivilege = "42501";

// The version in the database, 0 when the schema is absent, -1 with message on failure.
int versionIn(PgConnection& db, std::string& message)
{
    PgResult found = db.exec("SELECT to_regclass('cellward.schema_version') IS NOT NULL");
    if (!found.ok()) {
        message = "实验室库读取失败: " + found.error();
        return -1;
    }
    if (found.value(0, 0) != "t")
        return 0;
    PgResult version = db.exec("SELECT max(version) FROM cellward.schema_version");
    if (!version.ok()) {
        message = "实验室库读取失败: " + version.error();
        return -1;
    }
    return version.isNull(0, 0) ? 0 : std::stoi(version.value(0, 0));
}

// The script's sections after version FROM: the whole script for an empty database.
std::string upgradeFrom(int from)
{
    const std::string& script = schemaScript();
    const std::string marker = "-- version " + std::to_string(from + 1) + "\n";
    const size_t at = script.find(marker);
    return at == std::string::npos ? std::string() : script.substr(at);
}

MigrationResult checked(int version, std::string message)
{
    MigrationResult r;
    r.version = version;
    if (version < 0) {
        r.message = std::move(message);
    } else if (version > kSchemaVersion) {
        r.message = "实验室库的架构 cellward 是第 " + std::to_string(version) + " 版, 本程序只认得第 " +
                    std::to_string(kSchemaVersion) + " 版: 请升级本程序";
    } else {
        r.ok = true;
    }
    return r;
}

}  // namespace

const std::string& schemaScript()
{
    static const std::string script = kSchemaSql;
    return script;
}

MigrationResult migrate(PgConnection& db)
{
    std::string message;
    const int version = versionIn(db, message);
    if (version < 0 || version >= kSchemaVersion)
        return checked(version, message);

    db.exec("BEGIN");
    db.exec("SELECT pg_advisory_xact_lock($1::bigint)", {kLockKey});
    const int again = versionIn(db, message);
    if (again < 0 || again >= kSchemaVersion) {
        db.exec("ROLLBACK");
        return checked(again, message);
    }
    PgResult made = db.execScript(upgradeFrom(again));
    if (!made.ok()) {
        db.exec("ROLLBACK");
        MigrationResult r;
        if (made.sqlState() != kInsufficientPrivilege)
            r.message = "实验室库建立架构 cellward 失败: " + made.error();
        else if (again == 0)
            r.message = "实验室库里没有架构 cellward, 本站的角色也无权创建它: 请管理员先建好 (见 README)";
        else
            r.message = "实验室库的架构 cellward 是第 " + std::to_string(again) +
                        " 版, 本站的角色无权升级它: 请管理员升级 (见 README)";
        return r;
    }
    PgResult committed = db.exec("COMMIT");
    if (!committed.ok()) {
        MigrationResult r;
        r.message = "实验室库建立架构 cellward 失败: " + committed.error();
        return r;
    }
    MigrationResult r = checked(kSchemaVersion, "");
    r.created = again == 0;
    return r;
}

}  // namespace klv::lab

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lab/pg_connection.h"

namespace klv::lab {

// What the outbox holds, one row a line: a test begun, a sample, a step result, a cycle's row
// as it now stands, a test ended.
enum class RowKind : char { Test = 'T', Sample = 'S', Result = 'R', Cycle = 'C', TestEnd = 'E' };

struct OutboxRow {
    RowKind kind = RowKind::Sample;
    PgParams fields;  // in the column order of the row's table
};

// The number of fields a row of the kind carries.
std::size_t fieldCount(RowKind kind);

// One line without its line end: the kind letter, then the fields, tab-separated, with
// backslash, tab, newline and carriage return escaped and NULL written as \N.
std::string encodeRow(const OutboxRow& row);
// The row of a line; nothing when it is not one encodeRow could have written. A row an older
// station left in the outbox, without the columns added since, reads with them NULL.
std::optional<OutboxRow> decodeRow(std::string_view line);

}  // namespace klv::lab

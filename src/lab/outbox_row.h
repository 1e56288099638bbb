#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lab/pg_connection.h"

namespace klv::lab {

// What the outbox holds, one row a line: a test begun, a sample, a step result, a test ended.
enum class RowKind : char { Test = 'T', Sample = 'S', Result = 'R', TestEnd = 'E' };

struct OutboxRow {
    RowKind kind = RowKind::Sample;
    PgParams fields;  // in the column order of the row's table
};

// The number of fields a row of the kind carries.
std::size_t fieldCount(RowKind kind);

// One line without its line end: the kind letter, then the fields, tab-separated, with
// backslash, tab, newline and carriage return escaped and NULL written as \N.
std::string encodeRow(const OutboxRow& row);
// The row of a line; nothing when it is not one encodeRow could have written.
std::optional<OutboxRow> decodeRow(std::string_view line);

}  // namespace klv::lab

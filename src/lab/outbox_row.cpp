#include "lab/outbox_row.h"

namespace klv::lab {

std::size_t fieldCount(RowKind kind)
{
    switch (kind) {
    case RowKind::Test:
        return 9;
    case RowKind::Sample:
        return 11;
    case RowKind::Result:
        return 8;
    case RowKind::Cycle:
        return 16;
    case RowKind::TestEnd:
        return 3;
    }
    return 0;
}

namespace {

// The fields of a kind before the cell and early-end columns came.
std::size_t olderFieldCount(RowKind kind) { return kind == RowKind::Test || kind == RowKind::Result ? 7 : 0; }

}  // namespace

std::string encodeRow(const OutboxRow& row)
{
    std::string line(1, static_cast<char>(row.kind));
    for (const PgParam& field : row.fields) {
        line += '\t';
        if (!field) {
            line += "\\N";
            continue;
        }
        for (const char c : *field) {
            switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            default:
                line += c;
            }
        }
    }
    return line;
}

std::optional<OutboxRow> decodeRow(std::string_view line)
{
    if (line.size() < 2 || line[1] != '\t')
        return std::nullopt;
    OutboxRow row;
    row.kind = static_cast<RowKind>(line[0]);
    const std::size_t expected = fieldCount(row.kind);
    if (expected == 0)
        return std::nullopt;
    std::string field;
    bool isNull = false;
    auto finish = [&]() {
        row.fields.push_back(isNull ? PgParam() : PgParam(std::move(field)));
        field.clear();
        isNull = false;
    };
    for (std::size_t i = 2; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            finish();
            continue;
        }
        if (line[i] != '\\') {
            if (isNull)
                return std::nullopt;
            field += line[i];
            continue;
        }
        if (++i == line.size())
            return std::nullopt;
        const char escaped = line[i];
        if (escaped == 'N' && field.empty() && !isNull)
            isNull = true;
        else if (escaped == '\\' || escaped == 't' || escaped == 'n' || escaped == 'r')
            field += escaped == 't' ? '\t' : escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : '\\';
        else
            return std::nullopt;
        if (isNull && escaped != 'N')
            return std::nullopt;
    }
    if (row.fields.size() == olderFieldCount(row.kind))
        row.fields.resize(expected);
    if (row.fields.size() != expected)
        return std::nullopt;
    return row;
}

}  // namespace klv::lab

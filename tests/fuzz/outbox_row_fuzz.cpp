// The outbox reader on any line: it returns a row or nothing, and a row it returns is written
// back as a line that reads as the same row.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lab/outbox_row.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace klv::lab;
    const std::optional<OutboxRow> row = decodeRow(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!row)
        return 0;
    if (row->fields.size() != fieldCount(row->kind))
        std::abort();
    const std::optional<OutboxRow> again = decodeRow(encodeRow(*row));
    if (!again || again->kind != row->kind || again->fields != row->fields)
        std::abort();
    return 0;
}

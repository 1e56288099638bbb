#include "lab/test_carry.h"

#include "lab/outbox_row.h"

namespace klv::lab {

std::vector<std::string> TestCarry::carried(const std::vector<std::string>& lines)
{
    // Until kept() the open segment is as before: lines the disk refused come here again.
    pendingIn_ = inSegment_;
    pendingEnded_.clear();
    std::vector<std::string> out;
    out.reserve(lines.size() + 1);
    for (const std::string& line : lines) {
        const std::optional<OutboxRow> row = decodeRow(line);
        if (row && !row->fields.empty() && row->fields[0]) {
            const std::string& id = *row->fields[0];
            if (row->kind == RowKind::Test) {
                tests_[id] = line;
                pendingIn_.insert(id);
            } else if (pendingIn_.insert(id).second) {
                if (const auto test = tests_.find(id); test != tests_.end())
                    out.push_back(test->second);
            }
            if (row->kind == RowKind::TestEnd)
                pendingEnded_.insert(id);
        }
        out.push_back(line);
    }
    return out;
}

void TestCarry::kept()
{
    inSegment_ = std::move(pendingIn_);
    for (const std::string& id : pendingEnded_)
        tests_.erase(id);
    pendingEnded_.clear();
}

}  // namespace klv::lab

#include "lab/cycle_csv.h"

#include "data/cycle_table.h"

namespace klv {

namespace {

// The cell's ID first, so a folder of downloads sorts by cell; only characters every file
// system and the header's quoting take.
std::string fileName(const lab::TestRow& t)
{
    std::string name;
    for (const char c : t.cellId.value_or("")) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
                           c == '_' || c == '.';
        name += plain ? c : '_';
    }
    return (name.empty() ? "" : name + "-") + "test-" + t.id + ".cycles.csv";
}

}  // namespace

std::optional<CycleDownload> cycleDownload(lab::LabReader& reader, const std::string& id)
{
    const auto test = reader.test(id);
    if (!test)
        return std::nullopt;
    return CycleDownload{fileName(*test), cycleCsv(reader.cycles(test->id), test->nominalCapacity)};
}

}  // namespace klv

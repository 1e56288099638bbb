#pragma once

#include <optional>
#include <string>
#include <vector>

namespace klv {

struct Station;

// The unit a test runs on, kept beside its backups as base + ".unit": a continued test is
// taken up only on that unit, whatever position the unit answered at in the scan.
struct TestUnit {
    int busAddress = 0;
    int modelCode = 0;
    int portNumber = 0;
};

// The unit of the slot's device as it stands now.
TestUnit unitOfSlot(const Station& station, int slot);
bool recordTestUnit(const std::string& base, const TestUnit& unit);
// Nothing when the backups have no record (kept by an older station) or it cannot be read.
std::optional<TestUnit> recordedTestUnit(const std::string& base);

struct UnitBackups {
    std::string base;                   // the backups to continue on this slot, or empty: none
    std::vector<std::string> refusals;  // tests whose unit is absent or another model, said as the operator reads them
};

// Which backups belong to the unit now on the slot, searched over every position of the port,
// and why a test found in the slot's own backups is not continued here.
UnitBackups backupsOfUnit(const Station& station, int slot);

}  // namespace klv

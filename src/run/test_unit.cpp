#include "run/test_unit.h"

#include "common/screen_text.h"
#include "platform/text_file.h"
#include "run/backup_files.h"
#include "station.h"

namespace klv {

namespace {

std::optional<int> valueOf(const std::vector<std::string>& lines, const std::string& key)
{
    for (const std::string& line : lines)
        if (line.starts_with(key + "=")) {
            try {
                return std::stoi(line.substr(key.size() + 1));
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
    return std::nullopt;
}

std::string unitPath(const std::string& base) { return base + ".unit"; }

}  // namespace

TestUnit unitOfSlot(const Station& station, int slot)
{
    const DeviceEntry& device = station.link.devices[deviceOfSlot(slot)];
    return {device.busAddress, device.modelCode, station.link.portNumber};
}

bool recordTestUnit(const std::string& base, const TestUnit& unit)
{
    return writeLines(unitPath(base),
                      {"address=" + std::to_string(unit.busAddress), "model=" + std::to_string(unit.modelCode),
                       "port=" + std::to_string(unit.portNumber)});
}

std::optional<TestUnit> recordedTestUnit(const std::string& base)
{
    const auto lines = readLines(unitPath(base));
    if (!lines)
        return std::nullopt;
    const auto address = valueOf(*lines, "address"), model = valueOf(*lines, "model"), port = valueOf(*lines, "port");
    if (!address || !model || !port)
        return std::nullopt;
    return TestUnit{*address, *model, *port};
}

UnitBackups backupsOfUnit(const Station& station, int slot)
{
    const TestUnit now = unitOfSlot(station, slot);
    const int n = channelOfSlot(slot);
    UnitBackups found;
    const std::string own = backupBaseName(station, slot);
    const auto ownRecord = recordedTestUnit(own);
    if (!ownRecord)
        found.base = own;  // backups of an older station: continued where they are, as before
    else if (ownRecord->busAddress != now.busAddress && deviceAtAddress(station.link, ownRecord->busAddress) < 0)
        // Another unit's test, and that unit did not answer: it waits for its own unit.
        found.refusals.push_back(fillIn(screenText(KLV_TEXT("Continue", "通道%1的测试未继续：单元未应答")),
                                        {channelName(ownRecord->busAddress, n)}));
    // The unit's own test may sit at another position's backups when the scan order changed.
    for (int d = 0; d < kMaxDevices && found.base.empty(); ++d) {
        const std::string base = backupBaseName(station, slotOf(d, n));
        const auto record = recordedTestUnit(base);
        if (!record || record->busAddress != now.busAddress || record->portNumber != now.portNumber)
            continue;
        if (record->modelCode != now.modelCode) {
            found.refusals.push_back(fillIn(screenText(KLV_TEXT("Continue", "通道%1的测试未继续：单元型号不同")),
                                            {channelName(now.busAddress, n)}));
            return found;
        }
        found.base = base;
    }
    return found;
}

}  // namespace klv

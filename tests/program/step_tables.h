#pragma once

#include <array>
#include <initializer_list>
#include <string>

#include "link/registry.h"
#include "program/program_tables.h"

namespace klv::test {

using StepRowTexts = std::array<std::string, 5>;  // mode label, set current, set voltage, end current, time/count

// A step table whose rows 1.. hold the given rows.
inline TextGrid stepTable(std::initializer_list<StepRowTexts> rows)
{
    TextGrid table = newStepTable();
    int r = 1;
    for (const auto& row : rows) {
        for (int c = 0; c < 5; ++c)
            table.at(r, c + 1) = row[static_cast<size_t>(c)];
        ++r;
    }
    return table;
}

// A registry entry of a model in the model table, at the given bus address.
inline DeviceEntry deviceOfModel(int code, int busAddress = 0)
{
    DeviceEntry device;
    device.modelCode = static_cast<std::uint8_t>(code);
    device.busAddress = busAddress;
    applyModelRow(device);
    return device;
}

// TAL-M1: 0.01..5 A, 0.1..20 V, currents as "00.00".
inline constexpr int kModelM1 = 18;
// TAL-M3: 0.001..1 A, 0..4.5 V, currents as "0.000".
inline constexpr int kModelM3 = 20;

}  // namespace klv::test

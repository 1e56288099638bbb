#pragma once

#include <array>
#include <string>
#include <vector>

#include "program/program_tables.h"
#include "program/step_file.h"

// A step file of these rows (mode, set current, set voltage, end current, time/count) at path;
// the path, or empty text when it could not be written.
inline std::string writeProgramFile(const std::string& path, const std::vector<std::array<const char*, 5>>& rows)
{
    klv::TextGrid table = klv::newStepTable();
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 5; ++c)
            table.at(static_cast<int>(r) + 1, c + 1) = rows[r][static_cast<size_t>(c)];
    return klv::writeStepFile(path, table) ? path : std::string();
}

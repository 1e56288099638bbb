#pragma once

#include <optional>
#include <string>

#include "lab/lab_reader.h"

namespace klv {

struct CycleDownload {
    std::string fileName, csv;
};

// A test's cycle table as the station's own cycle export writes it, made by the same function
// from the rows the station sent; nullopt when there is no such test.
std::optional<CycleDownload> cycleDownload(lab::LabReader& reader, const std::string& id);

}  // namespace klv

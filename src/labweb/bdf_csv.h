#pragma once

#include <string>

#include "lab/lab_reader.h"

namespace klv {

// The Battery Data Format CSV of a test, in the columns of the station's own export.
std::string bdfHeader();
// One sample as a CSV line; numbers in their shortest exact form, no Unix time when unknown.
void appendBdfRow(std::string& out, const lab::SampleRow& s);

}  // namespace klv

#pragma once

#include <string>

#include "lab/lab_reader.h"

namespace klv {

// The Battery Data Format CSV of a test, in the columns of the station's own export, with
// "Unix Time / s" after the current where the test knows when it ran, as the station writes it.
std::string bdfHeader(bool unixTime);
// One sample as a CSV line; numbers in their shortest exact form.
void appendBdfRow(std::string& out, const lab::SampleRow& s, bool unixTime);

}  // namespace klv

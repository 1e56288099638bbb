#pragma once

#include <string>

namespace klv {

struct Station;

// The daily error log, program folder/Log/klv-<date>.log. Without a Log folder nothing is written.
void klvLog(Station& station, const std::string& message, const std::string& failure = {});
// The daily system log, program folder/Log/sys-<date>.log: the operator's history lines.
void sysLog(Station& station, const std::string& line);

std::string klvLogPath(Station& station);
std::string sysLogPath(Station& station);

}  // namespace klv

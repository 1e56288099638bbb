#include "common/logs.h"

#include "common/format.h"
#include "platform/text_file.h"
#include "station.h"

namespace klv {

std::string klvLogPath(Station& station)
{
    return station.home + "/Log/klv-" + dateStamp(station.clock.now()) + ".log";
}

std::string sysLogPath(Station& station)
{
    return station.home + "/Log/sys-" + dateStamp(station.clock.now()) + ".log";
}

void klvLog(Station& station, const std::string& message, const std::string& failure)
{
    appendLine(klvLogPath(station), logLine(station.clock.now(), message, failure));
}

void sysLog(Station& station, const std::string& line) { appendLine(sysLogPath(station), line); }

}  // namespace klv

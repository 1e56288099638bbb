#include "lab/lab_config.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "lab/pg_connection.h"
#include "platform/ini_file.h"

namespace klv::lab {

std::string hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name - 1) == 0 ? name : "station";
}

LabConfig labConfig(const std::string& urlOption, const std::string& stationOption, const std::string& iniPath,
                    const std::string& programFolder)
{
    const IniFile ini(iniPath);
    LabConfig config;
    config.uri = urlOption.empty() ? ini.read("LAB", "URL", "") : urlOption;
    config.station = stationOption.empty() ? ini.read("LAB", "Station", "") : stationOption;
    const std::string reserve = ini.read("LAB", "OutboxReserveMB", "");
    try {
        if (!reserve.empty())
            config.outboxReserveBytes = std::stoull(reserve) << 20;
    } catch (const std::exception&) {
        // Not a number: the default stands.
    }
    if (config.station.empty())
        config.station = hostName() + "-" + std::filesystem::path(programFolder).filename().string();
    return config;
}

void hidePasswordInArguments(int argc, char** argv, const std::string& uri)
{
    const std::string hidden = redactUri(uri);
    if (hidden == uri)
        return;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const std::size_t at = arg.find(uri);
        if (at == std::string::npos)
            continue;
        arg.replace(at, uri.size(), hidden);
        // Only the argument's own bytes can be written: a longer text is cut short.
        const std::size_t length = std::strlen(argv[i]);
        std::memset(argv[i], 0, length);
        std::memcpy(argv[i], arg.data(), std::min(arg.size(), length));
    }
}

}  // namespace klv::lab

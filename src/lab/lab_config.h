#pragma once

#include <cstdint>
#include <string>

namespace klv::lab {

// Where and as whom a station writes to the lab database.
struct LabConfig {
    std::string uri;      // empty: no lab link
    std::string station;  // the bench's name in the database
    // Free space the outbox leaves on its disk for the backups: [LAB] OutboxReserveMB, 1 GiB.
    std::uint64_t outboxReserveBytes = std::uint64_t(1024) << 20;
};

// The command line's --lab and --station win over [LAB] URL= and Station= of klv.ini; the
// name defaults to the host name and the program folder's name, so two stations on one PC differ.
LabConfig labConfig(const std::string& urlOption, const std::string& stationOption, const std::string& iniPath,
                    const std::string& programFolder);
std::string hostName();

// Overwrites, in place, the password of a --lab URL in the program's arguments, so that the
// process list shows "***" instead.
void hidePasswordInArguments(int argc, char** argv, const std::string& uri);

}  // namespace klv::lab

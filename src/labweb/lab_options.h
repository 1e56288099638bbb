#pragma once

#include <string>
#include <vector>

namespace klv {

// The command line of klv-lab.
struct LabOptions {
    std::string db;                  // libpq connection URI
    std::string host = "127.0.0.1";  // address to listen on
    int port = 8080;
    std::string token;                   // from --token-file; empty: no token asked
    std::vector<std::string> hostNames;  // --host-name: further names the page answers to
    bool loopback = true;                // the listen address reaches only this machine
    bool help = false, version = false;
};

struct LabOptionsResult {
    LabOptions options;
    std::string error;  // empty when the command line is good
};

// Reads the arguments after the program name. The token file is read here, so a missing or
// empty file is an error before anything listens; any address but loopback needs one.
LabOptionsResult parseLabOptions(const std::vector<std::string>& args);

std::string labUsage();

// True when every address the name resolves to is in 127.0.0.0/8 or ::1.
bool isLoopback(const std::string& host);

// Shorter tokens can be guessed even at five attempts a minute.
constexpr std::size_t kMinTokenLength = 16;

}  // namespace klv

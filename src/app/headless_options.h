#pragma once

#include <optional>
#include <string>
#include <vector>

namespace klv {

// A channel named as the operator sees it: bus address + 1, channel + 1.
struct ChannelName {
    int device = 0, channel = 0;
};

// klv-station --headless: check a bench, or run tests on it, from a terminal.
struct HeadlessOptions {
    std::string home;
    int port = 0;
    int from = 1, to = 6;
    int seconds = -1;                   // monitor until a signal when negative
    std::string program;                // a step file: run tests instead of monitoring
    std::vector<ChannelName> channels;  // empty: every present channel
    bool resume = false;                // --continue: from the channels' backups
    bool autosave = false;
};

extern const char* const kHeadlessUsage;

// The options, or nothing with a message in error.
std::optional<HeadlessOptions> parseHeadless(const std::vector<std::string>& args, std::string& error);

}  // namespace klv

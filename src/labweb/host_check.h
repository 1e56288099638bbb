#pragma once

#include <string>
#include <vector>

namespace klv {

// Which Host headers the page answers. A page elsewhere can point its own DNS name at this
// address (DNS rebinding) and read the lab's data through a visitor's browser; such a request
// still names that foreign host, so only the listen address, "localhost" on loopback and the
// names given on the command line are served. IP literals cannot be rebound, so on a wildcard
// address any of them is taken.
class HostCheck {
public:
    HostCheck(const std::string& listenHost, bool loopback, std::vector<std::string> names);

    // `header` is the Host header as sent ("name", "name:port", "[v6]:port").
    bool admits(const std::string& header) const;

private:
    std::vector<std::string> names_;  // lower case
    bool anyAddress_;
};

}  // namespace klv

#pragma once

#include <httplib.h>

#include <string>

#include "labweb/access_gate.h"

namespace klv {

namespace lab {
class LabReader;
}
class LiveState;

// The lab page's HTTP side: pages and their files, the JSON the pages read, the BDF download.
// Read-only: no route writes to the database. httplib answers each request on a thread of its
// pool; handlers read the live state (under its lock) or borrow a connection from the reader.
class LabServer {
public:
    LabServer(lab::LabReader& reader, const LiveState& live, AccessGate gate);

    // Binds (port 0: any free port); the port bound, or −1 when the address cannot be bound.
    int bind(const std::string& host, int port);
    void serve() { http_.listen_after_bind(); }
    void stop() { http_.stop(); }

private:
    void routePages();
    void routeApi();
    httplib::Server::HandlerResponse admit(const httplib::Request& req, httplib::Response& res) const;

    lab::LabReader& reader_;
    const LiveState& live_;
    AccessGate gate_;
    httplib::Server http_;
};

}  // namespace klv

#pragma once

#include <httplib.h>

#include <string>

#include "labweb/access_gate.h"
#include "labweb/download_slots.h"
#include "labweb/guarded_server.h"
#include "labweb/host_check.h"
#include "labweb/login_throttle.h"

namespace klv {

namespace lab {
class LabReader;
}
class LiveState;

// The lab page's HTTP side: pages and their files, the JSON the pages read, the BDF and cycle
// table downloads.
// Read-only: no route writes to the database. httplib answers each request on a thread of its
// pool; handlers read the live state (under its lock) or borrow a connection from the reader.
// While the database cannot be read, every API answers 503 {"error":"database unreachable"}.
class LabServer {
public:
    // Request bodies beyond this are refused from their headers, before a byte of them is read.
    static constexpr std::size_t kMaxBody = 64 * 1024;
    // BDF downloads under way at once (each keeps a worker while its client reads), and the
    // Retry-After of the 503 beyond them.
    static constexpr int kMaxDownloads = 4;
    static constexpr int kDownloadRetrySeconds = 10;
    // Tests drawn together on the compare view at most.
    static constexpr std::size_t kMaxCompared = 100;

    LabServer(lab::LabReader& reader, const LiveState& live, AccessGate gate, HostCheck hosts);

    // Binds (port 0: any free port); the port bound, or −1 when the address cannot be bound.
    int bind(const std::string& host, int port);
    void serve() { http_.listen_after_bind(); }
    void stop() { http_.stop(); }

private:
    void routePages();
    void routeApi();
    void routeCycles(const std::string& testPath);
    httplib::Server::HandlerResponse admit(const httplib::Request& req, httplib::Response& res);
    bool throttled(const httplib::Request& req, httplib::Response& res);
    bool checkToken(const httplib::Request& req, httplib::Response& res);
    void login(const httplib::Request& req, httplib::Response& res);
    bool streamBdf(const std::string& id, httplib::DataSink& sink);

    lab::LabReader& reader_;
    const LiveState& live_;
    AccessGate gate_;
    HostCheck hosts_;
    LoginThrottle throttle_;
    DownloadSlots downloads_{kMaxDownloads};
    GuardedServer http_;
};

}  // namespace klv

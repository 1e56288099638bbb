#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>

namespace klv {

// httplib's server with the limits a hostile network needs: each request's request line,
// headers and body must arrive within a deadline (a client sending a byte at a time cannot hold
// a worker), a client address may keep only so many connections open, and the pool is large
// enough that those few cannot starve the others. Each connection runs on one pool thread; the
// per-client counts are shared between them under their mutex.
class GuardedServer : public httplib::Server {
public:
    static constexpr std::size_t kWorkers = 64;
    static constexpr int kConnectionsPerClient = 16;
    static constexpr int kRequestDeadlineSeconds = 10;

    GuardedServer();

    // From a handler: close this connection once the answer is out (a refused body is left
    // unread and must not be parsed as the next request). Each connection keeps its thread
    // from first byte to close, so the flag is per thread.
    static void closeAfterAnswer() { closeAfterAnswer_ = true; }

private:
    bool process_and_close_socket(socket_t sock) override;
    bool enter(const std::string& client);
    void leave(const std::string& client);

    static thread_local bool closeAfterAnswer_;

    std::mutex mutex_;
    std::map<std::string, int> open_;  // open connections by client address
};

}  // namespace klv

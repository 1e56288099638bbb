#pragma once

#include <string>
#include <vector>

// A private PostgreSQL 15 for one test: initdb into a fresh temporary folder, listening on a
// free port of 127.0.0.1 and on a socket in that folder; stopped and removed at the end.
// Run as root, the server runs as the postgres user. Connections over TCP need the
// password of the superuser "postgres"; the socket trusts everyone.
class PgServer {
public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Empty when the server runs; otherwise what went wrong (initdb's or pg_ctl's log).
    const std::string& failure() const { return failure_; }
    int port() const { return port_; }
    static const char* password() { return "klv-test-Secr3t"; }
    // postgresql://postgres:<password>@127.0.0.1:<port>/<database>
    std::string uri(const std::string& database = "postgres") const;
    // The same for another user and password (the password may be empty).
    std::string uri(const std::string& user, const std::string& password, const std::string& database) const;
    // Over the socket, trusted: for the test's own administration.
    std::string adminUri(const std::string& database = "postgres") const;

    bool stop();   // pg_ctl stop -m fast; true when it stopped
    bool start();  // again, on the same port and data
    // Every server process frozen with SIGSTOP (the server hangs but its sockets stay open),
    // and thawed again.
    void pause();
    void resume();

private:
    bool pgctl(const std::vector<std::string>& args);
    std::vector<int> serverPids() const;

    std::string folder_, data_, log_;
    int port_ = 0;
    bool asRoot_ = false;
    bool paused_ = false;
    std::string failure_;
};

#include "labweb/guarded_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace klv {

namespace {

using Clock = std::chrono::steady_clock;

void socketAddress(const sockaddr_storage& addr, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(addr);
        inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
        port = ntohs(a.sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(addr);
        inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
        port = ntohs(a.sin6_port);
    }
    ip = text;
}

// One connection's socket for httplib's request parser. Reads share the current request's
// deadline; writes (a long download) wait only for the peer to take data.
class DeadlineStream : public httplib::Stream {
public:
    using httplib::Stream::write;

    explicit DeadlineStream(int sock) : sock_(sock) {}

    void startRequest() { deadline_ = Clock::now() + std::chrono::seconds(GuardedServer::kRequestDeadlineSeconds); }

    bool is_readable() const override { return wait(POLLIN, remainingMs()); }
    bool is_writable() const override { return wait(POLLOUT, kWriteTimeoutMs); }
    ssize_t read(char* ptr, size_t size) override
    {
        if (!is_readable())
            return -1;
        return ::recv(sock_, ptr, size, 0);
    }
    ssize_t write(const char* ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        return ::send(sock_, ptr, size, MSG_NOSIGNAL);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        if (getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            socketAddress(addr, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        if (getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            socketAddress(addr, ip, port);
    }
    socket_t socket() const override { return sock_; }

private:
    static constexpr int kWriteTimeoutMs = 30000;

    int remainingMs() const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }
    bool wait(short events, int timeoutMs) const
    {
        pollfd p{sock_, events, 0};
        return ::poll(&p, 1, timeoutMs) > 0;
    }

    int sock_;
    Clock::time_point deadline_ = Clock::now();
};

}  // namespace

thread_local bool GuardedServer::closeAfterAnswer_ = false;

GuardedServer::GuardedServer()
{
    new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    set_keep_alive_max_count(20);
    set_keep_alive_timeout(5);
}

bool GuardedServer::enter(const std::string& client)
{
    const std::lock_guard lock(mutex_);
    int& count = open_[client];
    if (count >= kConnectionsPerClient)
        return false;
    ++count;
    return true;
}

void GuardedServer::leave(const std::string& client)
{
    const std::lock_guard lock(mutex_);
    if (--open_[client] <= 0)
        open_.erase(client);
}

// httplib's own keep-alive loop, over the deadline stream and within the per-client count.
bool GuardedServer::process_and_close_socket(socket_t sock)
{
    DeadlineStream stream(sock);
    std::string client;
    int port = 0;
    stream.get_remote_ip_and_port(client, port);
    bool ok = false;
    if (enter(client)) {
        constexpr int kKeepAliveMs = 5000;
        pollfd idle{sock, POLLIN, 0};
        for (std::size_t left = keep_alive_max_count_; left > 0 && is_running(); --left) {
            if (::poll(&idle, 1, kKeepAliveMs) <= 0)
                break;
            stream.startRequest();
            closeAfterAnswer_ = false;
            bool closed = false;
            ok = process_request(stream, left == 1, closed, nullptr);
            if (!ok || closed || closeAfterAnswer_)
                break;
        }
        leave(client);
    } else {
        stream.write(
            "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 5\r\nConnection: close\r\n"
            "Content-Length: 0\r\n\r\n");
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

}  // namespace klv

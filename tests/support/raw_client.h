#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

// A plain TCP connection to a server on 127.0.0.1 from a chosen loopback address, for requests
// no well-behaved client sends: headers that stop halfway, bodies announced and never sent,
// answers left unread. A receive buffer size, when given, is set before connecting.
class RawClient {
public:
    RawClient(const char* from, int port, int receiveBuffer = 0) : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, from, &a.sin_addr);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        a.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool send(const std::string& text) { return connected_ && ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) > 0; }
    // What the server wrote until it closed or went quiet for `quietMs`; with `once`, only the
    // first read of it.
    std::string answer(int quietMs, bool once = false)
    {
        std::string got;
        char buf[4096];
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, quietMs) > 0) {
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            got.append(buf, static_cast<size_t>(n));
            if (once)
                break;
        }
        return got;
    }

private:
    int fd_;
    bool connected_ = false;
};

#include "labweb/host_check.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

namespace klv {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// The host part of a Host header, without its port and the brackets of an IPv6 literal.
std::string hostPart(const std::string& header)
{
    if (header.starts_with('[')) {
        const auto close = header.find(']');
        return close == std::string::npos ? std::string() : header.substr(1, close - 1);
    }
    return header.substr(0, header.find(':'));
}

bool isAddressLiteral(const std::string& host)
{
    unsigned char buf[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buf) == 1 || inet_pton(AF_INET6, host.c_str(), buf) == 1;
}

}  // namespace

HostCheck::HostCheck(const std::string& listenHost, bool loopback, std::vector<std::string> names)
        : names_(std::move(names)), anyAddress_(listenHost == "0.0.0.0" || listenHost == "::")
{
    names_.push_back(listenHost);
    if (loopback)
        names_.push_back("localhost");
    for (std::string& n : names_)
        n = lower(n);
}

bool HostCheck::admits(const std::string& header) const
{
    const std::string host = lower(hostPart(header));
    if (host.empty())
        return false;
    if (anyAddress_ && isAddressLiteral(host))
        return true;
    return std::find(names_.begin(), names_.end(), host) != names_.end();
}

}  // namespace klv

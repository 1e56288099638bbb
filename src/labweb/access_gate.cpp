#include "labweb/access_gate.h"

#include <string_view>

namespace klv {

namespace {

// The value of one cookie in a Cookie header ("a=1; klv_lab=xyz"), or empty.
std::string cookieValue(std::string_view header, std::string_view name)
{
    while (!header.empty()) {
        const auto semi = header.find(';');
        std::string_view pair = header.substr(0, semi);
        header = semi == std::string_view::npos ? std::string_view() : header.substr(semi + 1);
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=')
            return std::string(pair.substr(name.size() + 1));
    }
    return {};
}

}  // namespace

// Compares every byte whatever the first difference, so the time taken tells nothing.
bool AccessGate::matches(const std::string& candidate) const
{
    unsigned diff = candidate.size() == token_.size() ? 0 : 1;
    for (std::size_t i = 0; i < candidate.size(); ++i)
        diff |= static_cast<unsigned char>(candidate[i]) ^ static_cast<unsigned char>(token_[i % token_.size()]);
    return diff == 0;
}

bool AccessGate::admits(const std::string& authorization, const std::string& cookieHeader) const
{
    if (open())
        return true;
    constexpr std::string_view bearer = "Bearer ";
    if (authorization.starts_with(bearer) && matches(authorization.substr(bearer.size())))
        return true;
    const std::string cookie = cookieValue(cookieHeader, kCookie);
    return !cookie.empty() && matches(cookie);
}

bool AccessGate::login(const std::string& token, std::string& setCookie) const
{
    if (open() || !matches(token))
        return false;
    setCookie = std::string(kCookie) + "=" + token + "; Path=/; HttpOnly; SameSite=Strict";
    return true;
}

}  // namespace klv

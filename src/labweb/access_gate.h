#pragma once

#include <string>

namespace klv {

// Who may read the page. Without a token everyone may (the page then listens on loopback only);
// with one, a request needs "Authorization: Bearer <token>" or the cookie the login form sets.
class AccessGate {
public:
    static constexpr const char* kCookie = "klv_lab";

    explicit AccessGate(std::string token) : token_(std::move(token)) {}

    bool open() const { return token_.empty(); }
    bool admits(const std::string& authorization, const std::string& cookieHeader) const;
    // The login form's answer: true and the Set-Cookie value when the token matches.
    bool login(const std::string& token, std::string& setCookie) const;

private:
    bool matches(const std::string& candidate) const;

    std::string token_;
};

}  // namespace klv

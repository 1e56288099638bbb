#include "labweb/lab_options.h"

#include <netdb.h>
#include <netinet/in.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace klv {

namespace {

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// "ADDR:PORT", "[v6]:PORT" or ":PORT"; false when it does not parse.
bool splitListen(const std::string& text, std::string& host, int& port)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    std::string h = text.substr(0, colon);
    if (h.size() >= 2 && h.front() == '[' && h.back() == ']')
        h = h.substr(1, h.size() - 2);
    const std::string p = text.substr(colon + 1);
    int value = 0;
    const auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), value);
    if (ec != std::errc() || end != p.data() + p.size() || value < 0 || value > 65535)
        return false;
    host = h.empty() ? "0.0.0.0" : h;
    port = value;
    return true;
}

}  // namespace

// Judged on the resolved addresses, not the text: "127.attacker.example" is a name like any other.
bool isLoopback(const std::string& host)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
        return false;
    bool loopback = found != nullptr;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET)
            loopback &= (ntohl(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr) >> 24) == 127;
        else if (a->ai_family == AF_INET6)
            loopback &= IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr);
        else
            loopback = false;
    }
    freeaddrinfo(found);
    return loopback;
}

std::string labUsage()
{
    return "usage: klv-lab --db URL [--listen ADDR:PORT] [--token-file FILE] [--host-name NAME]...\n"
           "  --db URL            the lab database, a libpq URI (postgresql://user@host/cellward)\n"
           "  --listen ADDR:PORT  where the page listens; default 127.0.0.1:8080\n"
           "  --token-file FILE   the access token, 16 characters or more; needed for any address but loopback\n"
           "  --host-name NAME    a further name the page is reached by (repeatable); other Host headers get 421\n";
}

LabOptionsResult parseLabOptions(const std::vector<std::string>& args)
{
    LabOptionsResult r;
    LabOptions& o = r.options;
    std::string tokenFile;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if ((a == "--db" || a == "--listen" || a == "--token-file" || a == "--host-name") && !hasValue) {
            r.error = a + " needs a value";
            return r;
        } else if (a == "--db") {
            o.db = args[++i];
        } else if (a == "--listen") {
            if (!splitListen(args[++i], o.host, o.port)) {
                r.error = "--listen wants ADDR:PORT, not " + args[i];
                return r;
            }
        } else if (a == "--host-name") {
            o.hostNames.push_back(args[++i]);
        } else if (a == "--token-file") {
            tokenFile = args[++i];
        } else {
            r.error = "unknown argument " + a;
            return r;
        }
    }
    if (o.help || o.version)
        return r;
    if (o.db.empty()) {
        r.error = "--db URL is required";
        return r;
    }
    if (!tokenFile.empty()) {
        std::ifstream in(tokenFile);
        std::stringstream text;
        text << in.rdbuf();
        o.token = trimmed(text.str());
        if (!in || o.token.empty()) {
            r.error = "the token file " + tokenFile + " cannot be read or is empty";
            return r;
        }
        // The token travels in a header and a cookie: visible ASCII without separators.
        for (const char c : o.token)
            if (c <= ' ' || c > '~' || c == ';' || c == ',' || c == '"' || c == '\\') {
                r.error = "the token in " + tokenFile + " may hold only visible ASCII without ; , \" \\";
                return r;
            }
        if (o.token.size() < kMinTokenLength) {
            r.error = "the token in " + tokenFile + " is shorter than " + std::to_string(kMinTokenLength) +
                      " characters: it could be guessed";
            return r;
        }
    }
    o.loopback = isLoopback(o.host);
    if (!o.loopback && o.token.empty())
        r.error = "listening on " + o.host + " needs --token-file: the page would be open to the network";
    return r;
}

}  // namespace klv

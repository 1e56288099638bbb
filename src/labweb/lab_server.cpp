#include "labweb/lab_server.h"

#include <charconv>

#include "labweb/web_assets.h"

namespace klv {

namespace {

// Scripts and styles only from this server's own files: no inline script, nothing from elsewhere.
constexpr const char* kPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
    "connect-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";

void sendAsset(httplib::Response& res, const std::string& name)
{
    const WebAsset* asset = findWebAsset(name);
    if (!asset) {
        res.status = 404;
        return;
    }
    res.set_content(std::string(asset->bytes()), webContentType(name));
}

// Pages a person opens get the login form with their 401; everything else a short text.
bool isPage(const std::string& path)
{
    return !path.starts_with("/api/") && !path.ends_with("/bdf") && !path.ends_with(".csv");
}

void refuse(httplib::Response& res, int status, const char* text)
{
    res.status = status;
    res.set_header("Connection", "close");
    GuardedServer::closeAfterAnswer();
    res.set_content(text, "text/plain; charset=utf-8");
}

// An absent length is an empty body; a length that does not parse is refused like a long one.
bool bodyFits(const std::string& length, std::size_t limit)
{
    if (length.empty())
        return true;
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(length.data(), length.data() + length.size(), value);
    return ec == std::errc() && end == length.data() + length.size() && value <= limit;
}

}  // namespace

LabServer::LabServer(lab::LabReader& reader, const LiveState& live, AccessGate gate, HostCheck hosts)
        : reader_(reader), live_(live), gate_(std::move(gate)), hosts_(std::move(hosts))
{
    http_.set_payload_max_length(kMaxBody);
    http_.set_default_headers({{"Content-Security-Policy", kPolicy},
                               {"X-Content-Type-Options", "nosniff"},
                               {"Referrer-Policy", "no-referrer"},
                               {"X-Frame-Options", "DENY"},
                               {"Cache-Control", "no-store"}});
    http_.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return admit(req, res); });
    routePages();
    routeApi();
}

int LabServer::bind(const std::string& host, int port)
{
    if (port == 0)
        return http_.bind_to_any_port(host);
    return http_.bind_to_port(host, port) ? port : -1;
}

// Runs once the headers are in and before any body is read.
httplib::Server::HandlerResponse LabServer::admit(const httplib::Request& req, httplib::Response& res)
{
    using Result = httplib::Server::HandlerResponse;
    if (!hosts_.admits(req.get_header_value("Host"))) {
        refuse(res, 421, "421 this page is not served under that host name\n");
        return Result::Handled;
    }
    // Chunked bodies, or bodies read to the end of the connection, have no length to judge up
    // front; the login form never sends one.
    const bool mayHaveBody = req.method != "GET" && req.method != "HEAD";
    if (req.has_header("Transfer-Encoding") || (mayHaveBody && !req.has_header("Content-Length"))) {
        refuse(res, 411, "411 a request body needs its Content-Length\n");
        return Result::Handled;
    }
    if (!bodyFits(req.get_header_value("Content-Length"), kMaxBody)) {
        refuse(res, 413, "413 the request body is too large\n");
        return Result::Handled;
    }
    const bool free = req.path == "/login" || req.path == "/assets/lab.css" || req.path == "/assets/icon.svg";
    return free || checkToken(req, res) ? Result::Unhandled : Result::Handled;
}

// True when the request may go on; otherwise `res` holds the 401 or, for a client that guessed
// wrong too often, the 429.
bool LabServer::checkToken(const httplib::Request& req, httplib::Response& res)
{
    const std::string authorization = req.get_header_value("Authorization");
    if (!authorization.empty() && throttled(req, res))
        return false;
    if (gate_.admits(authorization, req.get_header_value("Cookie")))
        return true;
    if (!authorization.empty())
        throttle_.failed(req.remote_addr);
    res.status = 401;
    res.set_header("WWW-Authenticate", "Bearer realm=\"klv-lab\"");
    if (isPage(req.path))
        sendAsset(res, "login.html");
    else
        res.set_content("401 the lab page needs its access token\n", "text/plain; charset=utf-8");
    return false;
}

bool LabServer::throttled(const httplib::Request& req, httplib::Response& res)
{
    const int wait = throttle_.waitSeconds(req.remote_addr);
    if (wait == 0)
        return false;
    refuse(res, 429, "429 too many wrong tokens; try again later\n");
    res.set_header("Retry-After", std::to_string(wait));
    return true;
}

void LabServer::login(const httplib::Request& req, httplib::Response& res)
{
    if (throttled(req, res))
        return;
    std::string cookie;
    if (gate_.login(req.get_param_value("token"), cookie)) {
        res.set_header("Set-Cookie", cookie);
        res.set_redirect("/", 303);
        return;
    }
    if (!gate_.open())
        throttle_.failed(req.remote_addr);
    res.status = 401;
    sendAsset(res, "login.html");
}

void LabServer::routePages()
{
    const auto page = [](const char* name) {
        return [name](const httplib::Request&, httplib::Response& res) { sendAsset(res, name); };
    };
    http_.Get("/", page("index.html"));
    http_.Get("/tests", page("tests.html"));
    http_.Get(R"(/tests/[0-9a-fA-F-]{36})", page("test.html"));
    http_.Get("/compare", page("compare.html"));
    http_.Get("/login", page("login.html"));
    http_.Get(R"(/assets/([a-z]+\.(js|css|svg)))",
              [](const httplib::Request& req, httplib::Response& res) { sendAsset(res, req.matches[1]); });
    http_.Post("/login", [this](const httplib::Request& req, httplib::Response& res) { login(req, res); });
}

}  // namespace klv

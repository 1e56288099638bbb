#include "labweb/lab_server.h"

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
bool isPage(const std::string& path) { return !path.starts_with("/api/") && !path.ends_with("/bdf"); }

}  // namespace

LabServer::LabServer(lab::LabReader& reader, const LiveState& live, AccessGate gate)
        : reader_(reader), live_(live), gate_(std::move(gate))
{
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

httplib::Server::HandlerResponse LabServer::admit(const httplib::Request& req, httplib::Response& res) const
{
    const bool free = req.path == "/login" || req.path == "/assets/lab.css" || req.path == "/assets/icon.svg";
    if (free || gate_.admits(req.get_header_value("Authorization"), req.get_header_value("Cookie")))
        return httplib::Server::HandlerResponse::Unhandled;
    res.status = 401;
    res.set_header("WWW-Authenticate", "Bearer realm=\"klv-lab\"");
    if (isPage(req.path))
        sendAsset(res, "login.html");
    else
        res.set_content("401 the lab page needs its access token\n", "text/plain; charset=utf-8");
    return httplib::Server::HandlerResponse::Handled;
}

void LabServer::routePages()
{
    const auto page = [](const char* name) {
        return [name](const httplib::Request&, httplib::Response& res) { sendAsset(res, name); };
    };
    http_.Get("/", page("index.html"));
    http_.Get("/tests", page("tests.html"));
    http_.Get(R"(/tests/[0-9a-fA-F-]{36})", page("test.html"));
    http_.Get("/login", page("login.html"));
    http_.Get(R"(/assets/([a-z]+\.(js|css|svg)))",
              [](const httplib::Request& req, httplib::Response& res) { sendAsset(res, req.matches[1]); });
    http_.Post("/login", [this](const httplib::Request& req, httplib::Response& res) {
        std::string cookie;
        if (gate_.login(req.get_param_value("token"), cookie)) {
            res.set_header("Set-Cookie", cookie);
            res.set_redirect("/", 303);
        } else {
            res.status = 401;
            sendAsset(res, "login.html");
        }
    });
}

}  // namespace klv

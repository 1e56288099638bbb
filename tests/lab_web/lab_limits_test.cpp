#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <memory>

#include "support/lab_process.h"
#include "support/lab_schema.h"
#include "support/pg_server.h"
#include "support/raw_client.h"
#include "support/temp_folder.h"

namespace {

const std::string kToken = "k3y-for-the-lab-2026";

std::string statusLine(const std::string& answer) { return answer.substr(0, answer.find('\r')); }

}  // namespace

// What an attacker on the lab network tried: a token too short to hold, a client holding
// connections with unfinished headers while an authorised request must still answer, bodies
// too large or without a length, a foreign Host header, and guessing the token.
TEST(LabLimits, HoldsAgainstAHostileNetwork)
{
    PgServer db;
    ASSERT_EQ(db.failure(), "");
    ASSERT_TRUE(makeLabSchema(db));
    const QString url = QString::fromStdString(db.uri());
    TempFolder dir;
    const std::string shortFile = dir.path() + "/short", tokenFile = dir.path() + "/token";
    std::ofstream(shortFile) << "fifteen-chars-x\n";
    std::ofstream(tokenFile) << kToken << "\n";

    LabProcess refused({"--db", url, "--listen", "0.0.0.0:0", "--token-file", QString::fromStdString(shortFile)});
    EXPECT_EQ(refused.waitForExit(5000), 2);
    EXPECT_TRUE(refused.errors().contains("shorter than 16 characters"));

    LabProcess lab({"--db", url, "--listen", "0.0.0.0:0", "--token-file", QString::fromStdString(tokenFile),
                    "--host-name", "Lab.Example"});
    ASSERT_NE(lab.port(), 0) << lab.errors().toStdString();
    const std::string authorised = "Authorization: Bearer " + kToken + "\r\nConnection: close\r\n\r\n";

    // One client's unfinished requests take its own share of connections, not the page.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 20; ++i) {
        slow.push_back(std::make_unique<RawClient>("127.0.0.1", lab.port()));
        ASSERT_TRUE(slow.back()->send("GET /api/live HTTP/1.1\r\nHo"));
    }
    const auto start = std::chrono::steady_clock::now();
    RawClient other("127.0.0.2", lab.port());
    ASSERT_TRUE(other.send("GET /api/live HTTP/1.1\r\nHost: 127.0.0.1\r\n" + authorised));
    EXPECT_EQ(statusLine(other.answer(3000)), "HTTP/1.1 200 OK");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    int turnedAway = 0;
    for (auto& c : slow)
        turnedAway += statusLine(c->answer(200)) == "HTTP/1.1 503 Service Unavailable";
    EXPECT_EQ(turnedAway, 4);
    slow.clear();

    struct Case {
        const char* request;
        const char* status;
    };
    const Case cases[] = {
        // Refused from the headers alone: the body is never sent.
        {"POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 600000000\r\n\r\n", "413 Payload Too Large"},
        {"POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 65537\r\n\r\n", "413 Payload Too Large"},
        {"POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n", "411 Length Required"},
        {"POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", "411 Length Required"},
        {"GET /api/live HTTP/1.1\r\nHost: attacker.example\r\n", "421 Misdirected Request"},
        {"GET /api/live HTTP/1.1\r\nHost: 127.0.0.1.attacker.example:80\r\n", "421 Misdirected Request"},
        {"GET /api/live HTTP/1.1\r\n", "421 Misdirected Request"},
        {"GET /api/live HTTP/1.1\r\nHost: lab.example:8080\r\n", "200 OK"},
        {"GET /api/live HTTP/1.1\r\nHost: 10.1.2.3\r\n", "200 OK"},
    };
    for (const Case& c : cases) {
        RawClient client("127.0.0.2", lab.port());
        const std::string request = c.request;
        ASSERT_TRUE(client.send(request.ends_with("\r\n\r\n") ? request : request + authorised));
        EXPECT_EQ(statusLine(client.answer(2000)), std::string("HTTP/1.1 ") + c.status) << c.request;
    }

    // Five wrong guesses a minute, then even the right token waits; other clients are unaffected.
    httplib::Client guesser("127.0.0.1", lab.port());
    for (int i = 0; i < 5; ++i) {
        const auto res =
            guesser.Post("/login", "token=guess-" + std::to_string(i), "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401);
    }
    for (const char* form : {"token=guess", "token=k3y-for-the-lab-2026"}) {
        const auto res = guesser.Post("/login", form, "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 429);
        const int wait = std::atoi(res->get_header_value("Retry-After").c_str());
        EXPECT_TRUE(wait >= 1 && wait <= 60) << wait;
    }
    const auto bearer = guesser.Get("/api/live", {{"Authorization", "Bearer " + kToken}});
    ASSERT_TRUE(bearer);
    EXPECT_EQ(bearer->status, 429);
    RawClient fresh("127.0.0.2", lab.port());
    ASSERT_TRUE(fresh.send("GET /api/live HTTP/1.1\r\nHost: 127.0.0.1\r\n" + authorised));
    EXPECT_EQ(statusLine(fresh.answer(2000)), "HTTP/1.1 200 OK");
}

// Open on loopback, the page still answers only to its own names: a page elsewhere that points
// its DNS name here (rebinding) reads nothing.
TEST(LabLimits, LoopbackRefusesForeignHosts)
{
    PgServer db;
    ASSERT_EQ(db.failure(), "");
    ASSERT_TRUE(makeLabSchema(db));
    LabProcess lab({"--db", QString::fromStdString(db.uri())});
    ASSERT_NE(lab.port(), 0) << lab.errors().toStdString();
    httplib::Client client("127.0.0.1", lab.port());
    for (const auto& [host, status] :
         {std::pair{"attacker.example", 421}, {"localhost:8080", 200}, {"127.0.0.1", 200}}) {
        const auto res = client.Get("/api/live", {{"Host", host}});
        ASSERT_TRUE(res) << host;
        EXPECT_EQ(res->status, status) << host;
    }
}

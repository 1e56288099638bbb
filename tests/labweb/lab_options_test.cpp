#include <gtest/gtest.h>

#include <fstream>

#include "labweb/lab_options.h"
#include "support/temp_folder.h"

using klv::parseLabOptions;

// The network is refused without a token; loopback is the default; the token file must hold
// something a header and a cookie can carry.
TEST(LabOptions, ListenAddressNeedsTokenAwayFromLoopback)
{
    TempFolder dir;
    const std::string good = dir.path() + "/token", empty = dir.path() + "/empty", spaced = dir.path() + "/spaced";
    std::ofstream(good) << "s3cret-Token_1-long-enough\n";
    std::ofstream(empty) << "\n";
    std::ofstream(spaced) << "two words\n";
    struct Case {
        std::vector<std::string> args;
        const char* error;  // part of the message, or nullptr when the line is good
        const char* host;
        int port;
    };
    const Case cases[] = {
        {{"--db", "postgresql:///lab"}, nullptr, "127.0.0.1", 8080},
        {{"--db", "postgresql:///lab", "--listen", "127.0.0.1:9000"}, nullptr, "127.0.0.1", 9000},
        {{"--db", "postgresql:///lab", "--listen", "0.0.0.0:9000"}, "needs --token-file", "", 0},
        {{"--db", "postgresql:///lab", "--listen", ":9000"}, "needs --token-file", "", 0},
        {{"--db", "postgresql:///lab", "--listen", "0.0.0.0:9000", "--token-file", good}, nullptr, "0.0.0.0", 9000},
        {{"--db", "postgresql:///lab", "--listen", "[::]:9000", "--token-file", good}, nullptr, "::", 9000},
        {{"--db", "postgresql:///lab", "--token-file", empty}, "empty", "", 0},
        {{"--db", "postgresql:///lab", "--token-file", dir.path() + "/none"}, "cannot be read", "", 0},
        {{"--db", "postgresql:///lab", "--token-file", spaced}, "visible ASCII", "", 0},
        {{"--db", "postgresql:///lab", "--listen", "0.0.0.0:99999"}, "ADDR:PORT", "", 0},
        {{"--listen", "127.0.0.1:9000"}, "--db URL is required", "", 0},
        {{"--db"}, "needs a value", "", 0},
        {{"--db", "x", "--bogus"}, "unknown argument", "", 0},
    };
    for (const Case& c : cases) {
        const auto r = parseLabOptions(c.args);
        SCOPED_TRACE(testing::PrintToString(c.args));
        if (c.error) {
            EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
            continue;
        }
        EXPECT_EQ(r.error, "");
        EXPECT_EQ(r.options.host, c.host);
        EXPECT_EQ(r.options.port, c.port);
    }
    EXPECT_EQ(parseLabOptions({"--db", "x", "--token-file", good}).options.token, "s3cret-Token_1-long-enough");
}

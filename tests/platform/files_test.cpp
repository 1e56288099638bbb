#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {
std::string rawBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
}  // namespace

TEST(TextFileTest, WritesGbkWithCrLfAndReadsBackUtf8)
{
    TempFolder dir;
    std::string path = dir.path() + "/a.txt";
    ASSERT_TRUE(writeLines(path, {"工步", "1\t2"}));
    ASSERT_TRUE(appendLine(path, "恒流放"));
    // 工 = B9 A4, 步 = B2 BD in GBK
    EXPECT_EQ(rawBytes(path), std::string("\xB9\xA4\xB2\xBD\r\n1\t2\r\n\xBA\xE3\xC1\xF7\xB7\xC5\r\n"));
    auto lines = readLines(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"工步", "1\t2", "恒流放"}));
    EXPECT_FALSE(readLines(dir.path() + "/missing.txt"));
    EXPECT_FALSE(readLines(dir.path()));  // a folder where a file was expected
    EXPECT_FALSE(appendLine(dir.path() + "/no/such/folder.log", "x"));
}

TEST(IniFileTest, ReadsWithDefaultsAndWritesOneKeyKeepingTheRest)
{
    TempFolder dir;
    std::string path = dir.path() + "/klv.ini";
    ASSERT_TRUE(writeLines(path, {"; station settings", "[COMM]", "port1 = 3", "", "[DISP]", "Color=255"}));
    IniFile ini(path);
    EXPECT_EQ(ini.read("COMM", "PORT1", "1"), "3");
    EXPECT_EQ(ini.read("COMM", "PORT2", "1"), "1");
    EXPECT_EQ(ini.read("DATA", "X", "d"), "d");

    ASSERT_TRUE(ini.write("COMM", "PORT1", "7"));
    ASSERT_TRUE(ini.write("DISP", "Size", "10"));
    ASSERT_TRUE(ini.write("PORTS", "COM1", "/dev/ttyUSB0"));
    EXPECT_EQ(*readLines(path), (std::vector<std::string>{"; station settings", "[COMM]", "PORT1=7", "", "[DISP]",
                                                          "Color=255", "Size=10", "[PORTS]", "COM1=/dev/ttyUSB0"}));
    ASSERT_TRUE(ini.write("COMM", "Long", std::string(300, 'x')));
    EXPECT_EQ(ini.read("COMM", "Long", "").size(), 254u);

    IniFile fresh(dir.path() + "/new.ini");
    EXPECT_EQ(fresh.read("COMM", "PORT1", "1"), "1");
    ASSERT_TRUE(fresh.write("COMM", "PORT1", "2"));
    EXPECT_EQ(fresh.read("comm", "port1", "1"), "2");
}

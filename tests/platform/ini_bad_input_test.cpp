#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "link/connection.h"
#include "link/poll_cycle.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "support/bench_fixture.h"
#include "support/temp_folder.h"
#include "view/station_startup.h"

using namespace klv;

// A configuration file is edited by hand, copied between machines and cut short
// by power failures. None of that may stop the station: reads fall back to the
// defaults, a write touches its own line only, and the bench still connects.

namespace {

std::string rawBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void writeRaw(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The lines of a file as bytes, without their CR LF or LF ends.
std::vector<std::string> rawLines(const std::string& path)
{
    std::string all = rawBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        size_t stop = (end > start && all[end - 1] == '\r') ? end - 1 : end;
        lines.push_back(all.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

const std::string kBinaryLine("\xFF\xFE\x00\x01\x80\x81=\x7F\xC0\xAF", 11);
const std::string kLongLine(100000, 'q');

// Every kind of damage, with a few good keys in between. The GBK line is
// 名称=电池 (C3FB B3C6 = B5E7 B3D8).
std::vector<std::string> garbageLines()
{
    return {
        "PORT1=9",  // before any section: belongs to none
        kBinaryLine,
        "this line has no equals sign",
        "[COMM",  // a header that never closes
        "[COMM]",
        "PORT1 = 4",
        "\xC3\xFB\xB3\xC6=\xB5\xE7\xB3\xD8",
        kLongLine,
        "LONG=" + std::string(1000, 'v'),
        "][",
        "=no key",
        "[DISP]",
        "VOLCOL=not a number",
        "CURCOL=99999999999999999999999",
        "CAPCOL=",
        "PWRCOL=255",
    };
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const auto& l : lines)
        all += l + "\r\n";
    return all;
}

}  // namespace

TEST(IniBadInputTest, ReadsFindGoodKeysAmongGarbageAndFallBackForTheRest)
{
    TempFolder dir;
    const std::string path = dir.path() + "/klv.ini";
    writeRaw(path, joined(garbageLines()));
    IniFile ini(path);

    EXPECT_EQ(ini.read("COMM", "PORT1", "1"), "4");  // the key before any section is not COMM's
    EXPECT_EQ(ini.read("COMM", "名称", ""), "电池");
    EXPECT_EQ(ini.read("DISP", "PWRCOL", "0"), "255");
    EXPECT_EQ(ini.read("DISP", "CAPCOL", "7"), "");  // present but empty is not missing

    // A 1000-character value comes back cut to what a 255-character buffer holds.
    EXPECT_EQ(ini.read("COMM", "LONG", ""), std::string(254, 'v'));
    // So does an over-long default.
    EXPECT_EQ(ini.read("COMM", "NOPE", std::string(600, 'd')), std::string(254, 'd'));

    // Missing keys and sections, and names made of the damaged lines, give the default.
    EXPECT_EQ(ini.read("COMM", "PORT2", "x"), "x");
    EXPECT_EQ(ini.read("NOSECTION", "PORT1", "x"), "x");
    EXPECT_EQ(ini.read("", "PORT1", "x"), "x");
    EXPECT_EQ(ini.read("COMM", "this line has no equals sign", "x"), "x");
    EXPECT_EQ(ini.read("COMM", kLongLine, "x"), "x");
    EXPECT_EQ(ini.read("COMM", "[COMM", "x"), "x");
}

TEST(IniBadInputTest, LongChineseValuesAreCutAtTheBufferInGbkBytesAndNeverMidCharacter)
{
    TempFolder dir;
    const std::string path = dir.path() + "/klv.ini";
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    const std::string dianGbk = "\xB5\xE7";  // 电
    writeRaw(path, joined({"[DATA]", "FITS=" + repeat(dianGbk, 100), "CUT=" + repeat(dianGbk, 200),
                           "ODD=a" + repeat(dianGbk, 200)}));
    IniFile ini(path);
    // 200 GBK bytes fit the buffer even though they are 300 bytes of UTF-8.
    EXPECT_EQ(ini.read("DATA", "FITS", ""), repeat("电", 100));
    EXPECT_EQ(ini.read("DATA", "CUT", ""), repeat("电", 127));
    // One byte short of a whole character at the end: the half character is dropped.
    EXPECT_EQ(ini.read("DATA", "ODD", ""), "a" + repeat("电", 126));
    EXPECT_EQ(ini.read("DATA", "NONE", repeat("电", 130)), repeat("电", 127));
}

TEST(IniBadInputTest, NoFileOrAnUnreadableOneGivesDefaultsAndAWriteCreatesIt)
{
    TempFolder dir;
    IniFile missing(dir.path() + "/absent.ini");
    EXPECT_EQ(missing.read("COMM", "PORT1", "1"), "1");
    EXPECT_FALSE(fileExists(missing.path()));  // reading never creates the file
    ASSERT_TRUE(missing.write("COMM", "PORT1", "3"));
    EXPECT_EQ(missing.read("COMM", "PORT1", "1"), "3");

    // A folder where the file should be, and a file that is nothing but binary bytes.
    makeFolder(dir.path() + "/folder.ini");
    EXPECT_EQ(IniFile(dir.path() + "/folder.ini").read("COMM", "PORT1", "1"), "1");
    std::string noise;
    for (int i = 0; i < 4096; ++i)
        noise += static_cast<char>((i * 37 + 11) % 256);
    writeRaw(dir.path() + "/noise.ini", noise);
    IniFile noisy(dir.path() + "/noise.ini");
    EXPECT_EQ(noisy.read("COMM", "PORT1", "1"), "1");
    EXPECT_EQ(noisy.read("DISP", "VOLCOL", "16744448"), "16744448");
}

TEST(IniBadInputTest, AWriteKeepsEveryOtherLineByteForByte)
{
    TempFolder dir;
    const std::string path = dir.path() + "/klv.ini";
    std::vector<std::string> lines = garbageLines();
    writeRaw(path, joined(lines));
    IniFile ini(path);

    // Replace a key in place, add one to an existing section, add a section.
    ASSERT_TRUE(ini.write("COMM", "PORT1", "6"));
    ASSERT_TRUE(ini.write("DISP", "BOLD", "1"));
    ASSERT_TRUE(ini.write("PORTS", "COM1", "/dev/ttyUSB0"));

    std::vector<std::string> expected = lines;
    expected[5] = "PORT1=6";
    expected.push_back("BOLD=1");
    expected.push_back("[PORTS]");
    expected.push_back("COM1=/dev/ttyUSB0");
    std::vector<std::string> got = rawLines(path);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "line " << i << " changed";

    EXPECT_EQ(ini.read("COMM", "PORT1", "1"), "6");
    EXPECT_EQ(ini.read("DISP", "BOLD", "0"), "1");
    // A value too long to read back whole is still written whole.
    ASSERT_TRUE(ini.write("DISP", "LONG", std::string(1000, 'w')));
    EXPECT_NE(rawBytes(path).find("LONG=" + std::string(1000, 'w') + "\r\n"), std::string::npos);
    EXPECT_EQ(ini.read("DISP", "LONG", "").size(), 254u);
}

namespace {
struct IniBadInputBench : BenchFixture {};
}  // namespace

TEST_F(IniBadInputBench, AStationWithAGarbageConfigurationStartsConnectsAndPolls)
{
    const std::string path = home.path() + "/klv.ini";
    std::vector<std::string> lines = garbageLines();
    writeRaw(path, joined(lines));
    station.ui.shpVol = station.ui.shpCur = station.ui.shpCap = 1;  // must come back from the file or the default

    startUpStation(station);
    EXPECT_EQ(station.ui.shpVol, 16744448);  // "not a number"
    EXPECT_EQ(station.ui.shpCur, 8421631);   // out of range
    EXPECT_EQ(station.ui.shpCap, 4210752);   // empty
    EXPECT_EQ(station.ui.shpPwr, 255);       // a good key among the garbage

    bus.addUnit(0, 20);
    bus.addUnit(3, 22);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    EXPECT_EQ(station.ui.lstDev, (std::vector<std::string>{"设备01: TAL-M3 (4.5V/1A)", "设备04: TAL-M5 (4.5V/4A)"}));
    EXPECT_EQ(pollTick(station).answersDecoded, 2);
    EXPECT_GT(station.link.slots[8].voltage, 3.0f);
    EXPECT_TRUE(messages.shown.empty());

    // The connect recorded its port in place and left the damaged lines alone.
    std::vector<std::string> expected = lines;
    expected[5] = "PORT1=1";
    EXPECT_EQ(rawLines(path), expected);
}

TEST_F(IniBadInputBench, AStationWithoutAConfigurationFileStartsAndConnects)
{
    const std::string path = home.path() + "/klv.ini";
    ASSERT_FALSE(fileExists(path));
    startUpStation(station);
    EXPECT_TRUE(fileExists(path));
    EXPECT_EQ(station.ui.shpVol, 16744448);
    bus.addUnit(5, 20);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    EXPECT_EQ(IniFile(path).read("COMM", "PORT1", ""), "1");
    EXPECT_EQ(pollTick(station).answersDecoded, 1);
}

// The port can vanish under a wait (a cable pulled, a handler that closes it).
// That ends the tick where it stands: the device that was waiting and those after
// it are neither counted nor logged, the toggle stays, and once the port is back
// the next tick asks every device again.
TEST_F(IniBadInputBench, APortThatVanishesDuringAWaitEndsOnlyThatTick)
{
    bus.addUnit(0, 20);
    bus.addUnit(1, 22);
    bus.addUnit(2, 23);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    int writes = 0;
    port.afterWrite = [&writes](const Bytes&) { ++writes; };
    int pumpsInSecondWait = 0;
    pump.onStep = [&] {
        if (writes == 2 && ++pumpsInSecondWait == 20)
            port.close();
    };
    PollTickReport report = pollTick(station);
    pump.onStep = nullptr;
    EXPECT_EQ(writes, 2);                 // the third device was not asked
    EXPECT_EQ(report.answersDecoded, 1);  // the first answer was taken before the port went
    EXPECT_FALSE(report.timerOff);
    for (int d = 0; d < 3; ++d) {
        EXPECT_EQ(station.link.devices[d].timeoutCount, 0) << "device " << d;
        EXPECT_FALSE(station.link.devices[d].offline) << "device " << d;
    }
    EXPECT_EQ(station.link.pollToggle, 0);
    EXPECT_TRUE(klvLogLines().empty());
    EXPECT_FALSE(station.link.pollBusy);  // a later tick is not locked out

    clock.advance(1000);
    ASSERT_TRUE(port.open(1));
    writes = 0;
    report = pollTick(station);
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(report.answersDecoded, 3);
    EXPECT_EQ(station.link.pollToggle, 1);
    EXPECT_TRUE(klvLogLines().empty());
}

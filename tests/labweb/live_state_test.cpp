#include <gtest/gtest.h>

#include "labweb/live_state.h"
#include "support/occurrences.h"

using klv::LiveState;
using klv::lab::ChannelRow;
using klv::lab::StationRow;

namespace {

ChannelRow channel(const std::string& station, int ch, double volts)
{
    ChannelRow r;
    r.station = station;
    r.device = 1;
    r.channel = ch;
    r.state = "running";
    r.status = "1-" + std::to_string(ch) + "  放电";
    r.voltage = volts;
    return r;
}

}  // namespace

// A page gets every row first, then only the rows that changed; a page that knew a server
// before its restart starts over; a station's age keeps growing while the database is away.
TEST(LiveState, PagesGetOnlyWhatChangedAndAgesGrow)
{
    LiveState live;
    const auto t0 = LiveState::Clock::now();
    const std::vector<StationRow> stations = {{"A", "pc1", "1.0.0", 1700000000, 2.0}};
    live.update(stations, {channel("A", 1, 3.7), channel("A", 2, 3.8)}, t0);
    const std::string all = live.json(0, t0);
    EXPECT_EQ(occurrences(all, "\"station\":\"A\""), 2) << all;
    EXPECT_NE(all.find("\"version\":1,"), std::string::npos) << all;

    live.update(stations, {channel("A", 1, 3.7), channel("A", 2, 3.81)}, t0);
    const std::string changed = live.json(1, t0);
    EXPECT_EQ(occurrences(changed, "\"station\":\"A\""), 1) << changed;
    EXPECT_NE(changed.find("\"voltage\":3.81"), std::string::npos) << changed;

    live.update(stations, {channel("A", 1, 3.7), channel("A", 2, 3.81)}, t0);
    EXPECT_EQ(occurrences(live.json(2, t0), "\"station\":\"A\""), 0) << "an unchanged read sent rows again";
    EXPECT_EQ(occurrences(live.json(99, t0), "\"station\":\"A\""), 2) << "a version from before a restart";

    live.failed("connection refused");
    const std::string later = live.json(2, t0 + std::chrono::seconds(15));
    EXPECT_NE(later.find("\"age\":17"), std::string::npos) << later;
    EXPECT_EQ(live.failure(), "connection refused");
    live.update(stations, {}, t0);
    EXPECT_EQ(live.failure(), "");
}

// Markup and line breaks in a name stay text inside the JSON.
TEST(LiveState, NamesAreEscaped)
{
    LiveState live;
    live.update({{"<img src=x onerror=alert(1)>", "h\"q", "1.0.0", 0, 0}}, {});
    const std::string json = live.json(0);
    EXPECT_NE(json.find(R"("name":"\u003cimg src=x onerror=alert(1)\u003e","host":"h\"q")"), std::string::npos) << json;
}

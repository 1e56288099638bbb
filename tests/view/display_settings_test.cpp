#include <gtest/gtest.h>

#include "data/data_station.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "view/display_settings.h"

using namespace klv;

// Settings go through klv.ini and the graphs and come back the same; damaged keys take defaults.
TEST(DisplaySettingsTest, SettingsRoundTripThroughTheFileAndTheGraphs)
{
    DataStation b;
    const IniFile ini(b.home.path() + "/klv.ini");
    EXPECT_EQ(readDisplaySettings(ini), DisplaySettings{});

    DisplaySettings chosen;
    chosen.gridColor = 0x111111;
    chosen.backColor = 0x222222;
    chosen.axesColor = 0x333333;
    chosen.volColor = 0x00FF00;
    chosen.curColor = 0x00FFFF;
    chosen.dashedMain = true;
    chosen.dashedSecondary = false;
    chosen.line = 3;
    chosen.showLegend = true;
    ASSERT_TRUE(writeDisplaySettings(ini, chosen));
    EXPECT_EQ(readLines(ini.path()).value_or(std::vector<std::string>{}),
              (std::vector<std::string>{"[DATA]", "MDOT=1", "SDOT=0", "GCOL=1118481", "BCOL=2236962", "ACOL=3355443",
                                        "VCOL=65280", "CCOL=65535", "SLA=1", "LINE=3"}));
    EXPECT_EQ(readDisplaySettings(ini), chosen);

    applyDisplaySettings(b.station.ui, readDisplaySettings(ini));
    EXPECT_EQ(currentDisplaySettings(b.station.ui), chosen);
    const CurveGraph& last = b.station.ui.graphs[kMaxDevices - 1];
    EXPECT_EQ(last.CurveLineColor(1), 0x00FFFF);
    EXPECT_EQ(last.CurveLineColor(2), b.station.ui.graphs[0].CurveLineColor(2));  // other channels keep theirs
    EXPECT_EQ(last.GridType1(), 2);
    EXPECT_TRUE(last.ShowLegend(0));

    // A value that is not a number takes its default; SLA counts only as 1.
    ASSERT_TRUE(ini.write("DATA", "VCOL", "red"));
    ASSERT_TRUE(ini.write("DATA", "SLA", "2"));
    const DisplaySettings read = readDisplaySettings(ini);
    EXPECT_EQ(read.volColor, DisplaySettings{}.volColor);
    EXPECT_FALSE(read.showLegend);
    EXPECT_EQ(read.line, 3);
}

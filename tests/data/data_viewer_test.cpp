#include <gtest/gtest.h>

#include "common/brand.h"
#include "data/data_viewer.h"
#include "data/step_export.h"
#include "data/viewer_files.h"
#include "platform/text_file.h"

using namespace klv;

namespace {

struct Opened {
    TempFolder folder;
    DataViewer viewer;

    void open(const RecordedTest& test, const std::string& name = "test")
    {
        const std::string base = folder.path() + "/" + name;
        test.save(base);
        viewer.beginOpen();
        viewer.finishOpen(loadDataFile(base + ".dat"));
    }
};

std::string exportedBytes(std::vector<std::string> lines)
{
    return utf8ToGbk([&] {
        std::string text;
        for (const std::string& l : lines)
            text += l + "\r\n";
        return text;
    }());
}

}  // namespace

TEST(DataViewerTest, OpeningPlotsRecordsBelow5p5VoltsAndRoundsTheAxesToTwentiethsOfAVolt)
{
    RecordedTest test = restDischargeCharge();
    test.points = {{0, 1, 4.2f}, {1, 1, 3.6f}, {2, 1, 5.5f}, {3, 1, 3.0f}, {4, 1, 7.0f}};
    test.results = {{"1", "2", "恒流放", "0.001", "0.004", "0:00:05"}};
    Opened o;
    o.open(test);

    const CurveGraph& g = o.viewer.graph();
    ASSERT_EQ(g.DpCnt(0), 3);  // 5.5 V and 7 V are left out, and do not widen the range
    EXPECT_EQ(g.DpX(0, 2), 3);
    EXPECT_FLOAT_EQ(g.MaxY(0), 4.35f);
    EXPECT_FLOAT_EQ(g.MinY(0), 2.85f);
    EXPECT_EQ(g.MaxX(), 3);
    EXPECT_EQ(g.MinX(), 0);
    EXPECT_EQ(g.title().caption, "TAL-M1 1-1");
    EXPECT_TRUE(o.viewer.canExport());
    EXPECT_TRUE(o.viewer.canRefresh());
    EXPECT_EQ(o.viewer.stepTable().at(2, 0), "2");
    EXPECT_EQ(o.viewer.stepTable().at(2, 1), "恒流放");
    EXPECT_EQ(o.viewer.resultTable().at(1, 2), "恒流放");
}

TEST(DataViewerTest, ViewsListTheirStepsAndScaleTheirAxes)
{
    RecordedTest test = restDischargeCharge();
    test.results[1][3] = "2.500";
    Opened o;
    o.open(test);
    DataViewer& v = o.viewer;
    const CurveGraph& g = v.graph();

    v.refresh(ViewerView::Capacity);
    ASSERT_EQ(g.DpCnt(4), 1);
    ASSERT_EQ(g.DpCnt(5), 1);
    EXPECT_EQ(g.DpX(4, 0), 1);
    EXPECT_FLOAT_EQ(g.DpY(4, 0), 2.5f);
    EXPECT_EQ(g.DpX(5, 0), 1);
    EXPECT_EQ(g.MinX(), 1);
    EXPECT_EQ(g.MaxX(), 11);
    EXPECT_FALSE(g.ShowAxesY1());
    EXPECT_EQ(g.AxesText(), "[Ah]");
    EXPECT_EQ(g.title().caption, "TAL-M1 1-1容量-次数");
    EXPECT_EQ(v.resultTable().at(1, 2), "恒流放");  // the rest row is not listed
    EXPECT_EQ(v.resultTable().at(2, 2), "恒压充");

    v.refresh(ViewerView::DischargeCapacity);
    EXPECT_EQ(g.MaxX(), 2500);  // the largest listed discharge capacity in mAh
    EXPECT_EQ(g.xBarType(), 1);
    EXPECT_EQ(g.title().caption, "TAL-M1 1-1 放电-容量");
    EXPECT_EQ(v.resultTable().at(1, 1), "2");
    EXPECT_EQ(v.resultTable().at(2, 1), "");

    v.refresh(ViewerView::ChargeTime);
    EXPECT_EQ(g.MaxX(), 2);  // times within the step: 0, 1, 2
    EXPECT_EQ(g.xBarType(), 0);
    EXPECT_TRUE(g.ShowCurve(2));
    EXPECT_FALSE(g.ShowCurve(0));
    EXPECT_EQ(v.resultTable().at(1, 2), "恒压充");

    v.refresh(ViewerView::All);
    EXPECT_EQ(g.MaxX(), 8);
    EXPECT_EQ(g.title().caption, "TAL-M1 1-1");
    EXPECT_EQ(v.resultTable().at(3, 2), "恒压充");
}

TEST(DataViewerTest, ExportWritesEachStepWithItsOwnPointsWhateverTheViewAndSkipsRests)
{
    Opened o;
    o.open(restDischargeCharge());
    const std::string base = o.folder.path() + "/steps";
    const std::vector<std::string> head = {"设备:TAL-M1", "通道:1-1", "循环:1"};
    const auto expected = [&](const std::string& step, const std::string& mode, const std::string& cap,
                              const std::string& energy, const std::vector<std::string>& points) {
        std::vector<std::string> lines = head;
        lines.insert(lines.end(), {"工步:" + step, "模式:" + mode, "容量:" + cap + "Ah", "能量:" + energy + "Wh",
                                   kBannerLine, "Time(S),Cur(A),Vol(V)"});
        lines.insert(lines.end(), points.begin(), points.end());
        return exportedBytes(lines);
    };
    // The rest row gives no file; the discharge starts at its end (t = 3), with the current as "00.00".
    const std::string discharge = expected("2", "恒流放,01.00,02.75,00.00,0", "0.003", "0.011",
                                           {"0,01.00,3.800", "1,01.00,3.700", "2,01.00,3.600"});
    const std::string charge = expected("3", "恒压充,01.00,04.20,00.10,0", "0.001", "0.005",
                                        {"0,00.50,3.900", "1,00.50,4.000", "2,00.50,4.100"});

    StepExport all = exportSteps(o.viewer, base);
    EXPECT_TRUE(all.finished);
    EXPECT_EQ(all.files, (std::vector<std::string>{base + "-1-2.csv", base + "-1-3.csv"}));
    EXPECT_EQ(fileBytes(base + "-1-2.csv"), discharge);
    EXPECT_EQ(fileBytes(base + "-1-3.csv"), charge);

    // After a charge view only the charge is listed: one file, still with its own points.
    removeFile(base + "-1-2.csv");
    removeFile(base + "-1-3.csv");
    o.viewer.refresh(ViewerView::ChargeTime);
    EXPECT_EQ(exportSteps(o.viewer, base).files, std::vector<std::string>{base + "-1-3.csv"});
    EXPECT_EQ(fileBytes(base + "-1-3.csv"), charge);
    EXPECT_FALSE(fileExists(base + "-1-2.csv"));
}

TEST(DataViewerTest, ExportEdgeRows)
{
    struct Case {
        const char* name;
        std::vector<std::array<std::string, 6>> results;
        std::vector<size_t> pointLines;  // data lines of each file written
        bool finished;
    };
    const std::vector<Case> cases = {
        {"a step of 0:00:00 takes no points",
         {{"1", "2", "恒流放", "0.001", "0.001", "0:00:00"}, {"2", "2", "恒流放", "0.003", "0.011", "0:00:09"}},
         {0, 6},  // the zero-current rest points at the start are not written
         true},
        {"points run out before the last row",
         {{"1", "2", "恒流放", "0.003", "0.011", "0:00:09"}, {"1", "3", "恒压充", "0.001", "0.005", "0:00:03"}},
         {6},
         true},
        {"a damaged step time ends the export", {{"1", "2", "恒流放", "0.003", "0.011", "3 s"}}, {}, false},
        {"a step number beyond the table ends the export",
         {{"1", "12", "恒流放", "0.003", "0.011", "0:00:03"}},
         {},
         false},
    };
    for (const Case& c : cases) {
        RecordedTest test = restDischargeCharge();
        test.results = c.results;
        Opened o;
        o.open(test);
        const StepExport out = exportSteps(o.viewer, o.folder.path() + "/e");
        EXPECT_EQ(out.finished, c.finished) << c.name;
        ASSERT_EQ(out.files.size(), c.pointLines.size()) << c.name;
        for (size_t f = 0; f < out.files.size(); ++f)
            EXPECT_EQ(readLines(out.files[f])->size(), 9 + c.pointLines[f]) << c.name;
    }
}

TEST(DataViewerTest, ASecondOpenStartsEmptyAndAnUnfinishedLoadIsNeitherDrawnNorMixedWithTheFirst)
{
    Opened o;
    o.open(restDischargeCharge(), "first");
    RecordedTest small;
    small.steps = {{"恒流放", "00.50", "03.00", "00.00", "0"}};
    small.points = {{0, 0.5f, 3.7f}, {1, 0.5f, 3.6f}};
    small.results = {{"1", "1", "恒流放", "0.001", "0.001", "0:00:02"}};
    o.open(small, "second");
    const DataViewer& v = o.viewer;
    EXPECT_EQ(v.graph().DpCnt(0), 2);
    EXPECT_EQ(v.stepTable().at(2, 1), "");
    EXPECT_EQ(v.resultTable().at(1, 1), "1");
    EXPECT_EQ(v.resultTable().at(2, 1), "");
    EXPECT_EQ(v.results().size(), 1u);

    // Its result file gone, the third file loads but stops: no export, and refresh has nothing to show.
    restDischargeCharge().save(o.folder.path() + "/third");
    removeFile(o.folder.path() + "/third.run");
    o.viewer.beginOpen();
    o.viewer.finishOpen(loadDataFile(o.folder.path() + "/third.dat"));
    EXPECT_FALSE(v.canExport());
    EXPECT_TRUE(v.canRefresh());
    EXPECT_EQ(v.stepTable().at(3, 1), "恒压充");
    o.viewer.refresh(ViewerView::All);
    EXPECT_EQ(v.resultTable().at(1, 1), "");
    EXPECT_TRUE(exportSteps(v, o.folder.path() + "/none").files.empty());
}

#include <gtest/gtest.h>

#include "data/cycle_table.h"
#include "data/data_file.h"
#include "data/viewer_files.h"
#include "platform/text_file.h"
#include "ui/detail_page.h"
#include "ui/grid_lines.h"
#include "ui/text_grid_widget.h"

using namespace klv;

TEST(DetailCyclesTest, TheCycleTableSoFarGrowsAtEachStepEndAndEndsAsTheSavedFiles)
{
    DataStation bench;
    const RecordedTest test = threeCycles();
    test.fill(bench, 4);  // two passes ended, the third not begun
    DetailPage page(bench.station);
    page.show();
    page.showChannel(0, 0);
    const QAbstractItemModel& shown = *page.findChild<TextGridWidget*>(QStringLiteral("gridCycles"))->model();
    ASSERT_EQ(shown.rowCount(), 2);
    EXPECT_EQ(shown.headerData(7, Qt::Horizontal).toString(), QStringLiteral("库仑效率(%)"));
    EXPECT_EQ(shown.index(1, 7).data().toString(), QStringLiteral("97.03"));

    // The third discharge ends: its row is in the table at the next refresh.
    bench.setResult(0, 5, test.results[4]);
    page.refresh();
    ASSERT_EQ(shown.rowCount(), 3);
    EXPECT_EQ(shown.index(2, 3).data().toString(), QString());  // no charge yet in that pass
    bench.setResult(0, 6, test.results[5]);
    page.refresh();

    const std::string base = bench.home.path() + "/saved";
    writeDataFiles(bench.station, 0, base);
    std::vector<std::string> saved = splitRawLines(cycleCsv(cycleRows(stepTotals(loadDataFile(base + ".dat")))));
    saved.erase(saved.begin());
    EXPECT_EQ(gridLines(shown), saved);
}

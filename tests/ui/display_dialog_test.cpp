#include "ui/display_dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <deque>

#include "platform/file_chooser.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "support/bench_fixture.h"
#include "ui/about_dialog.h"
#include "ui/curve_graph_widget.h"
#include "ui/dialog_driver.h"
#include "ui/qt_colour.h"
#include "version.h"
#include "view/station_startup.h"

using namespace dialog_driver;

namespace klv {
namespace {

struct DisplayDialogTest : BenchFixture {
    DisplayDialogTest()
    {
        startUpStation(station);
        setColourChooserHandler([this] {
            if (colours.empty())
                return -1;
            const int c = colours.front();
            colours.pop_front();
            return c;
        });
    }
    ~DisplayDialogTest() override { setColourChooserHandler(nullptr); }

    void click(const char* name) { child<QPushButton>(dialog, name)->click(); }
    // The colour in the middle of a swatch as it paints.
    QColor swatchColour(const char* name)
    {
        QWidget* swatch = child<QPushButton>(dialog, name);
        return swatch->grab().toImage().pixelColor(swatch->width() / 2, swatch->height() / 2);
    }
    std::vector<std::string> dataLines()
    {
        const auto lines = readLines(home.path() + "/klv.ini");
        std::vector<std::string> data;
        bool inData = false;
        for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
            if (!line.empty() && line[0] == '[')
                inData = line == "[DATA]";
            else if (inData)
                data.push_back(line);
        }
        return data;
    }

    std::deque<int> colours;  // what the colour chooser answers, in turn; -1 when it runs out
    DisplayDialog dialog{station};
};

// The most grid-coloured pixels any row of the plot holds between x = 80 and 520: a solid
// horizontal grid line fills the whole stretch, a dashed one about half of it.
int fullestGridRow(CurveGraph& graph)
{
    CurveGraphWidget widget(graph);
    widget.resize(600, 400);
    widget.show();
    QApplication::processEvents();
    graph.DrawCurve();
    const QImage picture = widget.grab().toImage();
    const QColor grid = toQColor(graph.GridColor());
    int fullest = 0;
    for (int y = 45; y < 345; ++y) {
        int n = 0;
        for (int x = 80; x < 520; ++x)
            n += picture.pixelColor(x, y) == grid ? 1 : 0;
        fullest = std::max(fullest, n);
    }
    return fullest;
}

TEST_F(DisplayDialogTest, ChoicesGoToEveryGraphAndTheNextStartDrawsThem)
{
    EXPECT_EQ(fullestGridRow(station.ui.graphs[0]), 440) << "solid main grid by default";
    int changed = 0;
    QObject::connect(&dialog, &DisplayDialog::displayChanged, [&] { ++changed; });
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "显示设置");
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(shown(child<QComboBox>(dialog, "cmbDot")), "实线");
    EXPECT_EQ(shown(child<QComboBox>(dialog, "cmbDot2")), "虚线");
    EXPECT_EQ(shown(child<QComboBox>(dialog, "cmbLine")), "2");
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkLabel")->isChecked());
    EXPECT_EQ(swatchColour("lblGridColor"), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(swatchColour("lblVolColor"), QColor(0, 0, 0xFF)) << "16711680 is blue as 0x00BBGGRR";
    // A swatch has no caption: a screen reader names it by its row.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QPushButton>(dialog, "lblVolColor"))
                  ->text(QAccessible::Name)
                  .toStdString(),
              "电压：");

    colours = {0x0000FF, -1, 0x00FF00};
    click("lblGridColor");
    click("lblBackColor");  // cancelled: stays white
    click("lblCurColor");
    EXPECT_EQ(swatchColour("lblGridColor"), QColor(0xFF, 0, 0));
    EXPECT_EQ(swatchColour("lblBackColor"), QColor(0xFF, 0xFF, 0xFF));
    choose(child<QComboBox>(dialog, "cmbDot"), "虚线");
    choose(child<QComboBox>(dialog, "cmbLine"), "1");
    child<QCheckBox>(dialog, "chkLabel")->setChecked(true);
    click("cmdOK");

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(dataLines(), (std::vector<std::string>{"MDOT=1", "SDOT=1", "GCOL=255", "BCOL=16777215", "ACOL=0",
                                                     "VCOL=16711680", "CCOL=65280", "SLA=1", "LINE=1"}));
    for (const CurveGraph& g : station.ui.graphs) {
        EXPECT_EQ(g.GridType1(), 2);
        EXPECT_EQ(g.GridColor(), 255);
        EXPECT_EQ(g.CurveLineColor(1), 65280);
        EXPECT_EQ(g.CurveLineColor(3), 255) << "other channels' curves wait for the next start";
        EXPECT_EQ(g.Line(), 1);
        EXPECT_TRUE(g.ShowLegend(0) && g.ShowLegend(1));
    }
    EXPECT_TRUE(station.ui.showCurveLabels);

    // The next start reads the keys back: the main grid is drawn dashed.
    Station next(home.path(), port, clock, pump);
    startUpStation(next);
    EXPECT_EQ(next.ui.graphs[5].GridType1(), 2);
    EXPECT_EQ(next.ui.graphs[5].CurveLineColor(3), 65280);
    EXPECT_TRUE(next.ui.showCurveLabels);
    const int dashed = fullestGridRow(next.ui.graphs[0]);
    EXPECT_LT(dashed, 300) << "no grid line is solid any more";
    EXPECT_GT(dashed, 150) << "yet the grid is drawn, in its new colour";
}

TEST_F(DisplayDialogTest, ApplyingUnchangedRewritesAllNineKeysAndCancelChangesNothing)
{
    dialog.show();
    choose(child<QComboBox>(dialog, "cmbDot"), "虚线");
    colours = {0x00FF00};
    click("lblAxesColor");
    press(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dataLines().empty());
    EXPECT_EQ(station.ui.graphs[0].GridType1(), 0);
    EXPECT_EQ(station.ui.graphs[0].AxesColor(), 0);

    dialog.show();
    EXPECT_EQ(shown(child<QComboBox>(dialog, "cmbDot")), "实线") << "a new show starts from the graphs";
    press(child<QComboBox>(dialog, "cmbLine"), Qt::Key_Return);  // Enter applies
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dataLines(), (std::vector<std::string>{"MDOT=0", "SDOT=1", "GCOL=8421504", "BCOL=16777215", "ACOL=0",
                                                     "VCOL=16711680", "CCOL=255", "SLA=0", "LINE=2"}));
}

TEST(AboutDialog, ShowsTitleVersionAndTheWebAddress)
{
    AboutDialog about;
    about.show();
    EXPECT_EQ(about.objectName().toStdString(), "frmAbout");
    EXPECT_EQ(about.windowTitle().toStdString(), "关于");
    EXPECT_EQ(child<QLabel>(about, "lblTitle")->text().toStdString(), "多通道电池测试系统");
    EXPECT_EQ(child<QLabel>(about, "lblVersion")->text().toStdString(), std::string("版本: V") + kVersionText);
    EXPECT_TRUE(child<QLabel>(about, "lblWeb")->text().contains(QStringLiteral("www.cellward.example")));
    EXPECT_TRUE(child<QLabel>(about, "lblWeb")->openExternalLinks());
    press(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace klv

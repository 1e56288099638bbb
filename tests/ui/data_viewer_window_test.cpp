#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <fstream>
#include <set>

#include "data/cycle_table.h"
#include "data/viewer_files.h"
#include "platform/file_chooser.h"
#include "platform/input_box.h"
#include "platform/text_file.h"
#include "ui/curve_graph_widget.h"
#include "ui/cycle_page_widget.h"
#include "ui/data_viewer_window.h"
#include "ui/grid_lines.h"
#include "ui/text_grid_widget.h"

using namespace klv;

namespace {

struct ViewerWindowTest : ::testing::Test {
    DataStation bench;
    DataViewerWindow window{bench.station};
    std::vector<FileRequest> asked;
    std::string answer;

    void SetUp() override
    {
        setFileChooserHandler([this](const FileRequest& r) {
            asked.push_back(r);
            return answer;
        });
        window.show();
    }
    void TearDown() override
    {
        setFileChooserHandler({});
        setInputHandler({});
    }

    template <typename T>
    T& child(const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }

    // Runs the event loop until the load started by start ends; whether it was whole.
    template <typename Start>
    bool loadWith(Start&& start)
    {
        QEventLoop loop;
        std::optional<bool> complete;
        auto done = QObject::connect(&window, &DataViewerWindow::loadFinished, [&](bool whole) {
            complete = whole;
            loop.quit();
        });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        start();
        if (!complete)
            loop.exec();
        QObject::disconnect(done);
        if (!complete)
            throw std::runtime_error("the load did not end");
        return *complete;
    }

    // Chooses a file in the open dialog and waits for the loading to end.
    bool openByMenu(const std::string& path)
    {
        answer = path;
        return loadWith([this] { child<QAction>("menuOpen").trigger(); });
    }
};

}  // namespace

TEST_F(ViewerWindowTest, OpenRefreshExportPictureTitleAndLegendFromTheMenus)
{
    const std::string base = bench.home.path() + "/test";
    restDischargeCharge().save(base);
    EXPECT_FALSE(child<QAction>("menuSaveStep").isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdRefresh").isEnabled());

    ASSERT_TRUE(openByMenu(base + ".dat"));
    EXPECT_EQ(asked.back().title, "打开数据");
    EXPECT_EQ(asked.back().filter, "data file(*.dat)|*.dat");
    EXPECT_TRUE(child<QAction>("menuSaveStep").isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdRefresh").isEnabled());
    auto& results = child<TextGridWidget>("gridResult");
    EXPECT_EQ(results.model()->index(2, 2).data().toString(), QStringLiteral("恒压充"));
    EXPECT_EQ(results.model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("容量(Ah)"));

    // The view changes only with "刷新".
    child<QRadioButton>("optView1").setChecked(true);
    EXPECT_EQ(results.model()->index(0, 2).data().toString(), QStringLiteral("搁置"));
    child<QPushButton>("cmdRefresh").click();
    EXPECT_EQ(results.model()->index(0, 2).data().toString(), QStringLiteral("恒流放"));
    EXPECT_EQ(window.viewer().graph().title().caption, "TAL-M1 1-1 放电-时间");

    // Export after a discharge view: only the discharge step.
    answer = bench.home.path() + "/steps";
    child<QAction>("menuSaveStep").trigger();
    EXPECT_EQ(asked.back().title, "保存单步数据");
    EXPECT_EQ(asked.back().initialName, "2024312-9305");
    EXPECT_TRUE(fileExists(answer + "-1-2.csv"));
    EXPECT_FALSE(fileExists(answer + "-1-3.csv"));

    // Title and legends.
    setInputHandler([](const std::string& prompt, const std::string& title) {
        return prompt == "请输入新的标题" && title == "曲线标题" ? "第一批" : "";
    });
    child<QAction>("menuTitle").trigger();
    EXPECT_EQ(window.viewer().graph().title().caption, "第一批");
    child<QAction>("menuLegend").trigger();
    EXPECT_TRUE(window.viewer().graph().ShowLegend(2));
    EXPECT_FALSE(window.viewer().graph().ShowLegend(0));  // its curve is not shown in this view

    // The picture comes from the graph itself, ".bmp" appended when the name lacks it.
    window.resize(900, 700);
    answer = bench.home.path() + "/curves";
    child<QAction>("menuSavePicture").trigger();
    EXPECT_EQ(asked.back().filter, "bmp file(*.bmp)|*.bmp");
    QImage saved(QString::fromStdString(answer + ".bmp"), "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), window.graphWidget().size());
    EXPECT_EQ(saved.pixelColor(2, 2), QColor(Qt::white));

    // A cancelled open changes nothing.
    answer.clear();
    child<QAction>("menuOpen").trigger();
    EXPECT_FALSE(window.isLoading());
    EXPECT_TRUE(child<QAction>("menuSaveStep").isEnabled());
}

TEST_F(ViewerWindowTest, TheCyclesPageByKeyboardShowsTheExportedTableAndSavesItAndItsPlots)
{
    const std::string base = bench.home.path() + "/cycles";
    threeCycles().save(base);
    ASSERT_TRUE(openByMenu(base + ".dat"));
    // A key to the control that has the focus; its name after.
    const auto press = [this](int key) {
        QWidget* at = window.focusWidget() ? window.focusWidget() : &window;
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier), up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(at, &down);
        QApplication::sendEvent(at, &up);
        return window.focusWidget() ? window.focusWidget()->objectName().toStdString() : std::string();
    };

    // Tab reaches the page tabs, Right turns to the cycles page, and Tab then visits all its controls.
    auto& pages = child<QTabWidget>("tabPages");
    for (int n = 0; n < 30 && window.focusWidget() != pages.tabBar(); ++n)
        press(Qt::Key_Tab);
    ASSERT_EQ(window.focusWidget(), pages.tabBar());
    press(Qt::Key_Right);
    ASSERT_EQ(pages.currentWidget(), &window.cyclesPage());
    std::set<std::string> reached;
    for (int n = 0; n < 30; ++n)
        reached.insert(press(Qt::Key_Tab));
    for (const char* name : {"gridCycles", "cboCycle", "cboRole", "cmdSaveCycles", "cmdSaveCapacity", "cmdSaveDqDv"})
        EXPECT_TRUE(reached.count(name)) << name;
    // Names as the accessibility tree gives them; a chooser's name there is its value, the
    // name set on it going with its label.
    const std::pair<const char*, const char*> names[] = {{"gridCycles", "循环表"},
                                                         {"graphCapacity", "容量-循环曲线"},
                                                         {"graphDqDv", "dQ/dV 曲线"},
                                                         {"cmdSaveCycles", "保存循环表"},
                                                         {"cmdSaveDqDv", "保存dQ/dV曲线"}};
    for (const auto& [name, spoken] : names)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(&child<QWidget>(name))->text(QAccessible::Name),
                  QString::fromUtf8(spoken));
    EXPECT_EQ(child<QComboBox>("cboCycle").accessibleName(), QStringLiteral("dQ/dV 的循环"));
    EXPECT_EQ(child<QComboBox>("cboRole").accessibleName(), QStringLiteral("dQ/dV 的充电或放电"));

    // The table holds the fields of the exported file, row by row.
    auto& table = child<TextGridWidget>("gridCycles");
    const std::string csv = cycleCsv(cycleRows(stepTotals(loadDataFile(base + ".dat"))));
    std::vector<std::string> lines = splitRawLines(csv);
    lines.erase(lines.begin());
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(gridLines(*table.model()), lines);
    EXPECT_EQ(table.model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("放电容量(Ah)"));
    EXPECT_EQ(table.model()->index(1, 7).data().toString(), QStringLiteral("97.03"));  // 0.980 / 1.010

    // dQ/dV follows the choosers: the second cycle's discharge peaks on its 3.70 V plateau.
    CyclePage& page = window.viewer().cycles();
    child<QComboBox>("cboCycle").setFocus();
    press(Qt::Key_Down);
    EXPECT_EQ(page.dqdvCycle(), 2);
    EXPECT_EQ(page.dqdvRole(), StepRole::Discharge);
    const auto& points = page.dqdvPoints();
    ASSERT_FALSE(points.empty());
    EXPECT_NEAR(
        std::max_element(points.begin(), points.end(), [](auto& a, auto& b) { return a.value < b.value; })->voltage,
        3.70, kDqDvGrid);
    child<QComboBox>("cboRole").setFocus();
    press(Qt::Key_Up);
    EXPECT_EQ(page.dqdvRole(), StepRole::Charge);
    EXPECT_EQ(page.dqdvGraph().DpCnt(0), static_cast<int>(page.dqdvPoints().size()));

    // The table saved is the batch export's file; a plot is saved as the curves are.
    answer = bench.home.path() + "/saved";
    child<QPushButton>("cmdSaveCycles").click();
    EXPECT_EQ(fileBytes(answer + ".csv"), csv);
    child<QPushButton>("cmdSaveCapacity").click();
    EXPECT_EQ(asked.back().filter, "bmp file(*.bmp)|*.bmp");
    QImage saved(QString::fromStdString(answer + ".bmp"), "BMP");
    EXPECT_EQ(saved.size(), window.cyclesPage().capacityWidget().size());
}

TEST_F(ViewerWindowTest, ASecondOpenWhileLoadingIsRefusedAndBadFilesNeverHangTheWindow)
{
    const std::string base = bench.home.path() + "/good";
    restDischargeCharge().save(base);
    const bool loaded = loadWith([&] {
        ASSERT_TRUE(window.openFile(QString::fromStdString(base + ".dat")));
        EXPECT_TRUE(window.isLoading());
        EXPECT_FALSE(window.openFile(QString::fromStdString(base + ".dat")));
        EXPECT_FALSE(child<QAction>("menuOpen").isEnabled());
        EXPECT_FALSE(child<QAction>("menuSaveStep").isEnabled());
    });
    EXPECT_TRUE(loaded);

    const std::string whole = fileBytes(base + ".dat");
    std::string noise(8192, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 131 + 7) % 256);
    const struct {
        const char* name;
        std::string dat;
        bool withRun;
        bool mayLoad;  // what is left may still read as a test
    } bad[] = {
        {"cut", whole.substr(0, whole.size() - 9), true, true},
        {"noise", "1\t" + noise, true, true},
        {"no result file", whole, false, false},
        {"a line of 30 MB", std::string(30'000'000, '1') + "\t1\t", true, false},
        {"a step beyond ten", utf8ToGbk("设备:TAL-M1\r\n工步:11\t恒流放\t1\t2\t3\t0\r\n"), true, false},
    };
    for (const auto& b : bad) {
        const std::string path = bench.home.path() + "/bad.dat";
        ASSERT_TRUE(writeRawLines(path, {b.dat}));
        removeFile(bench.home.path() + "/bad.run");
        if (b.withRun) {
            ASSERT_TRUE(writeRawLines(bench.home.path() + "/bad.run", {fileBytes(base + ".run")}));
        }
        const bool complete = openByMenu(path);
        EXPECT_EQ(child<QAction>("menuSaveStep").isEnabled(), complete) << b.name;
        if (!b.mayLoad) {
            EXPECT_FALSE(complete) << b.name;
        }
        child<QPushButton>("cmdRefresh").click();  // works on nothing but what loaded whole
        EXPECT_TRUE(child<QAction>("menuOpen").isEnabled()) << b.name;
    }
}

TEST_F(ViewerWindowTest, EachOpeningStartsEmptyInTheDisplaySettingsOfNow)
{
    const std::string base = bench.home.path() + "/test";
    restDischargeCharge().save(base);
    ASSERT_TRUE(openByMenu(base + ".dat"));
    child<QRadioButton>("optView1").setChecked(true);
    child<QPushButton>("cmdRefresh").click();
    window.close();

    // The display settings change while the viewer is closed.
    CurveGraph& look = bench.station.ui.graphs[0];
    look.setCurveLineColor(0, 0x00FF00);
    look.setCurveLineColor(1, 0x00FFFF);
    look.setBackColor(0x202020);
    look.setGridType1(1);
    window.show();
    const CurveGraph& g = window.viewer().graph();
    EXPECT_EQ(g.CurveLineColor(0), 0x00FF00);
    EXPECT_EQ(g.CurveLineColor(3), 0x00FFFF);  // the step current takes the current's colour too
    EXPECT_EQ(g.BackColor(), 0x202020);
    EXPECT_EQ(g.GridType1(), 1);
    EXPECT_EQ(g.DpCnt(0), 0);
    EXPECT_EQ(g.title().caption, "");
    EXPECT_EQ(child<TextGridWidget>("gridResult").model()->index(0, 2).data().toString(), "");
    EXPECT_EQ(child<TextGridWidget>("gridStep").model()->index(0, 1).data().toString(), "");
    EXPECT_TRUE(child<QRadioButton>("optView0").isChecked());
    EXPECT_FALSE(child<QAction>("menuSaveStep").isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdRefresh").isEnabled());
}

TEST_F(ViewerWindowTest, ClosingOrQuittingDuringALargeLoadReturnsWithinASecond)
{
    // Six million records after the recorded ones: reading them all takes seconds.
    const std::string base = bench.home.path() + "/large";
    restDischargeCharge().save(base);
    {
        std::ofstream dat(base + ".dat", std::ios::binary | std::ios::app);
        std::string chunk;
        for (int s = 9; s < 6'000'000; ++s) {
            chunk += std::to_string(s) + "\t0.500\t3.700\r\n";
            if (chunk.size() > (1u << 20)) {
                dat << chunk;
                chunk.clear();
            }
        }
        dat << chunk;
    }
    const QString path = QString::fromStdString(base + ".dat");
    const auto millisecondsOf = [](auto&& act) {
        QElapsedTimer timer;
        timer.start();
        act();
        return timer.elapsed();
    };

    // Closing the viewer abandons the load; it opens again empty and ready.
    ASSERT_TRUE(window.openFile(path));
    EXPECT_LT(millisecondsOf([&] { window.close(); }), 1000);
    EXPECT_FALSE(window.isLoading());
    window.show();
    EXPECT_TRUE(child<QAction>("menuOpen").isEnabled());
    EXPECT_EQ(window.viewer().graph().DpCnt(0), 0);

    // Quitting takes the viewer down with the main window while its load runs.
    auto* quitting = new DataViewerWindow(bench.station);
    quitting->show();
    ASSERT_TRUE(quitting->openFile(path));
    EXPECT_LT(millisecondsOf([&] { delete quitting; }), 1000);
}

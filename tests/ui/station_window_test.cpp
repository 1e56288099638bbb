#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "platform/file_chooser.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "run/backup_files.h"
#include "support/selected_tiles.h"
#include "support/window_fixture.h"
#include "ui/detail_page.h"
#include "ui/dialog_driver.h"
#include "ui/mach_widget.h"
#include "ui/overview_page.h"
#include "ui/report_dialog.h"
#include "ui/screening_dialog.h"
#include "ui/station_window.h"

using namespace klv;

namespace {

// The station window over a simulated bench in virtual time: two units, the second with
// channels 1..4 only.
struct StationWindowTest : WindowFixture {
    StationWindowTest()
    {
        bus.addUnit(0, 20);
        bus.addUnit(1, 22, {1, 1, 1, 1, 0, 0, 0, 0});
        makeWindow();
    }

    BatteryWidget* tile(int d, int n) { return window->overview()->mach(d)->tile(n); }

    void press(int d, int n, Qt::MouseButton button)
    {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(30, 30), QPointF(30, 30), button, button, Qt::NoModifier);
        QApplication::sendEvent(tile(d, n), &event);
    }
    void moveOver(int d, int n)
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(30, 30), QPointF(30, 30), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(tile(d, n), &event);
    }
    void key(QEvent::Type type)
    {
        QKeyEvent event(type, Qt::Key_Shift, Qt::ShiftModifier);
        QApplication::sendEvent(window.get(), &event);
    }
    std::vector<std::string> selected() const { return selectedTileNames(station); }
    // A key pressed and let go where the keyboard focus is.
    void typeKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* at = QApplication::focusWidget();
        ASSERT_TRUE(at);
        QKeyEvent down(QEvent::KeyPress, key, modifiers), up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(at, &down);
        QApplication::sendEvent(at, &up);
    }
    std::string focused() const
    {
        const QWidget* at = QApplication::focusWidget();
        return at ? at->accessibleName().toStdString() : "";
    }
    std::vector<std::string> enabledControlItems() const
    {
        std::vector<std::string> names;
        for (QAction* action : window->menus().control->actions())
            if (!action->isSeparator() && action->isEnabled())
                names.push_back(action->objectName().toStdString());
        return names;
    }
};

TEST_F(StationWindowTest, StartsWithoutConfigurationFileAndNamesItsControls)
{
    const auto ini = readLines(home.path() + "/klv.ini");
    ASSERT_TRUE(ini);
    EXPECT_EQ(*ini, std::vector<std::string>{";--------KLV Config File----------"});
    EXPECT_TRUE(std::filesystem::is_directory(home.path() + "/Data"));
    EXPECT_EQ(window->windowTitle().toStdString(), "[Cellward] 多通道电池测试系统 V1.0.0");
    EXPECT_EQ(station.ui.shpVol, 16744448);
    EXPECT_EQ(station.ui.shpCap, 4210752);
    for (const char* name : {"Mach0", "Mach5", "gridView", "lstDev", "treeDev", "lstLog", "gridRun", "gridList",
                             "CurveGraph5", "lblTime", "shpPwr"}) {
        auto* widget = window->findChild<QWidget*>(QLatin1String(name));
        ASSERT_TRUE(widget) << name;
        EXPECT_EQ(widget->accessibleName(), QLatin1String(name));
    }
    EXPECT_EQ(window->menus().menuConn->text().toStdString(), "连接设备");
    EXPECT_FALSE(window->overview()->cmdCap()->isEnabled());

    ASSERT_TRUE(connectWindow());
    EXPECT_EQ(window->menus().menuConn->text().toStdString(), "断开设备");
    EXPECT_TRUE(window->overview()->cmdData()->isEnabled());
    EXPECT_EQ(tile(1, 2)->accessibleName().toStdString(), "2-3");
    EXPECT_TRUE(tile(1, 3)->isEnabled());
    EXPECT_FALSE(tile(1, 4)->isEnabled());
    EXPECT_EQ(IniFile(home.path() + "/klv.ini").read("COMM", "PORT1", ""), "1");
}

TEST_F(StationWindowTest, RightPressOpensTheControlMenuOnlyWhenConnected)
{
    // Not connected: the tile is selected, no menu opens.
    station.ui.panels[0].Conn[2] = true;
    station.ui.panels[0].tiles[2].Enable = true;
    window->refreshView();
    press(0, 2, Qt::RightButton);
    EXPECT_EQ(selected(), std::vector<std::string>{"1-3"});
    EXPECT_FALSE(window->menus().control->isVisible());

    ASSERT_TRUE(connectWindow());
    station.run.slots[slotOf(1, 1)].busy = true;
    press(1, 1, Qt::RightButton);
    EXPECT_EQ(selected(), std::vector<std::string>{"2-2"});
    EXPECT_TRUE(window->menus().control->isVisible());
    EXPECT_EQ(enabledControlItems(), (std::vector<std::string>{"menuChnStop", "menuStop", "menuAdj"}));
    EXPECT_EQ(station.ui.currentDevice, 1);
    EXPECT_EQ(station.ui.selectedChannel, 1);
    window->menus().control->hide();

    // An idle channel without a program: saving it and the editor, nothing to start, and the
    // device, whose first channel has no program either, cannot be saved as a whole.
    press(0, 5, Qt::RightButton);
    EXPECT_EQ(enabledControlItems(), (std::vector<std::string>{"menuSet", "menuSaveChnData", "menuAdj"}));

    // The items open their dialogs; while one calibration is open, no second one is offered.
    window->menus().control->hide();
    window->menus().menuSet->trigger();
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("frmSet"))->isVisible());
    window->menus().menuAdj->trigger();
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("frmAdj"))->isVisible());
    press(0, 5, Qt::RightButton);
    EXPECT_FALSE(window->menus().menuAdj->isEnabled());
}

TEST_F(StationWindowTest, RangeDragSelectsTowardsHigherDevicesAndChannelsOnly)
{
    ASSERT_TRUE(connectWindow());
    window->show();
    press(0, 2, Qt::LeftButton);  // arms the drag at 1-3
    key(QEvent::KeyPress);
    moveOver(1, 3);  // device 2 has four channels: its tiles 5..8 take no input
    EXPECT_EQ(selected(), (std::vector<std::string>{"1-3", "1-4", "2-3", "2-4"}));
    moveOver(0, 1);
    EXPECT_TRUE(selected().empty());
    key(QEvent::KeyRelease);
    moveOver(1, 3);
    EXPECT_TRUE(selected().empty());
}

TEST_F(StationWindowTest, ClosingIsRefusedWhileEveryConnectedDeviceAnswers)
{
    messages.answer = MsgResult::Cancel;
    window->show();
    EXPECT_FALSE(window->close());
    EXPECT_EQ(messages.shown.back().text, "关闭软件？");

    messages.answer = MsgResult::Ok;
    ASSERT_TRUE(connectWindow());
    messages.shown.clear();
    EXPECT_FALSE(window->close());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "请先断开设备连接！");

    station.link.devices[1].offline = true;
    EXPECT_TRUE(window->close());
}

TEST_F(StationWindowTest, MinimizingTwiceAddsOneNotificationIcon)
{
    window->setTrayAvailable(true);
    window->show();
    for (int i = 0; i < 2; ++i) {
        window->setWindowState(Qt::WindowMinimized);
        QApplication::processEvents();
    }
    EXPECT_TRUE(window->inTray());
    EXPECT_EQ(window->findChildren<QSystemTrayIcon*>().size(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StationWindowTest, LegendColourIsKeptAndShownOnEveryPresentTile)
{
    ASSERT_TRUE(connectWindow());
    setColourChooserHandler([] { return 0x0000FF; });
    window->findChild<QToolButton*>(QStringLiteral("lblCap"))->click();
    setColourChooserHandler(nullptr);
    EXPECT_EQ(IniFile(home.path() + "/klv.ini").read("DISP", "CAPCOL", ""), "255");
    EXPECT_EQ(station.ui.panels[1].tiles[3].CapColor, 255);
    EXPECT_EQ(station.ui.panels[0].tiles[7].CapColor, 255);
    EXPECT_NE(station.ui.panels[1].tiles[4].CapColor, 255);  // no channel there
}

// While a scan waits for an answer the operator searches the ports and asks to connect again:
// the search runs on a port of its own and the second connect is refused, so the scan keeps
// its port and finds its units.
TEST_F(StationWindowTest, PortSearchAndASecondConnectDuringAScanLeaveTheScanAlone)
{
    window->menus().menuConn->trigger();  // the port dialog, where the search is
    auto* search = window->findChild<QPushButton*>(QStringLiteral("comSearch"));
    ASSERT_TRUE(search);
    bool interrupted = false, secondAnswered = false;
    pump.onStep = [&] {
        if (interrupted)
            return;
        interrupted = true;
        search->click();
        window->connectTo(1, 1, 6, [&secondAnswered](bool) { secondAnswered = true; });
    };
    const bool connected = connectWindow();
    pump.onStep = nullptr;
    ASSERT_TRUE(interrupted);
    EXPECT_TRUE(connected);
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(secondAnswered);
    EXPECT_EQ(station.ui.lstDev.size(), 2u);
}

// The frame a tile paints: teal selected, grey enabled, light grey disabled, even while selected.
TEST_F(StationWindowTest, TileFramePaintsSelectionAndEnabling)
{
    ASSERT_TRUE(connectWindow());
    TileState& t = station.ui.panels[0].tiles[0];
    const struct {
        bool enable, sel;
        QRgb frame;
    } cases[] = {{true, true, qRgb(0, 0xC0, 0xC0)},
                 {true, false, qRgb(0xA8, 0xA8, 0xA8)},
                 {false, false, qRgb(0xD0, 0xD0, 0xD0)},
                 {false, true, qRgb(0xD0, 0xD0, 0xD0)}};
    for (const auto& c : cases) {
        t.Enable = c.enable;
        t.sel = c.sel;
        window->refreshView();
        const QImage picture = tile(0, 0)->grab().toImage();
        EXPECT_EQ(picture.pixel(45, 1), c.frame) << c.enable << c.sel;
    }
}

}  // namespace

namespace {

// A configuration file someone mangled: the defaults stand in for what cannot be read, and
// the file keeps every line it had.
TEST_F(StationWindowTest, GarbledConfigurationFileFallsBackToDefaults)
{
    const std::vector<std::string> garbage{
        "[DISP", "VOLCOL=blue", "[DISP]", "CURCOL=", "\x01\x02=\x7f", "[DATA]", "LINE=-x"};
    ASSERT_TRUE(writeLines(home.path() + "/klv.ini", garbage));
    StationWindow again(station, link, searchPort);
    EXPECT_EQ(station.ui.shpVol, 16744448);
    EXPECT_EQ(station.ui.shpCur, 8421631);
    EXPECT_EQ(station.ui.graphs[0].Line(), 2);
    EXPECT_EQ(readLines(home.path() + "/klv.ini").value_or(std::vector<std::string>{}), garbage);
}

// No mouse: Tab reaches the tiles, the arrows, Home and End move over the channels that
// exist, Shift with them draws a range as the drag does, Enter shows the channel, Esc returns.
TEST_F(StationWindowTest, KeysMoveTheFocusOverPresentTilesAndSelect)
{
    ASSERT_TRUE(connectWindow());
    window->show();
    QApplication::setActiveWindow(window.get());
    for (int i = 0; i < 20 && focused() != "1-1"; ++i)
        typeKey(Qt::Key_Tab);
    ASSERT_EQ(focused(), "1-1");
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* focus;
        std::vector<std::string> selected;
    } steps[] = {
        {Qt::Key_End, Qt::NoModifier, "2-4", {}},    // device 2 has channels 1..4
        {Qt::Key_Right, Qt::NoModifier, "2-4", {}},  // nothing beyond
        {Qt::Key_Up, Qt::NoModifier, "1-4", {}},
        {Qt::Key_Space, Qt::NoModifier, "1-4", {"1-4"}},
        {Qt::Key_Right, Qt::ShiftModifier, "1-5", {"1-4", "1-5"}},
        {Qt::Key_Down, Qt::ShiftModifier, "2-4", {"1-4", "2-4"}},  // 2-4 is nearest to 1-5; 2-5 is absent
        {Qt::Key_Home, Qt::NoModifier, "1-1", {"1-4", "2-4"}},
        {Qt::Key_Down, Qt::NoModifier, "2-1", {"1-4", "2-4"}},
        {Qt::Key_Space, Qt::NoModifier, "2-1", {"2-1"}},
        {Qt::Key_Up, Qt::ShiftModifier, "1-1", {}},  // towards a lower device
    };
    for (const auto& step : steps) {
        typeKey(step.key, step.modifiers);
        EXPECT_EQ(focused(), step.focus) << step.key;
        EXPECT_EQ(selected(), step.selected) << step.key;
    }

    typeKey(Qt::Key_Return);
    EXPECT_TRUE(window->detail()->isVisible());
    EXPECT_EQ(selected(), std::vector<std::string>{"1-1"});
    auto* escape = window->detail()->findChild<QShortcut*>();
    ASSERT_TRUE(escape);
    ASSERT_EQ(escape->key(), QKeySequence(Qt::Key_Escape));
    Q_EMIT escape->activated();
    EXPECT_TRUE(window->overview()->isVisible());
    EXPECT_EQ(focused(), "1-1");
}

// The menu key and Shift+F10 open the control menu with the items a right click on the same
// tile enables, from the same selection.
TEST_F(StationWindowTest, MenuKeyEnablesWhatTheRightClickEnables)
{
    ASSERT_TRUE(connectWindow());
    window->show();
    QApplication::setActiveWindow(window.get());
    station.run.slots[slotOf(0, 0)].busy = true;
    station.program.stepCount[slotOf(1, 0)] = 1;
    ASSERT_TRUE(writeLines(backupBaseName(station, slotOf(1, 1)) + ".bk0", {"0"}));
    const auto clearSelection = [this] {
        for (PanelState& panel : station.ui.panels)
            for (TileState& t : panel.tiles)
                t.sel = false;
    };
    const struct {
        TilePlace at;
        int key;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::string> items;
    } cases[] = {
        {{0, 0}, Qt::Key_Menu, Qt::NoModifier, {"menuChnStop", "menuStop", "menuAdj"}},                       // running
        {{1, 0}, Qt::Key_F10, Qt::ShiftModifier, {"menuSet", "menuChnStart", "menuSaveChnData", "menuAdj"}},  // program
        {{1, 1}, Qt::Key_Menu, Qt::NoModifier, {"menuSet", "menuChnCont", "menuSaveChnData", "menuAdj"}},     // backup
    };
    for (const auto& c : cases) {
        clearSelection();
        press(c.at.device, c.at.channel, Qt::RightButton);
        const std::vector<std::string> byMouse = enabledControlItems();
        window->menus().control->hide();
        clearSelection();
        window->overview()->focusTile(c.at);
        typeKey(c.key, c.modifiers);
        EXPECT_TRUE(window->menus().control->isVisible());
        EXPECT_EQ(enabledControlItems(), byMouse);
        EXPECT_EQ(enabledControlItems(), c.items);
        ASSERT_TRUE(window->menus().control->activeAction());
        EXPECT_EQ(window->menus().control->activeAction()->objectName().toStdString(), c.items.front());
        window->menus().control->hide();
    }

    // Several selected, one of them running: by the drag and a right click, then by the keys.
    clearSelection();
    press(0, 0, Qt::LeftButton);
    key(QEvent::KeyPress);
    moveOver(0, 2);
    key(QEvent::KeyRelease);
    press(0, 2, Qt::RightButton);
    const std::vector<std::string> byMouse = enabledControlItems();
    window->menus().control->hide();
    clearSelection();
    window->overview()->focusTile({0, 0});
    for (int k : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Right, Qt::Key_Menu})
        typeKey(k, k == Qt::Key_Right ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(selected(), (std::vector<std::string>{"1-1", "1-2", "1-3"}));
    EXPECT_EQ(enabledControlItems(), byMouse);
    EXPECT_EQ(enabledControlItems(), std::vector<std::string>{"menuSelStop"});
}

}  // namespace

TEST_F(StationWindowTest, ReportAndScreeningOpenOnceAndASecondPressBringsTheOpenOneForward)
{
    ASSERT_TRUE(connectWindow());
    for (QPushButton* button : {window->overview()->cmdData(), window->overview()->cmdCap()}) {
        button->click();
        button->click();
    }
    ASSERT_EQ(window->findChildren<ReportDialog*>().size(), 1);
    ASSERT_EQ(window->findChildren<ScreeningDialog*>().size(), 1);
    QPointer<ReportDialog> report = window->findChild<ReportDialog*>();
    EXPECT_TRUE(report->isVisible());

    // Once closed (from the event loop, as the operator's click arrives) it is gone, and the
    // next press opens a fresh one.
    QTimer::singleShot(0, report, &QWidget::close);
    ASSERT_TRUE(dialog_driver::runUntil([&] { return report.isNull(); }));
    window->overview()->cmdData()->click();
    ASSERT_EQ(window->findChildren<ReportDialog*>().size(), 1);
    EXPECT_TRUE(window->findChild<ReportDialog*>()->isVisible());
}

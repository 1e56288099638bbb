#include "ui/calibration_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>

#include "link/poll_cycle.h"
#include "support/bench_fixture.h"
#include "ui/dialog_driver.h"

using namespace dialog_driver;

namespace klv {
namespace {

// TAL-M1 (0.1..20 V, 0.01..5 A) at index 0, TAL-M3 (0..4.5 V, 0.001..1 A) at index 1,
// TAL-M10 (0.1..120 V) at index 2; the dialog calibrates the selected channel.
struct CalibrationDialogTest : BenchFixture {
    CalibrationDialogTest()
    {
        bus.addUnit(0, 18);
        bus.addUnit(1, 20);
        bus.addUnit(2, 31);
        EXPECT_EQ(connect(), ConnectResult::Connected);
        port.afterWrite = [this](const Bytes& request) { written.push_back(request); };
        for (auto& panel : station.ui.panels)
            panel.Conn.fill(true);
        target(1, 2);
    }
    void target(int d, int n)
    {
        station.ui.currentDevice = d;
        station.ui.selectedChannel = n;
    }
    SlotLink& slot() { return station.link.slots[slotOf(station.ui.currentDevice, station.ui.selectedChannel)]; }
    // Types a value for a point and presses its button; the messages it showed.
    std::vector<std::string> calibrate(const char* point, const std::string& value)
    {
        messages.shown.clear();
        type(child<QLineEdit>(dialog, (std::string("txt") + point).c_str()), value);
        child<QPushButton>(dialog, (std::string("cmd") + point).c_str())->click();
        std::vector<std::string> texts;
        for (const auto& m : messages.shown)
            texts.push_back(m.text);
        return texts;
    }
    QPushButton* cmdOK() { return child<QPushButton>(dialog, "cmdOK"); }

    std::vector<Bytes> written;
    CalibrationDialog dialog{station};
};

using Messages = std::vector<std::string>;

TEST_F(CalibrationDialogTest, PointsAreCheckedAgainstTheLiveReadingAndSentOnTheWire)
{
    std::vector<bool> openStates;
    QObject::connect(&dialog, &CalibrationDialog::openChanged, [&](bool open) { openStates.push_back(open); });
    ASSERT_TRUE(dialog.openForSelection());
    EXPECT_TRUE(dialog.isOpen());
    EXPECT_FALSE(dialog.openForSelection()) << "the dialog-open flag refuses a second open";
    EXPECT_EQ(dialog.windowTitle().toStdString(), "基准校准--设备2 通道3");
    EXPECT_EQ(text(child<QLineEdit>(dialog, "txtCL")), "0.0000") << "TAL-M3 currents in tenths of a milliamp";
    EXPECT_FALSE(cmdOK()->isEnabled());

    // A reading of 4.000 V accepts 3.600 to 4.400 V, edges included.
    slot().voltage = 4.0f;
    const Messages refused{"高电压设置超出范围"};
    EXPECT_EQ(calibrate("VH", "3.599"), refused);
    EXPECT_EQ(calibrate("VH", "4.401"), refused);
    EXPECT_EQ(calibrate("VH", "x"), Messages{"设置数据有误！"});
    EXPECT_EQ(slot().command, kQueueNothing);
    EXPECT_FALSE(cmdOK()->isEnabled());
    EXPECT_EQ(calibrate("VH", "3.600"), Messages{});
    EXPECT_EQ(slot().calibrationValue, 3600);
    EXPECT_EQ(calibrate("VH", "4.400"), Messages{});
    EXPECT_EQ(slot().calibrationItem, 1);
    EXPECT_EQ(slot().calibrationValue, 4400);
    EXPECT_EQ(slot().command, kQueueCalibration);
    EXPECT_TRUE(cmdOK()->isEnabled());

    // The last write before the frame wins: VL 2.5 V goes out as 77 00 0A 64.
    slot().voltage = 2.5f;
    EXPECT_EQ(calibrate("VL", "2.5"), Messages{});
    pollTick(station);
    const Bytes entry{0x77, 0x00, 0x0A, 0x64};
    const auto carries = [&](const Bytes& frame) {
        return std::search(frame.begin(), frame.end(), entry.begin(), entry.end()) != frame.end();
    };
    EXPECT_EQ(std::count_if(written.begin(), written.end(), carries), 1);
    auto& writes = bus.unit(1)->channel(2).calibrationWrites;
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], (sim::CalibrationWrite{0, 2500}));

    // The commit sends item 4, value 0, and cmdOK waits for the next accepted point.
    cmdOK()->click();
    EXPECT_FALSE(cmdOK()->isEnabled());
    EXPECT_EQ(slot().calibrationItem, 4);
    EXPECT_EQ(slot().calibrationValue, 0);
    pollTick(station);
    pollTick(station);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1], (sim::CalibrationWrite{4, 0}));
    slot().current = 0.5f;
    EXPECT_EQ(calibrate("CL", "0.6"), Messages{"小电流设置超出范围"});
    EXPECT_FALSE(cmdOK()->isEnabled());
    EXPECT_EQ(calibrate("CL", "0.5"), Messages{});
    EXPECT_TRUE(cmdOK()->isEnabled());
    EXPECT_EQ(slot().calibrationValue, 5000);

    dialog.reject();  // "返回" and Esc
    EXPECT_FALSE(dialog.isOpen());
    EXPECT_EQ(openStates, (std::vector<bool>{true, false}));
    station.ui.panels[0].Conn[4] = false;
    target(0, 4);
    EXPECT_FALSE(dialog.openForSelection()) << "a channel that does not exist";
}

TEST_F(CalibrationDialogTest, FieldsFollowTheDeviceAndItsStrictVoltageBounds)
{
    dialog.show();
    struct Case {
        int device;
        const char* field;
        std::string typed, message, after;
    };
    const Case cases[] = {
        {0, "txtVL", "0.1", "低电压设置超出范围", "0.1"},  // the bounds themselves are outside
        {0, "txtVL", "20", "低电压设置超出范围", "20"},
        {0, "txtVL", "0.101", "", "0.101"},
        {0, "txtCH", "5", "", "5.000"},  // reading scale 1000: "0.000"
        {0, "txtCH", "5.01", "大电流设置超出范围", "5.01"},
        {1, "txtCL", "0.0005", "小电流设置超出范围", "0.0005"},
        {1, "txtCL", "0.25", "", "0.2500"},
        {2, "txtCL", "1", "", "01.00"},  // TAL-M10: reading scale 100, "00.00"
        {2, "txtVH", "abc", "设置数据有误！", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        target(c.device, 0);
        messages.shown.clear();
        auto* field = child<QLineEdit>(dialog, c.field);
        type(field, c.typed);
        leave(field);
        ASSERT_EQ(messages.shown.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(messages.shown[0].text, c.message);
        }
        EXPECT_EQ(text(field), c.after);
    }
    // A TAL-M1 channel reading 0.1 V takes 0.101 in the plausibility window.
    target(0, 0);
    slot().voltage = 0.1f;
    EXPECT_EQ(calibrate("VL", "0.101"), Messages{});
    EXPECT_EQ(slot().calibrationValue, 101);
    // 100 V is 100000 mV: more than a pair carries, so refused rather than silently dropped.
    target(2, 0);
    slot().voltage = 100.0f;
    EXPECT_EQ(calibrate("VH", "100"), Messages{"高电压设置超出范围"});
    EXPECT_EQ(slot().command, kQueueNothing);
    EXPECT_EQ(calibrate("VH", "50"), Messages{"高电压设置超出范围"}) << "outside the reading's window";
    slot().voltage = 50.0f;
    EXPECT_EQ(calibrate("VH", "50"), Messages{});
    EXPECT_EQ(slot().calibrationValue, 50000);

    // The caption and the current format follow the tile chosen while the dialog is open.
    target(1, 7);
    dialog.activateWindow();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "基准校准--设备2 通道8");
    EXPECT_EQ(text(child<QLineEdit>(dialog, "txtCL")), "1.0000");
}

}  // namespace
}  // namespace klv

namespace klv {
namespace {

// Each field is read by the point it calibrates, and each point button has an Alt key of
// its own.
TEST_F(CalibrationDialogTest, FieldsAreNamedByTheirPointsAndButtonsHaveDistinctKeys)
{
    std::vector<QKeySequence> keys;
    for (const char* point : {"VL", "VH", "CL", "CH"}) {
        const std::string caption = std::string("校准") + point;
        EXPECT_EQ(child<QLineEdit>(dialog, (std::string("txt") + point).c_str())->accessibleName().toStdString(),
                  caption);
        const QPushButton* button = child<QPushButton>(dialog, (std::string("cmd") + point).c_str());
        EXPECT_EQ(button->text().remove(QLatin1Char('&')).toStdString(), caption);
        EXPECT_FALSE(button->shortcut().isEmpty()) << point;
        EXPECT_EQ(std::count(keys.begin(), keys.end(), button->shortcut()), 0) << point;
        keys.push_back(button->shortcut());
    }
}

}  // namespace
}  // namespace klv

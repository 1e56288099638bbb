#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "data/capacity_screen.h"
#include "data/data_station.h"
#include "platform/file_chooser.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "ui/capacity_query_widget.h"
#include "ui/dialog_driver.h"
#include "ui/report_dialog.h"
#include "ui/screening_dialog.h"
#include "ui/text_grid_widget.h"

using namespace klv;

namespace {

// Devices at bus addresses 2 and 4; channel 1-2 at loop pass 15 with one discharge per cycle 1..15.
struct DialogBench : DataStation {
    DialogBench()
    {
        addDevice(0, "TAL-M1", 2, 1000);
        addDevice(1, "TAL-M1", 4, 1000);
        station.ui.panels[0].Conn.fill(true);
        for (int i = 0; i < kChannelsPerDevice; ++i)
            station.run.slots[i].loopPass = 20;
        station.run.slots[1].loopPass = 15;
        growResults(1, 15);
        for (int c = 1; c <= 15; ++c)
            setResult(1, c, {std::to_string(c), "1", "恒流放", c == 5 ? "1.50" : "3.00", "0", "0:10:00"});
    }
};

QStringList entries(QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

template <typename T>
T& child(QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return *found;
}

}  // namespace

TEST(CapacityDialogsTest, ReportOffersCyclesFillsAndSavesFromItsButtons)
{
    DialogBench b;
    ReportDialog dialog(b.station);
    dialog.show();
    EXPECT_EQ(entries(child<QComboBox>(dialog, "cboDevFrom")), (QStringList{"3", "5"}));
    EXPECT_EQ(entries(child<QComboBox>(dialog, "cboCycFrom")).front(), "5");
    EXPECT_EQ(entries(child<QComboBox>(dialog, "cboCycTo")).back(), "15");
    EXPECT_EQ(child<QComboBox>(dialog, "cboCycTo").currentText(), "5");
    EXPECT_EQ(child<QComboBox>(dialog, "cboType").currentText(), QStringLiteral("放电"));

    child<QPushButton>(dialog, "cmdOK").click();
    ASSERT_TRUE(dialog_driver::runUntil([&] { return !dialog.isFilling(); }));
    auto& grid = child<TextGridWidget>(dialog, "gridReport");
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), " 1-2");
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), QStringLiteral("5-1 恒流放"));
    EXPECT_EQ(grid.model()->index(0, 2).data().toString(), "1.500");
    EXPECT_EQ(grid.model()->index(0, 3).data().toString(), "");
    EXPECT_TRUE(grid.model()->index(1, 0).data(Qt::BackgroundRole).isValid());   // row 2 shaded
    EXPECT_FALSE(grid.model()->index(0, 0).data(Qt::BackgroundRole).isValid());  // row 1 not

    // Choosing the second device alone offers that device's cycles: nothing connected there.
    auto& from = child<QComboBox>(dialog, "cboDevFrom");
    from.setCurrentIndex(1);
    Q_EMIT from.activated(1);
    EXPECT_EQ(entries(child<QComboBox>(dialog, "cboCycFrom")), QStringList{"1"});

    std::string answer = b.home.path() + "/report.CSV";
    setFileChooserHandler([&](const FileRequest& r) { return r.title == "保存数据" ? answer : std::string(); });
    child<QPushButton>(dialog, "cmdSave").click();
    EXPECT_EQ(readLines(answer + ".csv").value_or(std::vector<std::string>{}).size(), 49u);
    child<QPushButton>(dialog, "cmdClear").click();
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), "");
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("容量(Ah)"));
    setFileChooserHandler({});
}

TEST(CapacityDialogsTest, ScreeningChecksItsBoundsColoursTilesAndCloses)
{
    DialogBench b;
    b.station.ui.panels[0].Conn[3] = false;
    b.growResults(slotOf(0, 3), 1);
    b.setResult(slotOf(0, 3), 1, {"5", "1", "恒流放", "1.50", "0", "0:10:00"});
    std::vector<std::string> messages;
    setMessageHandler([&](const std::string& text, MsgIcon icon, MsgButtons) {
        messages.push_back(text + (icon == MsgIcon::Error ? " (error)" : ""));
        return MsgResult::Ok;
    });
    ScreeningDialog dialog(b.station);
    dialog.show();
    EXPECT_EQ(child<QComboBox>(dialog, "cboCycFrom").currentText(), "5");

    QLineEdit& minimum = child<QLineEdit>(dialog, "txtMin");
    QLineEdit& maximum = child<QLineEdit>(dialog, "txtMax");
    EXPECT_EQ(minimum.text(), "01.00");
    EXPECT_EQ(maximum.text(), "02.00");
    minimum.setText("abc");
    Q_EMIT minimum.editingFinished();
    EXPECT_EQ(minimum.text(), "01.00");
    EXPECT_EQ(messages, std::vector<std::string>{"设置数据有误！ (error)"});
    minimum.setText("1.5");
    Q_EMIT minimum.editingFinished();
    EXPECT_EQ(minimum.text(), "01.50");  // exactly the capacity of cycle 5: passes

    int recoloured = 0;
    QObject::connect(&dialog, &ScreeningDialog::tilesRecoloured, [&] { ++recoloured; });
    child<QPushButton>(dialog, "cmdOK").click();
    ASSERT_TRUE(dialog_driver::runUntil([&] { return recoloured > 0; }));
    EXPECT_EQ(recoloured, 1);
    EXPECT_FALSE(dialog.isVisible());
    const auto colour = [&](int channel) { return b.station.ui.panels[0].tiles[channel].ChnColor; };
    EXPECT_EQ(colour(1), kScreenPass);
    EXPECT_EQ(colour(3), kScreenFail);  // disconnected, though its table holds a passing row
    EXPECT_EQ(colour(0), kScreenFail);  // no rows
    setMessageHandler({});
}

TEST(CapacityDialogsTest, ClosingTheReportOrTheScreeningWhileItFillsIsSafe)
{
    // Twelve connected channels with long results tables: the fill is still running when the
    // close the operator asked for comes round.
    DialogBench b;
    b.station.ui.panels[1].Conn.fill(true);
    for (int slot = 0; slot < 2 * kChannelsPerDevice; ++slot) {
        b.growResults(slot, 20000);
        for (int r = 1; r <= 20000; ++r)
            b.setResult(slot, r, {"5", std::to_string(r), "恒流放", "1.50", "0", "0:10:00"});
    }
    for (const bool report : {true, false}) {
        SCOPED_TRACE(report ? "report" : "screening");
        b.station.ui.panels[0].tiles[0].ChnColor = 0x123456;
        QPointer<QDialog> dialog;
        if (report)
            dialog = new ReportDialog(b.station);
        else
            dialog = new ScreeningDialog(b.station);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        QTimer::singleShot(0, dialog, &QWidget::close);
        child<QPushButton>(*dialog, "cmdOK").click();
        EXPECT_TRUE(dialog_driver::runUntil([&] { return dialog.isNull(); }));
        // An abandoned screening paints nothing.
        EXPECT_EQ(b.station.ui.panels[0].tiles[0].ChnColor, 0x123456);
    }
}

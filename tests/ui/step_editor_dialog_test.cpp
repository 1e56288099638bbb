#include "ui/step_editor_dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <deque>
#include <fstream>
#include <random>

#include "platform/file_chooser.h"
#include "platform/text_file.h"
#include "program/step_file.h"
#include "program/step_tables.h"
#include "run/channel_fixture.h"
#include "ui/dialog_driver.h"
#include "ui/step_chooser_dialog.h"

using namespace dialog_driver;

namespace klv {
namespace {

// A TAL-M3 (currents "0.000", 0.001..1 A, 0..4.5 V) at index 0 and a TAL-M8 (currents
// "00.00", 0.1..40 A) at index 1; the editor opens for the selected channel 1-3.
struct StepEditorDialogTest : ChannelFixture {
    StepEditorDialogTest()
    {
        bus.addUnit(0, 20);
        bus.addUnit(1, 28);
        EXPECT_EQ(connect(), ConnectResult::Connected);
        selectChannel(0, 2);
        setFileChooserHandler([this](const FileRequest& r) {
            requests.push_back(r);
            if (answers.empty())
                return std::string();
            std::string path = answers.front();
            answers.pop_front();
            return path;
        });
    }
    ~StepEditorDialogTest() override { setFileChooserHandler(nullptr); }

    void selectChannel(int d, int n)
    {
        for (auto& panel : station.ui.panels)
            for (auto& tile : panel.tiles)
                tile.sel = false;
        station.ui.currentDevice = d;
        station.ui.panels[d].tiles[n].sel = true;
    }

    void click(const char* name) { child<QPushButton>(dialog, name)->click(); }
    QComboBox* combo(const char* name) { return child<QComboBox>(dialog, name); }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(dialog, name); }
    // Row r (1..10) of gridSet as shown, columns 1..5.
    std::vector<std::string> shownRow(int r)
    {
        auto* grid = child<QTableWidget>(dialog, "gridSet");
        std::vector<std::string> cells;
        for (int c = 1; c <= 5; ++c)
            cells.push_back(grid->item(r - 1, c)->text().toStdString());
        return cells;
    }
    std::vector<std::vector<std::string>> shownRows()
    {
        std::vector<std::vector<std::string>> rows;
        for (int r = 1; r <= kStepRows; ++r)
            rows.push_back(shownRow(r));
        return rows;
    }
    std::vector<std::string> lastMessages()
    {
        std::vector<std::string> texts;
        for (const auto& m : messages.shown)
            texts.push_back(m.text);
        messages.shown.clear();
        return texts;
    }

    std::deque<std::string> answers;  // what the file chooser answers, in turn
    std::vector<FileRequest> requests;
    StepEditorDialog dialog{station};
};

const std::vector<std::string> kEmptyRow{"", "", "", "", ""};

TEST_F(StepEditorDialogTest, StepFilesOpenOnlyByLowerCaseNameAndListTheStepAfterTheLast)
{
    const TextGrid four = test::stepTable({{"恒流放", "0.500", "03.00", "0.000", "0"},
                                           {"搁置", "0.000", "00.00", "0.000", "5"},
                                           {"恒压充", "0.500", "04.20", "0.050", "0"},
                                           {"循环", "0.000", "00.00", "0.000", "3"}});
    const std::string path = home.path() + "/four.stp";
    ASSERT_TRUE(writeStepFile(path, four));
    ASSERT_TRUE(writeStepFile(home.path() + "/four.STP", four));

    dialog.show();
    answers = {home.path() + "/four.STP"};
    click("cmdOpen");
    EXPECT_EQ(shownRow(1), kEmptyRow) << "a name ending in STP is not read";
    EXPECT_EQ(entries(combo("cmbFlow")), std::vector<std::string>{"工步1"});

    answers = {path};
    click("cmdOpen");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].title, "打开设置");
    EXPECT_EQ(requests[1].filter, "step file(*.stp)|*.stp");
    EXPECT_FALSE(requests[1].save);
    EXPECT_EQ(shownRow(4), (std::vector<std::string>{"循环", "0.000", "00.00", "0.000", "3"}));
    EXPECT_EQ(entries(combo("cmbFlow")), (std::vector<std::string>{"工步1", "工步2", "工步3", "工步4", "工步5"}));
    EXPECT_EQ(shown(combo("cmbFlow")), "工步1");
    EXPECT_EQ(entries(combo("cmbStep")), std::vector<std::string>{"1"});

    // Without choosing a step, the next commit writes the row after the last one read.
    type(edit("txtSet"), "0.2");
    leave(edit("txtSet"));
    click("cmdSet");
    EXPECT_TRUE(lastMessages().empty());
    EXPECT_EQ(shownRow(5), (std::vector<std::string>{"恒流放", "0.200", "01.00", "0.000", "0"}));
    EXPECT_EQ(shownRow(1)[0], "恒流放") << "row 1 untouched";

    // Saving: ".stp" is added to a bare name, a name ending in stp is kept, and the file
    // holds the banner and five lines per step up to the first empty row.
    answers = {home.path() + "/saved", home.path() + "/mystp"};
    click("cmdSave");
    click("cmdSave");
    EXPECT_EQ(requests.back().title, "保存设置");
    EXPECT_TRUE(requests.back().save);
    EXPECT_TRUE(fileExists(home.path() + "/saved.stp"));
    EXPECT_FALSE(fileExists(home.path() + "/saved"));
    EXPECT_TRUE(fileExists(home.path() + "/mystp"));
    EXPECT_FALSE(fileExists(home.path() + "/mystp.stp"));
    const auto lines = readLines(home.path() + "/saved.stp");
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 1u + 5 * 5);
    EXPECT_EQ(lines->back(), "055:0");
    const StepFileLoad back = loadStepFile(home.path() + "/saved.stp");
    ASSERT_TRUE(back.ok()) << back.fault;
    EXPECT_EQ(back.table.cells, dialog.editor().table().cells);
}

TEST_F(StepEditorDialogTest, CommitsOpenStepsUpToTheTenthAndEnterCommitsEscCloses)
{
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "参数设置");
    EXPECT_EQ(text(edit("txtSet")), "0.100") << "TAL-M3 currents have three decimals";
    EXPECT_FALSE(edit("txtLmtCur")->isEnabled());
    choose(combo("cmbMode"), "恒压充");
    EXPECT_EQ(text(edit("txtLmtCur")), "0.100");
    EXPECT_TRUE(edit("txtLmtCur")->isEnabled());
    choose(combo("cmbMode"), "循环");
    EXPECT_FALSE(edit("txtSet")->isEnabled());
    EXPECT_EQ(child<QLabel>(dialog, "lblTime")->text().toStdString(), "循环次数：");
    EXPECT_EQ(child<QLabel>(dialog, "lblMin")->text().toStdString(), "次");
    choose(combo("cmbMode"), "搁置");
    EXPECT_EQ(child<QLabel>(dialog, "lblMin")->text().toStdString(), "分");

    // Enter in a field commits the row: rest rows of one minute, step after step.
    for (int step = 1; step <= 9; ++step) {
        SCOPED_TRACE(step);
        press(edit("txtLmtTim"), Qt::Key_Return);
        EXPECT_EQ(shownRow(step), (std::vector<std::string>{"搁置", "0.000", "00.00", "0.000", "1"}));
        EXPECT_EQ(combo("cmbFlow")->count(), step + 1);
        EXPECT_EQ(shown(combo("cmbFlow")), "工步" + std::to_string(step + 1));
    }
    EXPECT_EQ(entries(combo("cmbStep")), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    type(edit("txtLmtTim"), "12.6");
    leave(edit("txtLmtTim"));
    click("cmdSet");
    EXPECT_EQ(shownRow(10), (std::vector<std::string>{"搁置", "0.000", "00.00", "0.000", "13"}));
    EXPECT_EQ(combo("cmbFlow")->count(), 10) << "committing step 10 adds no step";
    EXPECT_EQ(shown(combo("cmbFlow")), "工步10");

    // A rest of 0 minutes is refused and writes nothing.
    choose(combo("cmbFlow"), "工步3");
    type(edit("txtLmtTim"), "0");
    leave(edit("txtLmtTim"));
    click("cmdSet");
    EXPECT_EQ(lastMessages(), std::vector<std::string>{"时间超出范围"});
    EXPECT_EQ(shownRow(3)[4], "1");

    press(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(station.program.stepCount[2], 0) << "closing discards the edits";
    dialog.show();
    EXPECT_EQ(shownRow(1), kEmptyRow) << "a new show starts afresh";
    EXPECT_EQ(entries(combo("cmbFlow")), std::vector<std::string>{"工步1"});
}

TEST_F(StepEditorDialogTest, OpensOnTheSelectedChannelsProgramAndCopyAppendsToBothChoosers)
{
    loadProgram(2, {{"恒流放", "0.500", "03.00", "0.000", "0"}, {"搁置", "0.000", "00.00", "0.000", "5"}});
    loadProgram(slotOf(1, 1), {{"恒压充", "01.00", "04.20", "00.20", "0"},
                               {"恒流放", "02.00", "02.75", "00.00", "0"},
                               {"循环", "00.00", "00.00", "00.00", "4"}});
    dialog.show();
    EXPECT_EQ(shown(combo("cmbChn")), "3");
    EXPECT_EQ(entries(combo("cmbChn")),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "设备1", "全部"}));
    EXPECT_EQ(entries(combo("cmbFlow")), (std::vector<std::string>{"工步1", "工步2"}));
    EXPECT_EQ(entries(combo("cmbStep")), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(text(edit("txtSet")), "0.500") << "row 1 in the fields";
    EXPECT_EQ(text(edit("txtLmt")), "03.00");

    click("cmdCopy");
    auto* chooser = dialog.findChild<StepChooserDialog*>(QStringLiteral("frmStep"));
    ASSERT_NE(chooser, nullptr);
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->windowTitle().toStdString(), "工步选择");
    auto* list = child<QListWidget>(*chooser, "lstStep");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text().toStdString(), "01-3");
    EXPECT_EQ(list->item(1)->text().toStdString(), "02-2");
    EXPECT_EQ(list->currentRow(), 0);
    list->setCurrentRow(1);
    child<QPushButton>(*chooser, "cmdOK")->click();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(shownRow(2), (std::vector<std::string>{"恒流放", "02.00", "02.75", "00.00", "0"}));
    EXPECT_EQ(shownRow(3)[0], "循环");
    EXPECT_EQ(entries(combo("cmbFlow")), (std::vector<std::string>{"工步1", "工步2", "工步2", "工步3"}));
    EXPECT_EQ(entries(combo("cmbStep")), (std::vector<std::string>{"1", "2", "2", "3"}));
}

TEST_F(StepEditorDialogTest, AFailedFieldCheckPutsBackTheRowsText)
{
    loadProgram(2, {{"恒流放", "0.500", "03.00", "0.000", "0"}});
    dialog.show();
    struct Case {
        const char* field;
        std::string typed, message, after;
    };
    const Case cases[] = {
        {"txtSet", "abc", "设置数据有误！", "0.500"},
        {"txtSet", "5", "设置超出范围", "0.500"},
        {"txtSet", "0.25", "", "0.250"},
        {"txtLmt", "4.6", "设置超出范围", "03.00"},
        {"txtLmt", "4.5", "", "04.50"},
        {"txtLmtTim", "10000", "设置超出范围", "0"},
        {"txtLmtTim", "-1", "设置超出范围", "0"},
        {"txtLmtTim", "90", "", "90"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        type(edit(c.field), c.typed);
        leave(edit(c.field));
        EXPECT_EQ(lastMessages(), c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
        EXPECT_EQ(text(edit(c.field)), c.after);
    }
    choose(combo("cmbMode"), "恒压充");
    type(edit("txtLmtCur"), "x");
    leave(edit("txtLmtCur"));
    EXPECT_EQ(text(edit("txtLmtCur")), "0.000") << "row 1's end current cell";
    click("cmdClear");
    EXPECT_EQ(text(edit("txtLmtCur")), "0.000") << "clearing keeps the fields";
    EXPECT_EQ(shownRow(1), kEmptyRow);
    type(edit("txtLmt"), "x");
    leave(edit("txtLmt"));
    EXPECT_EQ(text(edit("txtLmt")), "00.00") << "an empty row falls back to the device's minimum voltage";
}

TEST_F(StepEditorDialogTest, ApplyingWhatADevicesRatingsRefuseNamesTheStepAndTheLimit)
{
    selectChannel(1, 0);
    int applied = 0;
    QObject::connect(&dialog, &StepEditorDialog::programApplied, [&] { ++applied; });
    dialog.show();
    choose(combo("cmbMode"), "恒压充");
    for (const auto& [name, value] : {std::pair{"txtSet", "5"}, {"txtLmt", "4.1"}, {"txtLmtCur", "0.5"}}) {
        type(edit(name), value);
        leave(edit(name));
    }
    click("cmdSet");
    ASSERT_TRUE(lastMessages().empty());
    ASSERT_EQ(shownRow(1), (std::vector<std::string>{"恒压充", "05.00", "04.10", "00.50", "0"}));

    // TAL-M3 at bus address 0 takes at most 1 A: "全部" is refused as a whole.
    choose(combo("cmbChn"), "全部");
    click("cmdOK");
    EXPECT_EQ(lastMessages(), std::vector<std::string>{"设备01 工步1：电流值超出范围（0.001～1 A）"});
    EXPECT_TRUE(dialog.isVisible());
    for (int s = 0; s < 16; ++s)
        EXPECT_EQ(station.program.gridRun[s].at(1, kColMode), "") << s;

    // A channel started meanwhile keeps its program.
    station.run.slots[slotOf(1, 6)].busy = true;
    choose(combo("cmbChn"), "设备2");
    click("cmdOK");
    EXPECT_EQ(lastMessages(), std::vector<std::string>{"2-7正在运行，不能设置"});
    station.run.slots[slotOf(1, 6)].busy = false;

    choose(combo("cmbChn"), "1");
    click("cmdOK");
    EXPECT_TRUE(lastMessages().empty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(applied, 1);
    const size_t slot = slotOf(1, 0);
    EXPECT_EQ(station.program.gridRun[slot].at(1, kColSetCurrent), "05.00");
    EXPECT_EQ(station.program.stepCount[slot], 1);
    EXPECT_FLOAT_EQ(station.program.upperVoltageLimit[slot], 4.3f);
    EXPECT_EQ(station.program.startStep[slot], 1);
}

TEST_F(StepEditorDialogTest, BadStepFilesAreRefusedWholeWithAClearMessage)
{
    loadProgram(2, {{"恒流放", "0.500", "03.00", "0.000", "0"}, {"搁置", "0.000", "00.00", "0.000", "5"}});
    dialog.show();
    const auto before = shownRows();
    const std::string gbkLabel = utf8ToGbk("恒流放");
    std::string noise;
    std::mt19937 random(11);
    for (int i = 0; i < 3000; ++i)
        noise += static_cast<char>(random() % 256);

    struct Case {
        const char* name;
        std::string bytes, message;
    };
    const Case cases[] = {
        {"step11.stp", "banner\r\n011:" + gbkLabel + "\r\n111:" + gbkLabel + "\r\n",
         "工步文件第3行有误：工步超出1～10"},
        {"column.stp", "banner\r\n016:1\r\n", "工步文件第2行有误：列超出1～5"},
        {"range.stp", "banner\r\n011:" + gbkLabel + "\r\n012:12000\r\n", "工步文件第3行有误：数值有误"},
        {"negative.stp", "banner\r\n013:-4.2\r\n", "工步文件第2行有误：数值有误"},
        {"label.stp", "banner\r\n011:charge\r\n", "工步文件第2行有误：数值有误"},
        {"colon.stp", "banner\r\n011=" + gbkLabel + "\r\n", "工步文件第2行有误：格式有误"},
        {"noise.stp", noise, "工步文件第"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = home.path() + "/" + c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        answers = {path};
        click("cmdOpen");
        const auto shownMessages = lastMessages();
        ASSERT_EQ(shownMessages.size(), 1u);
        EXPECT_EQ(shownMessages[0].rfind(c.message, 0), 0u) << shownMessages[0];
        EXPECT_EQ(shownRows(), before) << "the table is left as it was";
        EXPECT_EQ(entries(combo("cmbFlow")), (std::vector<std::string>{"工步1", "工步2"}));
    }
    ASSERT_TRUE(makeFolder(home.path() + "/folder.stp"));
    answers = {home.path() + "/folder.stp"};
    click("cmdOpen");
    EXPECT_EQ(lastMessages(), std::vector<std::string>{"工步文件无法读取"});
    EXPECT_EQ(shownRows(), before);

    // Any first line is a banner: a file with another maker's banner and sound records reads.
    const std::string other = home.path() + "/other.stp";
    std::ofstream(other, std::ios::binary) << "*** some other banner ***\r\n011:" + gbkLabel + "\r\n012:0.300\r\n\r\n";
    answers = {other};
    click("cmdOpen");
    EXPECT_TRUE(lastMessages().empty());
    EXPECT_EQ(shownRow(1), (std::vector<std::string>{"恒流放", "0.300", "", "", ""}));
    EXPECT_EQ(shownRow(2), kEmptyRow);
}

TEST_F(StepEditorDialogTest, EveryControlCarriesItsNameAndTabFollowsTheLayout)
{
    dialog.show();
    EXPECT_EQ(dialog.objectName().toStdString(), "frmSet");
    EXPECT_EQ(dialog.findChild<QWidget*>(QStringLiteral("gridSet"))->accessibleName().toStdString(), "gridSet");
    // A screen reader names a field by its label; the time field's caption follows the mode.
    const auto spoken = [this](const char* name) {
        return QAccessible::queryAccessibleInterface(child<QWidget>(dialog, name))
            ->text(QAccessible::Name)
            .toStdString();
    };
    EXPECT_EQ(spoken("txtSet"), "电流：");
    EXPECT_EQ(spoken("txtLmt"), "电压：");
    EXPECT_EQ(spoken("txtLmtCur"), "终止电流：");
    EXPECT_FALSE(child<QLabel>(dialog, "lblTime")->text().isEmpty());
    EXPECT_EQ(spoken("txtLmtTim"), child<QLabel>(dialog, "lblTime")->text().toStdString());
    for (const char* name : {"cmbFlow", "cmbMode", "cmbStep", "cmbChn"})
        EXPECT_TRUE(child<QComboBox>(dialog, name));
    for (const auto& [name, caption] : {std::pair{"cmdClear", "清除"},
                                        {"cmdSet", "设定"},
                                        {"cmdOpen", "打开"},
                                        {"cmdSave", "保存"},
                                        {"cmdCopy", "复制"},
                                        {"cmdOK", "确定"},
                                        {"cmdCancel", "取消"}})
        EXPECT_EQ(child<QPushButton>(dialog, name)->text().toStdString(), caption);
    // From the step chooser, Tab walks the fields row by row, then the buttons, then the bottom row.
    std::vector<std::string> order;
    QWidget* w = combo("cmbFlow");
    for (int i = 0; i < 15; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        order.push_back(w->objectName().toStdString());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"cmbFlow", "cmbMode", "txtSet", "txtLmt", "txtLmtCur", "txtLmtTim",
                                               "cmdClear", "cmdSet", "cmdOpen", "cmdSave", "cmdCopy", "cmbStep",
                                               "cmbChn", "cmdOK", "cmdCancel"}));
}

}  // namespace
}  // namespace klv

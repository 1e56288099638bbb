#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/file_chooser.h"
#include "support/window_fixture.h"
#include "ui/data_viewer_window.h"
#include "ui/mach_widget.h"
#include "ui/overview_page.h"
#include "ui/station_window.h"

using namespace klv;

namespace {

// The station window connected to a simulated unit, with every file dialog answered here:
// by the path given for its title, else cancelled.
struct FileDialogFoldersTest : WindowFixture {
    std::vector<FileRequest> asked;
    std::map<std::string, std::string> answers;

    FileDialogFoldersTest()
    {
        bus.addUnit(0, 20);
        makeWindow();
        setFileChooserHandler([this](const FileRequest& r) {
            asked.push_back(r);
            const auto a = answers.find(r.title);
            return a == answers.end() ? std::string() : a->second;
        });
    }
    ~FileDialogFoldersTest() override { setFileChooserHandler(nullptr); }

    template <typename T>
    T* child(QObject* parent, const char* name)
    {
        T* found = parent->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return found;
    }
    // "打开数据" from the viewer's menu; a file chosen there is loaded (or found missing) before this returns.
    void openData(DataViewerWindow* viewer)
    {
        QEventLoop loop;
        bool loaded = false;
        auto done = QObject::connect(viewer, &DataViewerWindow::loadFinished, [&] {
            loaded = true;
            loop.quit();
        });
        child<QAction>(viewer, "menuOpen")->trigger();
        if (answers.contains("打开数据") && !loaded) {
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        QObject::disconnect(done);
    }
    // The control menu of channel 1-3, as a right press on its tile opens it.
    QMenu* controlMenuOfTile3()
    {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(30, 30), QPointF(30, 30), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(window->overview()->mach(0)->tile(2), &event);
        window->menus().control->hide();
        return window->menus().control;
    }
};

}  // namespace

// "打开数据", the viewer's picture, the report and the channel and device saves start in Data, the
// step editor's files in the program folder; once the operator went elsewhere, the next dialog
// of that kind (same files, same place) starts there, while that folder is still there.
TEST_F(FileDialogFoldersTest, EachDialogStartsWhereItsFilesAreAndThenWhereTheOperatorWentLast)
{
    ASSERT_TRUE(connectWindow());
    for (int n = 0; n < kChannelsPerDevice; ++n)
        station.program.stepCount[slotOf(0, n)] = 1;  // so that the whole device may be saved
    controlMenuOfTile3();
    window->menus().menuDataAna->trigger();
    window->menus().menuSet->trigger();
    window->overview()->cmdData()->click();
    auto* viewer = child<DataViewerWindow>(window.get(), "frmData");
    QWidget* editor = child<QWidget>(window.get(), "frmSet");
    QWidget* report = child<QWidget>(window.get(), "frmReport");

    const std::string data = home.path() + "/Data";
    // A control item that asks runs once the event that took it is over.
    const auto takeControlItem = [](QAction* item) {
        item->trigger();
        QCoreApplication::sendPostedEvents();
    };
    struct Dialog {
        std::string title;
        std::function<void()> open;
        std::string folder;
    };
    const std::vector<Dialog> dialogs{
        {"打开数据", [&] { openData(viewer); }, data},
        {"保存曲线", [&] { child<QAction>(viewer, "menuSavePicture")->trigger(); }, data},
        {"保存数据", [&] { child<QPushButton>(report, "cmdSave")->click(); }, data},
        {"保存数据-设备1 通道3", [&] { takeControlItem(window->menus().menuSaveChnData); }, data},
        {"保存数据-设备1", [&] { takeControlItem(window->menus().MenuSaveData); }, data},
        {"打开设置", [&] { child<QPushButton>(editor, "cmdOpen")->click(); }, home.path()},
        {"保存设置", [&] { child<QPushButton>(editor, "cmdSave")->click(); }, home.path()},
    };
    const auto startsIn = [&](const Dialog& d) {
        const size_t before = asked.size();
        d.open();
        if (asked.size() != before + 1 || asked.back().title != d.title)
            return std::string("(not shown)");
        return asked.back().initialFolder;
    };

    for (const Dialog& d : dialogs)
        EXPECT_EQ(startsIn(d), d.folder) << d.title;

    // Each answered in a folder of its own: the next one of the same title starts there.
    std::map<std::string, std::string> went;
    for (const Dialog& d : dialogs) {
        went[d.title] = home.path() + "/elsewhere/" + std::to_string(went.size());
        std::filesystem::create_directories(went[d.title]);
        answers = {{d.title, went[d.title] + "/chosen"}};
        controlMenuOfTile3();
        d.open();
        answers.clear();
        EXPECT_EQ(startsIn(d), went[d.title]) << d.title;
    }
    // Dialogs of one kind share the folder: data files are looked for where they were saved last,
    // step files opened where the last was saved; a picture or report stays in its own.
    EXPECT_EQ(startsIn(dialogs[0]), went["保存数据-设备1"]);
    EXPECT_EQ(startsIn(dialogs[5]), went["保存设置"]);
    EXPECT_EQ(startsIn(dialogs[1]), went["保存曲线"]);
    EXPECT_EQ(startsIn(dialogs[2]), went["保存数据"]);
    // A folder that is gone is not offered: the dialog starts in its own folder again.
    std::filesystem::remove_all(went["保存设置"]);
    EXPECT_EQ(startsIn(dialogs[6]), home.path());
}

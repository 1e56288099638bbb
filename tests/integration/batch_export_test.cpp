#include <gtest/gtest.h>

#include <QImage>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>

#include "data/data_station.h"
#include "data/data_viewer.h"
#include "data/step_export.h"
#include "data/viewer_files.h"
#include "platform/text_file.h"
#include "support/sim_process.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

using namespace klv;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().string().ends_with(suffix))
            found.push_back(e.path().string());
    std::sort(found.begin(), found.end());
    return found;
}

// A short cycle for a cell at half charge: discharge to 3.7 V, then charge to 3.85 V until the current falls to 0.9 A.
std::string writeProgram(const std::string& home)
{
    return writeProgramFile(home + "/cycle.stp",
                            {{"恒流放", "01.00", "03.70", "00.00", "0"}, {"恒压充", "01.00", "03.85", "00.90", "0"}});
}

// The environment of a machine without a display.
QProcessEnvironment noDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

}  // namespace

TEST(BatchExportTest, ExportStepsOfAutoSavedTestsMatchTheViewerByteForByte)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--speed", "40"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    StationRun run = runHeadlessStation({"--home", q(home.path()), "--port", "1", "--program",
                                         q(writeProgram(home.path())), "--channels", "1-1,1-2", "--autosave"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto saved = filesEndingIn(home.path() + "/Data", ".dat");
    ASSERT_EQ(saved.size(), 2u);

    for (size_t f = 0; f < saved.size(); ++f) {
        const std::string cli = home.path() + "/cli" + std::to_string(f);
        StationRun exported = runStation({"--export-steps", q(saved[f]), q(cli)}, -1, 60000, noDisplay());
        ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();

        DataViewer viewer;
        viewer.beginOpen();
        viewer.finishOpen(loadDataFile(saved[f]));
        ASSERT_TRUE(viewer.canExport());
        const StepExport inWindow = exportSteps(viewer, home.path() + "/viewer" + std::to_string(f));
        ASSERT_EQ(inWindow.files.size(), 2u);  // one per charge or discharge step
        const auto written = exported.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(written.size(), 2);
        const size_t viewerBase = (home.path() + "/viewer" + std::to_string(f)).size();
        for (int s = 0; s < 2; ++s) {
            const std::string& ours = inWindow.files[static_cast<size_t>(s)];
            EXPECT_EQ(written[s].toStdString(), cli + ours.substr(viewerBase));  // cli-1-1.csv, cli-1-2.csv
            const std::string bytes = fileBytes(written[s].toStdString());
            EXPECT_GT(bytes.size(), 200u);
            EXPECT_EQ(bytes, fileBytes(ours));
        }
    }
}

TEST(BatchExportTest, PicturesRenderWithoutADisplayAndBadInputExitsWithAReason)
{
    TempFolder folder;
    const std::string base = folder.path() + "/test";
    restDischargeCharge().save(base);
    const std::string dat = base + ".dat";

    const std::pair<const char*, const char*> pictures[] = {
        {"/all.png", nullptr}, {"/charge.BMP", "充电-时间"}, {"/cycles.png", "容量-循环"}};
    for (const auto& [out, view] : pictures) {
        QStringList args = {"--picture", q(dat), q(folder.path() + out)};
        if (view)
            args << "--view" << QString::fromUtf8(view);
        StationRun r = runStation(args, -1, 60000, noDisplay());
        ASSERT_EQ(r.exitCode, 0) << out << r.err.toStdString();
        QImage picture(q(folder.path() + out));
        EXPECT_EQ(picture.size(), QSize(960, 600)) << out;
        // Not one flat colour: the grid and the curves are on it.
        EXPECT_GT(picture.copy(0, 0, 960, 600).convertToFormat(QImage::Format_Indexed8).colorCount(), 2) << out;
    }

    // Random bytes, a cut-off file, a missing result file, a huge line without an end, a folder.
    std::string random(4096, '\0');
    for (size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<char>((i * 7919 + 13) % 251);
    random[0] = '7';
    ASSERT_TRUE(writeRawLines(folder.path() + "/random.dat", {random}));
    ASSERT_TRUE(writeRawLines(folder.path() + "/random.run", {random}));
    const std::string whole = fileBytes(dat);
    ASSERT_TRUE(writeRawLines(folder.path() + "/cut.dat", {whole.substr(0, whole.size() / 2)}));
    ASSERT_TRUE(writeRawLines(folder.path() + "/norun.dat", {whole}));
    {
        std::ofstream huge(folder.path() + "/huge.dat", std::ios::binary);
        huge << std::string(20'000'000, '9');
    }
    std::filesystem::create_directory(folder.path() + "/folder.dat");
    // Random bytes may happen to read as a test without records; they must never crash the station.
    const struct {
        const char* name;
        bool unreadable;
    } bad[] = {{"/missing.dat", true}, {"/random.dat", false}, {"/cut.dat", true},
               {"/norun.dat", true},   {"/huge.dat", true},    {"/folder.dat", true}};
    for (const auto& b : bad) {
        const QString path = q(folder.path() + b.name);
        for (const QStringList& args : {QStringList{"--export-steps", path, q(folder.path() + "/x")},
                                        QStringList{"--picture", path, q(folder.path() + "/x.png")}}) {
            StationRun r = runStation(args, -1, 60000, noDisplay());
            EXPECT_TRUE(r.exitCode == 1 || (!b.unreadable && r.exitCode == 0)) << b.name << " " << r.exitCode;
            if (r.exitCode != 0) {
                EXPECT_TRUE(r.err.contains("cannot read the data file")) << b.name << r.err.toStdString();
            }
        }
    }
    EXPECT_TRUE(filesEndingIn(folder.path(), ".csv").empty());

    const struct {
        QStringList args;
        const char* reason;
    } usage[] = {
        {{"--picture", q(dat), q(folder.path() + "/x.jpg")}, ".png or a .bmp"},
        {{"--picture", q(dat), q(folder.path() + "/x.png"), "--view", "电压"}, "no view named 电压"},
        {{"--export-steps", q(dat)}, "--export-steps FILE.dat BASE"},
    };
    for (const auto& u : usage) {
        StationRun r = runStation(u.args, -1, 60000, noDisplay());
        EXPECT_EQ(r.exitCode, 64) << u.reason;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(u.reason))) << r.err.toStdString();
    }
    StationRun unwritable = runStation({"--picture", q(dat), q(folder.path() + "/no/x.png")}, -1, 60000, noDisplay());
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("cannot write the picture"));
}

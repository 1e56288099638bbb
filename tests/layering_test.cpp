#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

// Every #include under src/ runs down the layer order: platform, common, view, link, program,
// data, run, lab, labweb (sim beside link), then the Qt layers ui and app. Table headers are plain data
// and may be included from anywhere; Qt only in ui/, app/ and platform/qt_* files.

namespace {

const std::vector<std::string> kOrder = {"platform", "common", "view",   "link", "program", "data",
                                         "run",      "lab",    "labweb", "ui",   "app"};

std::string folderOf(const std::string& path)
{
    const auto slash = path.find('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// station.h (and the generated version.h) at the top, the *_tables.h headers and the registry.
bool isTableHeader(const std::string& path)
{
    return folderOf(path).empty() || path == "link/registry.h" || path.ends_with("_tables.h");
}

int rankOf(const std::string& folder)
{
    return static_cast<int>(std::find(kOrder.begin(), kOrder.end(), folder) - kOrder.begin());
}

// May a file at `from` (relative to src/) include `to`?
bool includeAllowed(const std::string& from, const std::string& to)
{
    const std::string fromFolder = folderOf(from), toFolder = folderOf(to);
    if (fromFolder == toFolder || isTableHeader(to))
        return true;
    if (toFolder == "sim")
        return fromFolder == "app";
    const int limit = fromFolder == "sim" ? rankOf("link") + 1 : rankOf(fromFolder);
    return rankOf(toFolder) < limit;
}

bool qtAllowed(const std::string& from)
{
    const std::string folder = folderOf(from);
    return folder == "ui" || folder == "app" || from.rfind("platform/qt_", 0) == 0;
}

}  // namespace

TEST(Layering, RuleReadsTheLayerOrder)
{
    struct Case {
        const char *from, *to;
        bool allowed;
    };
    const Case cases[] = {
        {"link/poll_cycle.cpp", "common/logs.h", true},
        {"link/poll_cycle.cpp", "run/logs.h", false},
        {"data/data_file.cpp", "run/backup_files.h", false},
        {"run/backup_files.cpp", "data/data_file.h", true},
        {"view/ui_tables.h", "link/registry.h", true},
        {"common/logs.cpp", "station.h", true},
        {"program/step_apply.h", "run/run_tables.h", true},
        {"view/station_startup.cpp", "link/connection.h", false},
        {"sim/sim_unit.cpp", "link/frame.h", true},
        {"link/frame.cpp", "sim/sim_unit.h", false},
        {"run/live_data.cpp", "sim/sim_bus.h", false},
        {"app/sim_main.cpp", "sim/pty_bridge.h", true},
        {"ui/qt_station_timers.cpp", "run/run_engine.h", true},
        {"run/run_engine.cpp", "ui/qt_station_timers.h", false},
        {"platform/text_file.cpp", "common/format.h", false},
        {"lab/lab_store.cpp", "run/run_tables.h", true},
        {"run/live_data.cpp", "lab/pg_connection.h", false},
        {"ui/station_window.cpp", "lab/lab_store.h", true},
        {"labweb/lab_server.cpp", "lab/lab_reader.h", true},
        {"lab/lab_reader.cpp", "labweb/json_writer.h", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(includeAllowed(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
}

TEST(Layering, EveryIncludeUnderSrcRunsDownTheLayers)
{
    const std::filesystem::path root = KLV_SOURCE_DIR "/src";
    const std::regex local(R"(^\s*#\s*include\s*"([^"]+)\")");
    const std::regex qt(R"(^\s*#\s*include\s*<Q)");
    int includes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp")
            continue;
        const std::string from = std::filesystem::relative(entry.path(), root).generic_string();
        std::ifstream in(entry.path());
        std::string line;
        std::smatch m;
        for (int number = 1; std::getline(in, line); ++number) {
            if (std::regex_search(line, m, local)) {
                ++includes;
                EXPECT_TRUE(includeAllowed(from, m[1].str()))
                    << "src/" << from << ":" << number << ": " << m[1].str() << " is in a higher layer";
            }
            if (std::regex_search(line, qt))
                EXPECT_TRUE(qtAllowed(from)) << "src/" << from << ":" << number << ": Qt outside the Qt layers";
        }
    }
    EXPECT_GT(includes, 100);  // the tree was found and read
}

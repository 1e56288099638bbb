#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

#include "platform/file_replacement.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "support/small_disk.h"

using namespace klv;

namespace {
ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}
}  // namespace

// Re-saving over a good file while the disk is full keeps the good file and leaves nothing beside it.
TEST(FullDiskTest, AFailedReplacementKeepsTheGoodFile)
{
    SmallDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason();
    const std::string dat = disk.path() + "/good.dat", ini = disk.path() + "/klv.ini";
    const std::vector<std::string> good{"工步", "1\t2"};
    ASSERT_TRUE(writeLines(dat, good));
    IniFile config(ini);
    ASSERT_TRUE(config.write("COMM", "PORT1", "3"));
    const ino_t iniInode = inodeOf(ini);

    const std::string filler = disk.fill();
    const std::vector<std::string> big(5000, std::string(200, '7'));
    EXPECT_FALSE(writeLines(dat, big));
    FileReplacement streamed(dat);
    streamed.write(std::string(3 << 20, '8'));
    EXPECT_FALSE(streamed.commit());
    EXPECT_EQ(readLines(dat), good);
    // The port written again on every connect needs no space; a new value is refused whole.
    EXPECT_TRUE(config.write("COMM", "PORT1", "3"));
    EXPECT_EQ(inodeOf(ini), iniInode);
    EXPECT_FALSE(config.write("LAB", "Uri", std::string(254, 'u')));
    EXPECT_EQ(config.read("COMM", "PORT1", "1"), "3");
    EXPECT_EQ(config.read("LAB", "Uri", "none"), "none");

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(disk.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "good.dat", "klv.ini"}));

    removeFile(filler);
    EXPECT_TRUE(writeLines(dat, big));
    EXPECT_EQ(readLines(dat), big);
}

#include <gtest/gtest.h>

#include "common/screen_text.h"
#include "view/language.h"

using namespace klv;

TEST(Language, CommandLineThenIniThenTheSystemsVariablesInOrder)
{
    const Language zh = Language::Chinese, en = Language::English;
    struct Case {
        const char *lcAll, *lcMessages, *lang;
        std::string commandLine, ini;
        Language expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", "", "", en},
        {nullptr, nullptr, "zh_CN.UTF-8", "", "", zh},
        {nullptr, nullptr, nullptr, "", "", zh},        // no language at all
        {nullptr, nullptr, "C", "", "", zh},            // C and POSIX: the station's own
        {nullptr, nullptr, "de_DE.UTF-8", "", "", zh},  // no translation of ours: the source texts
        {"zh_CN.UTF-8", "en_GB", "en_US", "", "", zh},  // LC_ALL first
        {"", "en_GB.UTF-8", "zh_CN", "", "", en},       // an empty variable counts as unset
        {nullptr, nullptr, "en_US.UTF-8", "", "zh", zh},
        {nullptr, nullptr, "zh_CN.UTF-8", "", "en", en},
        {nullptr, nullptr, "zh_CN.UTF-8", "", "fr", zh},  // an unknown key is ignored
        {nullptr, nullptr, "en_US.UTF-8", "zh", "en", zh},
        {nullptr, nullptr, nullptr, "en", "zh", en},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine + "|" + c.ini + "|" + (c.lang ? c.lang : "-"));
        EXPECT_EQ(chooseLanguage(c.commandLine, c.ini, systemLanguage(c.lcAll, c.lcMessages, c.lang)), c.expected);
    }
    EXPECT_EQ(languageArgument({"--port", "1", "--lang", "en", "--headless"}), "en");
    EXPECT_EQ(languageArgument({"--lang=zh"}), "zh");
    EXPECT_EQ(languageArgument({"--lang"}), "");
}

TEST(ScreenText, TheScreenTranslatesWhileFilesKeepTheSource)
{
    const Text history = KLV_TEXT("History", "启动通道%1");
    EXPECT_EQ(screenText(history), "启动通道%1");  // no translator: the source
    setScreenTranslator([](const char* context, const char* source) {
        return std::string(context) == "History" ? std::string("Start channel %1") : std::string(source);
    });
    EXPECT_EQ(fillIn(screenText(history), {"1-2"}), "Start channel 1-2");
    EXPECT_EQ(fillIn(fileText(history), {"1-2"}), "启动通道1-2");
    setScreenTranslator(nullptr);
    EXPECT_EQ(screenText(history), "启动通道%1");
    EXPECT_EQ(fillIn("%1 %2 %10 %1", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}), "a b j a");
}

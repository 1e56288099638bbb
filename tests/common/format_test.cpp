#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/format.h"
#include "version.h"

using namespace klv;

TEST(FormatTest, NumberTextsKeepTheirDigits)
{
    EXPECT_EQ(fmt0_000(4.138f), "4.138");
    EXPECT_EQ(fmt0_000(0), "0.000");
    EXPECT_EQ(fmt00_00(4.2), "04.20");
    EXPECT_EQ(fmt00_00(119.354), "119.35");
    EXPECT_EQ(fmt000_0(4.26), "004.3");
    EXPECT_EQ(fmt000_0(1234.56), "1234.6");
    EXPECT_EQ(fmt0_000(-0.5), "-0.500");
    EXPECT_EQ(fmt0_000(-0.0001), "0.000");
    EXPECT_EQ(formatNumber(3, "00"), "03");
    EXPECT_EQ(formatNumber(4.5f, "0.0"), "4.5");
}

TEST(FormatTest, TimesCountHoursPastADay)
{
    EXPECT_EQ(formatHms(0), "00:00:00");
    EXPECT_EQ(formatHms(59), "00:00:59");
    EXPECT_EQ(formatHms(3600), "01:00:00");
    EXPECT_EQ(formatHms(90061), "25:01:01");
    EXPECT_EQ(formatHms(360000), "100:00:00");
}

TEST(FormatTest, ShortTextIsTheSevenDigitSingleForm)
{
    EXPECT_EQ(shortText(3.42f), "3.42");
    EXPECT_EQ(shortText(119.354f), "119.354");
    EXPECT_EQ(shortText(12.0f), "12");
    EXPECT_EQ(shortText(0.05f), "0.05");
    EXPECT_EQ(shortText(4.55f), "4.55");
    EXPECT_EQ(shortText(1.0f / 3.0f), "0.3333333");
    EXPECT_EQ(shortText(-2.5f), "-2.5");
}

TEST(FormatTest, StampsAndLogLines)
{
    LocalDateTime t{2024, 3, 5, 9, 7, 3};
    EXPECT_EQ(dateStamp(t), "202435");
    EXPECT_EQ(dateTimeStamp(t), "202435-973");
    EXPECT_EQ(dateTimeStamp({2024, 3, 12, 9, 30, 5}), "2024312-9305");
    std::string version = std::string(kVersionText);
    EXPECT_EQ(logLine(t, "ErrTmrComm(0) timeout", ""), "2024-03-05 09:07:03 V" + version + ":[ErrTmrComm(0) timeout]");
    EXPECT_EQ(logLine(t, "ErrTmrComm(2)", "boom"), "2024-03-05 09:07:03 V" + version + ":[ErrTmrComm(2)]boom");
}

// The data file writer formats without printf; its texts must be printf's, byte for byte, for
// every single-precision value a reading or a time can hold: files already on disk were made so.
TEST(FormatTest, AppendedNumbersAreThePrintfTexts)
{
    std::mt19937 rng(20240312);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::vector<float> values{0.0f,
                              -0.0f,
                              0.0005f,
                              -0.0005f,
                              0.0015f,
                              2.0005f,
                              9.9995f,
                              99.995f,
                              1e-8f,
                              16777216.0f,
                              1e7f,
                              9999999.0f,
                              1e38f,
                              -3.4e38f,
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    for (int i = 0; i < 200000; ++i) {
        // Any bit pattern, and readings and times as the bench gives them.
        values.push_back(std::bit_cast<float>(bits(rng)));
        values.push_back(static_cast<float>(bits(rng) % 2000000) / 1000.0f);
        values.push_back(static_cast<float>(bits(rng) % 20000000));
    }
    char expected[512];
    for (float v : values) {
        const double d = v;
        std::snprintf(expected, sizeof expected, "%.7g", d);
        EXPECT_EQ(shortText(v), std::string(expected) == "-0" ? "0" : expected) << d;
        for (const char* pattern : {"0.000", "00.00", "000.0"}) {
            const int decimals = pattern[1] == '.' ? 3 : pattern[2] == '.' ? 2 : 1;
            std::snprintf(expected, sizeof expected, "%.*f", decimals, std::fabs(d));
            std::string text = expected;
            const size_t dot = text.find('.');
            const size_t intDigits = 4 - static_cast<size_t>(decimals);
            if (dot != std::string::npos && dot < intDigits)
                text.insert(0, intDigits - dot, '0');
            if (d < 0 && text.find_first_not_of("0.") != std::string::npos)
                text = "-" + text;
            ASSERT_EQ(formatNumber(d, pattern), text) << d << " " << pattern;
        }
    }
}

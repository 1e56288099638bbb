#include <gtest/gtest.h>

#include <clocale>

// The core tests without Qt, for the sanitizer build: no application object is needed
// because none of these tests touches a widget or the Qt event loop.
int main(int argc, char** argv)
{
    std::setlocale(LC_NUMERIC, "C");  // as the station does: number texts always use a point
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

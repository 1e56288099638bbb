#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

// Widget tests need an application object; without a display they draw offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // as the station does: number texts always use a point
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include <QApplication>
#include <QMainWindow>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/headless.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool headless = false;
    for (const auto& a : args)
        headless = headless || a == "--headless";
    if (headless) {
        QCoreApplication app(argc, argv);
        std::setlocale(LC_NUMERIC, "C");  // Qt took the system locale; every number text uses a point
        std::string error;
        auto options = klv::parseHeadless(args, error);
        if (!options) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 64;  // a usage error
        }
        return klv::runHeadless(*options);
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("多通道电池测试系统"));
    window.show();
    return app.exec();
}

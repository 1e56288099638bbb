// The benchmarks' own main: the application object a benchmark made is deleted here, before
// static destruction, so that the binary ends with exit status 0 for any filter.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string_view>

#include "bench_app.h"

int main(int argc, char** argv)
{
    constexpr std::string_view coldStart = "--cold-start=";
    if (argc == 3 && std::string_view(argv[1]).starts_with(coldStart))
        return coldStartChild(argv[1] + coldStart.size(), argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete QCoreApplication::instance();
    return 0;
}

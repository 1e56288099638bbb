// The benchmarks' own main: the application object a benchmark made is deleted here, before
// static destruction, so that the binary ends with exit status 0 for any filter.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete QCoreApplication::instance();
    return 0;
}

// Curve graph costs on multi-day tests: appending points, drawing with
// decimation, and the memory of a full station's graphs.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QGuiApplication>
#include <cmath>
#include <ctime>
#include <memory>
#include <vector>

#include "bench_app.h"
#include "ui/curve_graph_widget.h"
#include "view/curve_graph.h"

namespace {

// CPU time of this thread, page faults included: the machine may be busy with other work.
double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A cell voltage over a long test: slow swings and a little ripple.
float voltage(int i) { return 3.7f + 0.5f * std::sin(i / 7000.0f) + 0.01f * std::sin(i * 0.37f); }

size_t heapInUse()
{
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// (a) AddXY against a plain std::vector, the same points in the same loop shape.
void CurveGraph_Append1M(benchmark::State& state)
{
    constexpr int n = 1'000'000;
    std::vector<klv::CurvePoint> points(n);
    for (int i = 0; i < n; ++i)
        points[static_cast<size_t>(i)] = {static_cast<float>(i), voltage(i)};
    double graphTime = 0, vectorTime = 0;
    for (auto _ : state) {
        std::vector<klv::CurvePoint> v;
        double t0 = cpuNow();
        for (const klv::CurvePoint& p : points)
            v.push_back(p);
        benchmark::DoNotOptimize(v.data());
        double tv = cpuNow() - t0;

        klv::CurveGraph g;
        t0 = cpuNow();
        for (const klv::CurvePoint& p : points)
            g.AddXY(0, p.x, p.y);
        benchmark::ClobberMemory();
        double tg = cpuNow() - t0;

        vectorTime += tv;
        graphTime += tg;
        state.SetIterationTime(tg);
    }
    state.counters["vector_ms"] = vectorTime / static_cast<double>(state.iterations()) * 1e3;
    state.counters["graph_ms"] = graphTime / static_cast<double>(state.iterations()) * 1e3;
    state.counters["ratio"] = graphTime / vectorTime;
}
BENCHMARK(CurveGraph_Append1M)->UseManualTime()->Unit(benchmark::kMillisecond);

constexpr int kW = 800, kH = 500;

// A graph on an off-screen image of kW × kH, with count curves of n points each spanning 0..span seconds.
struct DrawnGraph {
    DrawnGraph(int count, int n, float span)
    {
        ensureGuiApplication();
        surface = std::make_unique<klv::CurvePainterSurface>();
        graph.setSurface(surface.get());
        graph.setCurveCount(count);
        graph.setMaxX(span);
        graph.setMaxY(0, 5);
        for (int k = 0; k < count; ++k) {
            graph.setShowCurve(k, true);
            for (int i = 0; i < n; ++i)
                graph.AddXY(k, span * static_cast<float>(i) / static_cast<float>(n), voltage(i + 1000 * k));
        }
        graph.resize(kW, kH);
    }
    std::unique_ptr<klv::CurvePainterSurface> surface;
    klv::CurveGraph graph;
};

// (b) One curve of 100 000 points against one of 4 × W points over the same span.
void CurveGraph_DrawDecimated(benchmark::State& state)
{
    DrawnGraph big(1, 100'000, 100'000), small(1, 4 * kW, 100'000);
    double bigTime = 0, smallTime = 0;
    for (auto _ : state) {
        double t0 = cpuNow();
        small.graph.DrawCurve();
        smallTime += cpuNow() - t0;
        t0 = cpuNow();
        big.graph.DrawCurve();
        double tb = cpuNow() - t0;
        bigTime += tb;
        state.SetIterationTime(tb);
    }
    state.counters["points_4W_ms"] = smallTime / static_cast<double>(state.iterations()) * 1e3;
    state.counters["points_100k_ms"] = bigTime / static_cast<double>(state.iterations()) * 1e3;
    state.counters["ratio"] = bigTime / smallTime;
}
BENCHMARK(CurveGraph_DrawDecimated)->UseManualTime()->Unit(benchmark::kMillisecond);

// (c) A device graph full of long curves: 16 curves × 100 000 points on 800 × 500.
void CurveGraph_Draw16x100k(benchmark::State& state)
{
    DrawnGraph g(16, 100'000, 100'000);
    for (auto _ : state)
        g.graph.DrawCurve();
}
BENCHMARK(CurveGraph_Draw16x100k)->Unit(benchmark::kMillisecond);

// (c) Memory of six device graphs of 16 curves × 180 000 points (50 hours at one point a second).
void CurveGraph_Memory6x16x180k(benchmark::State& state)
{
    constexpr int graphs = 6, curves = 16, points = 180'000;
    for (auto _ : state) {
        size_t before = heapInUse();
        std::vector<std::unique_ptr<klv::CurveGraph>> all;
        for (int d = 0; d < graphs; ++d) {
            all.push_back(std::make_unique<klv::CurveGraph>());
            all.back()->setCurveCount(curves);
            for (int k = 0; k < curves; ++k)
                for (int i = 0; i < points; ++i)
                    all.back()->AddXY(k, static_cast<float>(i), voltage(i));
        }
        double used = static_cast<double>(heapInUse() - before);
        double payload = static_cast<double>(graphs) * curves * points * sizeof(klv::CurvePoint);
        state.counters["heap_MB"] = used / 1e6;
        state.counters["points_MB"] = payload / 1e6;
        state.counters["overhead_pct"] = (used / payload - 1) * 100;
    }
}
BENCHMARK(CurveGraph_Memory6x16x180k)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

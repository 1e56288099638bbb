#include "run/curve_plot.h"

#include <cmath>
#include <exception>
#include <string>

#include "common/logs.h"
#include "station.h"

namespace klv {

namespace {

// The plotted ranges reach this far beyond the readings, in whole tenths.
constexpr double kRangeMargin = 0.1;
// Axes span whole multiples of ten grid steps of this size.
constexpr double kGridStep = 0.05;
constexpr long kGridSteps = 10;
// Seconds of empty time axis kept ahead of the newest point.
constexpr int kTimeLead = 30;

float roundTo(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return static_cast<float>(std::round(v * scale) / scale);
}

// Readings go on the graph as the tiles show them: three decimals at scale 1000, else two.
float plotted(float v, int scale) { return roundTo(v, scale == 1000 ? 3 : 2); }

void widen(float& top, float& bottom, float v)
{
    if (top == 0 && bottom == 0)
        top = bottom = v;
    if (v + kRangeMargin > top)
        top = roundTo(v + kRangeMargin, 1);
    if (v <= kRangeMargin)
        bottom = 0;
    else if (v - kRangeMargin < bottom)
        bottom = roundTo(v - kRangeMargin, 1);
}

void fitAxis(CurveGraph& graph, int axis, float top, float bottom)
{
    const long k = std::lround((double(top) - bottom) / kGridStep) % kGridSteps;
    double low = bottom, high = top;
    if (k != 0) {
        const long missing = kGridSteps - k;
        // Near zero the axis keeps its floor and grows upwards only.
        if (bottom <= 0.5) {
            high = top + double(missing) * kGridStep;
        } else {
            low = bottom - double(missing) * kGridStep / 2;
            high = top + double(missing) * kGridStep / 2;
        }
    }
    if (graph.MinY(axis) != static_cast<float>(low))
        graph.setMinY(axis, static_cast<float>(low));
    if (graph.MaxY(axis) != static_cast<float>(high))
        graph.setMaxY(axis, static_cast<float>(high));
}

void plot(Station& station, int slot, int seconds, float voltage, float current, bool selected)
{
    RunSlot& run = station.run.slots.at(slot);
    const int d = deviceOfSlot(slot), n = channelOfSlot(slot);
    const DeviceEntry& dev = station.link.devices.at(d);
    CurveGraph& graph = station.ui.graphs.at(d);
    if (seconds > run.timeAxisEnd)
        run.timeAxisEnd = seconds;
    widen(run.volTop, run.volBottom, voltage);
    widen(run.curTop, run.curBottom, current);
    graph.AddXY(2 * n, float(seconds), plotted(voltage, dev.voltageScale));
    graph.AddXY(2 * n + 1, float(seconds), plotted(current, dev.readingCurrentScale));
    if (!selected)
        return;
    fitAxes(station, slot);
    // The graph shows one channel: the selected one that recorded last.
    for (int i = 0; i < kChannelsPerDevice; ++i) {
        const bool shown = i == n;
        for (int curve : {2 * i, 2 * i + 1}) {
            graph.setShowCurve(curve, shown);
            graph.setShowLegend(curve, shown && station.ui.showCurveLabels);
        }
    }
    graph.DrawCurve();
}

}  // namespace

void curveRoutine(Station& station, int slot, int seconds, float voltage, float current, bool selected)
{
    try {
        plot(station, slot, seconds, voltage, current, selected);
    } catch (const std::exception& e) {
        klvLog(station, "ErrShowCurve(" + std::to_string(slot) + ")", e.what());
    }
}

void fitAxes(Station& station, int slot)
{
    const RunSlot& run = station.run.slots.at(slot);
    CurveGraph& graph = station.ui.graphs.at(deviceOfSlot(slot));
    if (graph.MaxX() < float(run.timeAxisEnd) || graph.MaxX() > float(run.timeAxisEnd + kTimeLead))
        graph.setMaxX(float(run.timeAxisEnd + kTimeLead));
    fitAxis(graph, 0, run.volTop, run.volBottom);
    fitAxis(graph, 1, run.curTop, run.curBottom);
}

}  // namespace klv

#include "data/data_viewer.h"

#include <array>
#include <cmath>
#include <stdexcept>

#include "common/number_text.h"
#include "common/screen_text.h"
#include "program/program_tables.h"

namespace klv {

namespace {

constexpr std::array<const char*, kViewerViews> kViewCaptions = {
    KLV_NOOP("Table", "全部-时间"), KLV_NOOP("Table", "放电-时间"), KLV_NOOP("Table", "放电-容量"),
    KLV_NOOP("Table", "充电-时间"), KLV_NOOP("Table", "充电-容量"), KLV_NOOP("Table", "容量-次数")};
constexpr const char* kDischarge = "恒流放";
constexpr const char* kCharge = "恒压充";
constexpr const char* kRest = "搁置";

constexpr int kWholeVoltage = 0, kWholeCurrent = 1, kStepVoltage = 2, kStepCurrent = 3;
constexpr int kDischargeCapacity = 4, kChargeCapacity = 5;

bool isStepView(ViewerView v) { return v != ViewerView::All && v != ViewerView::Capacity; }
bool isCapacityAxis(ViewerView v) { return v == ViewerView::DischargeCapacity || v == ViewerView::ChargeCapacity; }

bool isListed(ViewerView view, const std::string& mode)
{
    switch (view) {
    case ViewerView::All:
        return true;
    case ViewerView::Capacity:
        return mode != kRest;
    case ViewerView::ChargeTime:
    case ViewerView::ChargeCapacity:
        return mode == kCharge;
    case ViewerView::DischargeTime:
    case ViewerView::DischargeCapacity:
        return mode == kDischarge;
    }
    return false;
}

// The graph's title names its view in the operator's language.
std::string titleSuffix(ViewerView view)
{
    const std::string caption = screenText({"Table", viewCaption(view)});
    if (view == ViewerView::Capacity)
        return caption;
    return view == ViewerView::All ? "" : " " + caption;
}

float cellSingle(const std::string& text)
{
    const auto value = parseCellNumber(text);
    if (!value)
        throw std::invalid_argument("not a number: " + text);
    return toSingle(*value);
}

// Header and ten empty rows.
void emptyResultTable(TextGrid& table)
{
    table.resize(DataViewer::kResultRowsAtStart, DataViewer::kResultCells);
    const char* heads[] = {KLV_NOOP("Table", "循环"),     KLV_NOOP("Table", "工步"),     KLV_NOOP("Table", "模式"),
                           KLV_NOOP("Table", "容量(Ah)"), KLV_NOOP("Table", "能量(Wh)"), KLV_NOOP("Table", "时间(S)")};
    for (int c = 0; c < DataViewer::kResultCells; ++c)
        table.at(0, c) = heads[c];
}

}  // namespace

const char* viewCaption(ViewerView view) { return kViewCaptions.at(static_cast<size_t>(view)); }

std::optional<ViewerView> viewNamed(const std::string& caption)
{
    for (size_t v = 0; v < kViewCaptions.size(); ++v)
        if (caption == kViewCaptions[v])
            return static_cast<ViewerView>(v);
    return std::nullopt;
}

ViewerLook lookOf(const CurveGraph& g)
{
    return {g.CurveLineColor(0), g.CurveLineColor(1), g.GridType1(), g.GridType2(),
            g.GridColor(),       g.BackColor(),       g.AxesColor()};
}

DataViewer::DataViewer(const ViewerLook& look)
{
    graph_.setCurveCount(6);
    steps_.resize(kStepRows + 1, kStepColumns);
    const char* stepHeads[] = {KLV_NOOP("Table", "工步"),     KLV_NOOP("Table", "运行模式"),
                               KLV_NOOP("Table", "设定电流"), KLV_NOOP("Table", "设定电压"),
                               KLV_NOOP("Table", "终止电流"), KLV_NOOP("Table", "时间/次")};
    for (int c = 0; c < kStepColumns; ++c)
        steps_.at(0, c) = stepHeads[c];
    reset(look);
}

void DataViewer::reset(const ViewerLook& look)
{
    beginOpen();
    applyLook(look);
    canRefresh_ = false;
    view_ = ViewerView::All;
    graph_.setTitleText("");
    graph_.setAxesText("[V]");
}

void DataViewer::applyLook(const ViewerLook& look)
{
    look_ = look;
    cycles_.reset(look);
    const Text legends[] = {KLV_TEXT("Table", "电压"), KLV_TEXT("Table", "电流")};
    for (int k = 0; k < 6; ++k) {
        const Text legend = k < kDischargeCapacity    ? legends[k % 2]
                            : k == kDischargeCapacity ? KLV_TEXT("Table", "放电")
                                                      : KLV_TEXT("Table", "充电");
        graph_.setLegendText(k, screenText(legend));
        graph_.setCurveAxesY(k, k < kDischargeCapacity ? k % 2 : 0);
        graph_.setCurveLineColor(k, k % 2 == 0 ? look.voltageColor : look.currentColor);
        graph_.setShowCurve(k, k <= kWholeCurrent);
        graph_.setShowLegend(k, false);
    }
    graph_.setGridType1(look.gridType1);
    graph_.setGridType2(look.gridType2);
    graph_.setGridColor(look.gridColor);
    graph_.setBackColor(look.backColor);
    graph_.setAxesColor(look.axesColor);
    graph_.setShowAxesY1(true);
    graph_.setMaxY(0, 5);
    graph_.setMaxY(1, 2);
    graph_.ClearAll();
}

void DataViewer::beginOpen()
{
    graph_.setMinX(0);
    graph_.ClearAll();
    graph_.setXBarType(0);
    emptyResultTable(resultTable_);
    for (int r = 1; r < steps_.rows; ++r)
        for (int c = 0; c < steps_.cols; ++c)
            steps_.at(r, c).clear();
    canExport_ = false;
    hasTest_ = false;
    ranges_ = {};
    deviceLabel_.clear();
    channelLabel_.clear();
    title_.clear();
    results_.clear();
    listed_.clear();
    segments_.clear();
    drawPending_ = false;
    dischargeCaps_.clear();
    chargeCaps_.clear();
    displayRow_ = 1;
    cycles_.reset(look_);
}

PreparedTest prepareTest(LoadedData data)
{
    PreparedTest test;
    test.cycles = cycleSource(data);
    for (const LoadedRecord& r : data.records) {
        if (r.voltage >= DataViewer::kUnplottedVoltage)
            continue;
        test.voltage.push_back({static_cast<float>(r.seconds), r.voltage});
        test.current.push_back({static_cast<float>(r.seconds), r.current});
        test.ranges.add(r.seconds, r.voltage, r.current);
    }
    data.records = {};
    test.data = std::move(data);
    return test;
}

void DataViewer::finishOpen(PreparedTest test)
{
    const LoadedData& data = test.data;
    for (const LoadedStep& step : data.steps) {
        steps_.at(step.number, 0) = std::to_string(step.number);
        for (int c = 0; c < 5; ++c)
            steps_.at(step.number, c + 1) = step.cells[c];
    }
    graph_.takePoints(kWholeVoltage, std::move(test.voltage));
    graph_.takePoints(kWholeCurrent, std::move(test.current));
    ranges_ = test.ranges;
    for (const auto& row : data.results)
        listRow(row);
    // A load that stopped early is not drawn, and nothing may later mix its points with
    // the result rows of another test: refresh has no test to work on until the next whole load.
    if (!data.complete)
        return;
    deviceLabel_ = data.deviceLabel;
    channelLabel_ = data.channelLabel;
    title_ = data.title;
    results_ = std::move(test.data.results);
    listed_.assign(results_.size(), true);
    loadedRanges_ = ranges_;
    hasTest_ = true;
    graph_.setTitleText(title_);
    for (int k = 0; k < graph_.CurveCount(); ++k)
        graph_.setShowCurve(k, k <= kWholeCurrent);
    graph_.setShowAxesY1(true);
    graph_.setAxesText("[V]");
    view_ = ViewerView::All;
    drawWhole();
    cycles_.show(std::move(test.cycles), title_);
    canExport_ = true;
    canRefresh_ = true;
}

void DataViewer::listRow(const std::vector<std::string>& row)
{
    if (displayRow_ >= resultTable_.rows) {
        TextGrid grown = resultTable_;
        grown.resize(displayRow_ + 1, kResultCells);
        for (int r = 0; r < resultTable_.rows; ++r)
            for (int c = 0; c < kResultCells; ++c)
                grown.at(r, c) = resultTable_.at(r, c);
        resultTable_ = std::move(grown);
    }
    for (int c = 0; c < kResultCells && c < static_cast<int>(row.size()); ++c)
        resultTable_.at(displayRow_, c) = row[static_cast<size_t>(c)];
    ++displayRow_;
}

bool DataViewer::walkResults(ViewerView view)
{
    const int points = graph_.DpCnt(kWholeVoltage);
    int p = 0;
    double t0 = 0;
    for (size_t r = 0; r < results_.size(); ++r) {
        const std::vector<std::string>& row = results_[r];
        const std::string& mode = row[2];
        if (mode == kDischarge)
            dischargeCaps_.push_back(cellSingle(row[3]));
        else if (mode == kCharge)
            chargeCaps_.push_back(cellSingle(row[3]));
        const auto d = stepTimeSeconds(row[5]);
        if (!d)
            return false;
        // Past the last point the step start stays where it was: the remaining rows are still listed.
        if (r > 0 && p < points)
            t0 = std::nearbyint(graph_.DpX(kWholeVoltage, p));
        const bool listed = isListed(view, mode);
        listed_[r] = listed;
        if (listed)
            listRow(row);
        if (!isStepView(view))
            continue;
        const float capacityX = isCapacityAxis(view) && listed ? cellSingle(row[3]) * 1000 : 0;
        for (; p < points && graph_.DpX(kWholeVoltage, p) - t0 < static_cast<double>(*d); ++p) {
            const float current = graph_.DpY(kWholeCurrent, p);
            if (!listed || current <= 0)
                continue;
            const auto seconds = static_cast<float>(graph_.DpX(kWholeVoltage, p) - t0);
            const float voltage = graph_.DpY(kWholeVoltage, p);
            segments_.push_back({seconds, voltage, current});
            ranges_.add(isCapacityAxis(view) ? capacityX : seconds, voltage, current);
        }
    }
    return true;
}

void DataViewer::refresh(ViewerView view)
{
    if (listView(view))
        redraw();
}

bool DataViewer::listView(ViewerView view)
{
    if (!hasTest_)
        return false;
    emptyResultTable(resultTable_);
    displayRow_ = 1;
    ranges_ = {};
    for (int k = kStepVoltage; k <= kChargeCapacity; ++k)
        graph_.Clear(k);
    segments_.clear();
    drawPending_ = false;
    dischargeCaps_.clear();
    chargeCaps_.clear();
    listed_.assign(results_.size(), false);
    view_ = view;
    try {
        if (!walkResults(view))
            return false;
    } catch (const std::exception&) {
        return false;
    }
    graph_.setTitleText(title_ + titleSuffix(view));
    graph_.setXBarType(view == ViewerView::ChargeTime || view == ViewerView::DischargeTime ? 0 : 1);
    graph_.setShowAxesY1(view != ViewerView::Capacity);
    graph_.setAxesText(view == ViewerView::Capacity ? "[Ah]" : "[V]");
    return true;
}

void DataViewer::redraw()
{
    startDrawing();
    while (drawMore()) {
    }
}

void DataViewer::startDrawing()
{
    drawnSegments_ = 0;
    drawPending_ = true;
    if (!isStepView(view_))
        return;
    for (int k = 0; k < graph_.CurveCount(); ++k)
        graph_.setShowCurve(k, k == kStepVoltage || k == kStepCurrent);
    graph_.Clear(kStepVoltage);
    graph_.Clear(kStepCurrent);
    try {
        finishRanges(ranges_, graph_);
        graph_.DrawGrid();
    } catch (const std::exception&) {
        // An empty range leaves the previous picture; the next refresh starts afresh.
        drawPending_ = false;
    }
}

bool DataViewer::drawMore()
{
    if (!drawPending_)
        return false;
    try {
        if (isStepView(view_))
            drawNextTrace();
        else if (view_ == ViewerView::Capacity)
            drawCapacities();
        else
            drawWhole();
    } catch (const std::exception&) {
        // As for an empty range above.
        drawPending_ = false;
    }
    if (!isStepView(view_) || drawnSegments_ >= segments_.size())
        drawPending_ = false;
    return drawPending_;
}

void DataViewer::showLegends(bool on)
{
    for (int k = 0; k < graph_.CurveCount(); ++k)
        graph_.setShowLegend(k, graph_.ShowCurve(k) && on);
}

// One step trace: the segments up to the next one whose time goes back.
void DataViewer::drawNextTrace()
{
    if (segments_.empty()) {
        graph_.DrawCurveEx();
        return;
    }
    const bool byCapacity = isCapacityAxis(view_);
    double q = 0, s = 0;
    while (drawnSegments_ < segments_.size()) {
        const SegmentPoint& e = segments_[drawnSegments_++];
        q += (e.seconds - s) * e.current * 1000;
        s = e.seconds;
        const float x = byCapacity ? static_cast<float>(q / 3600) : e.seconds;
        graph_.AddXY(kStepVoltage, x, e.voltage);
        graph_.AddXY(kStepCurrent, x, e.current);
        if (drawnSegments_ == segments_.size() || segments_[drawnSegments_].seconds < e.seconds)
            break;
    }
    graph_.DrawCurveEx();
    graph_.Clear(kStepVoltage);
    graph_.Clear(kStepCurrent);
}

void DataViewer::drawCapacities()
{
    for (int k = 0; k < graph_.CurveCount(); ++k)
        graph_.setShowCurve(k, k == kDischargeCapacity || k == kChargeCapacity);
    graph_.Clear(kDischargeCapacity);
    graph_.Clear(kChargeCapacity);
    ranges_ = {};
    ranges_.minX = 1;
    const auto addAll = [&](int curve, const std::vector<float>& caps) {
        for (size_t n = 1; n <= caps.size(); ++n) {
            graph_.AddXY(curve, static_cast<float>(n), caps[n - 1]);
            ranges_.addX(static_cast<double>(n));
            ranges_.addV(caps[n - 1]);
        }
    };
    addAll(kDischargeCapacity, dischargeCaps_);
    addAll(kChargeCapacity, chargeCaps_);
    ranges_.maxI = ranges_.maxV;
    ranges_.minI = ranges_.minV;
    if (ranges_.maxX < 11)
        ranges_.maxX = 11;
    finishRanges(ranges_, graph_);
    graph_.DrawCurve();
}

void DataViewer::drawWhole()
{
    for (int k = 0; k < graph_.CurveCount(); ++k)
        graph_.setShowCurve(k, k <= kWholeCurrent);
    ranges_ = loadedRanges_;
    ranges_.minX = 0;
    finishRanges(ranges_, graph_);
    graph_.DrawCurve();
}

}  // namespace klv

#include "data/cycle_page.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "common/screen_text.h"
#include "data/data_viewer.h"
#include "data/view_ranges.h"
#include "view/curve_scale.h"

namespace klv {

namespace {

constexpr std::array<const char*, CyclePage::kColumns> kHeads = {
    KLV_NOOP("Table", "循环序号"),        KLV_NOOP("Table", "开始时间(S)"),     KLV_NOOP("Table", "结束时间(S)"),
    KLV_NOOP("Table", "充电容量(Ah)"),    KLV_NOOP("Table", "放电容量(Ah)"),    KLV_NOOP("Table", "充电能量(Wh)"),
    KLV_NOOP("Table", "放电能量(Wh)"),    KLV_NOOP("Table", "库仑效率(%)"),     KLV_NOOP("Table", "能量效率(%)"),
    KLV_NOOP("Table", "平均充电电压(V)"), KLV_NOOP("Table", "平均放电电压(V)"), KLV_NOOP("Table", "最高电压(V)"),
    KLV_NOOP("Table", "最低电压(V)"),     KLV_NOOP("Table", "容量保持率(%)"),   KLV_NOOP("Table", "累计容量(Ah)")};
constexpr int kEfficiencyColour = 0x008000;

// The fields of one CSV line; an empty field stays empty.
std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ',')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

void applyLook(CurveGraph& graph, const ViewerLook& look)
{
    graph.setGridType1(look.gridType1);
    graph.setGridType2(look.gridType2);
    graph.setGridColor(look.gridColor);
    graph.setBackColor(look.backColor);
    graph.setAxesColor(look.axesColor);
    graph.setXBarType(1);
    graph.setTitleText("");
    graph.ClearAll();
}

// Draws what the graph holds; an empty range keeps the previous picture, as in the viewer.
void drawIfPossible(CurveGraph& graph)
{
    try {
        graph.DrawCurve();
    } catch (const std::domain_error&) {
    }
}

}  // namespace

void fillCycleGrid(TextGrid& grid, const std::vector<CycleRow>& rows)
{
    const std::string csv = cycleCsv(rows);
    grid.resize(static_cast<int>(rows.size()) + 1, CyclePage::kColumns);
    for (int c = 0; c < CyclePage::kColumns; ++c)
        grid.at(0, c) = kHeads[static_cast<size_t>(c)];
    // Below the header, the very fields of the exported file.
    size_t at = csv.find('\n') + 1;
    for (int r = 1; r < grid.rows; ++r) {
        const size_t end = csv.find('\n', at);
        const std::vector<std::string> cells = fields(csv.substr(at, end - at));
        for (int c = 0; c < CyclePage::kColumns; ++c)
            grid.at(r, c) = cells.at(static_cast<size_t>(c));
        at = end + 1;
    }
}

CyclePage::CyclePage()
{
    capacity_.setCurveCount(3);
    capacity_.setLegendsPaired(false);
    capacity_.setCurveAxesY(kCoulombic, 1);
    capacity_.setAxesText("[Ah]");
    capacity_.setAxesText1("[%]");
    dqdv_.setCurveCount(1);
    dqdv_.setShowCurve(0, true);
    dqdv_.setShowAxesY1(false);
    dqdv_.setAxesText("[Ah/V]");
    reset({});
}

void CyclePage::reset(const ViewerLook& look)
{
    source_ = {};
    title_.clear();
    cycles_.clear();
    points_.clear();
    dqdvCycle_ = 0;
    dqdvRole_ = StepRole::Discharge;
    fillCycleGrid(table_, source_.rows);
    const Text legends[] = {KLV_TEXT("Table", "充电容量"), KLV_TEXT("Table", "放电容量"),
                            KLV_TEXT("Table", "库仑效率")};
    const int colours[] = {look.currentColor, look.voltageColor, kEfficiencyColour};
    for (int k = 0; k < 3; ++k) {
        capacity_.setLegendText(k, screenText(legends[k]));
        capacity_.setCurveLineColor(k, colours[k]);
    }
    applyLook(capacity_, look);
    dqdv_.setCurveLineColor(0, look.voltageColor);
    applyLook(dqdv_, look);
    dqdv_.setXBarType(kXBarVoltage);
}

void CyclePage::show(CycleSource source, const std::string& title)
{
    source_ = std::move(source);
    title_ = title;
    cycles_.clear();
    for (const CycleRow& row : source_.rows)
        cycles_.push_back(row.cycle);
    fillCycleGrid(table_, source_.rows);
    drawCapacity();
    if (cycles_.empty())
        return;
    const int first = cycles_.front();
    chooseDqDv(first, source_.recordsOf(first, StepRole::Discharge).empty() ? StepRole::Charge : StepRole::Discharge);
}

void CyclePage::drawCapacity()
{
    for (int k = 0; k < 3; ++k)
        capacity_.Clear(k);
    ViewRanges ranges;
    ranges.minX = cycles_.empty() ? 1 : cycles_.front();
    for (const CycleRow& row : source_.rows) {
        const auto x = static_cast<float>(row.cycle);
        const std::pair<int, std::optional<double>> values[] = {
            {kCharge, row.chargeAh}, {kDischarge, row.dischargeAh}, {kCoulombic, row.coulombic}};
        for (const auto& [curve, value] : values) {
            if (!value)
                continue;
            capacity_.AddXY(curve, x, static_cast<float>(*value));
            ranges.addX(x);
            if (curve == kCoulombic)
                ranges.addI(static_cast<float>(*value));
            else
                ranges.addV(static_cast<float>(*value));
        }
    }
    for (int k = 0; k < 3; ++k) {
        capacity_.setShowCurve(k, capacity_.DpCnt(k) > 0);
        capacity_.setShowLegend(k, capacity_.DpCnt(k) > 0);
    }
    // Without an efficiency the right axis still needs a span.
    if (capacity_.DpCnt(kCoulombic) == 0) {
        ranges.minI = 0;
        ranges.maxI = 100;
    }
    ranges.maxX = std::max(ranges.maxX, ranges.minX + 10);
    capacity_.setTitleText(title_.empty() ? "" : title_ + " " + screenText({"Table", kCapacityPerCycleView}));
    finishRanges(ranges, capacity_);
    drawIfPossible(capacity_);
}

void CyclePage::chooseDqDv(int cycle, StepRole role)
{
    dqdvCycle_ = cycle;
    dqdvRole_ = role;
    points_ = dqdv(source_.recordsOf(cycle, role));
    const std::string roleWord =
        screenText(role == StepRole::Charge ? KLV_TEXT("Table", "充电") : KLV_TEXT("Table", "放电"));
    dqdv_.setTitleText(fillIn(screenText(KLV_TEXT("Table", "dQ/dV 循环%1 %2")), {std::to_string(cycle), roleWord}));
    dqdv_.Clear(0);
    if (points_.empty()) {
        dqdv_.ClearAll();
        return;
    }
    ViewRanges ranges;
    for (const DqDvPoint& p : points_) {
        dqdv_.AddXY(0, static_cast<float>(p.voltage), static_cast<float>(p.value));
        ranges.addV(static_cast<float>(p.value));
    }
    ranges.addV(0);
    finishRanges(ranges, dqdv_);
    // Volts in tenths: the ranges keep whole numbers on X.
    const double low = std::floor(points_.front().voltage * 10) / 10;
    const double high = std::max(std::ceil(points_.back().voltage * 10) / 10, low + 0.1);
    dqdv_.setMinX(static_cast<float>(low));
    dqdv_.setMaxX(static_cast<float>(high));
    drawIfPossible(dqdv_);
}

}  // namespace klv

#pragma once

#include <string>
#include <vector>

#include "common/screen_text.h"
#include "common/text_grid.h"
#include "data/cycle_source.h"
#include "data/dqdv.h"
#include "view/curve_graph.h"

namespace klv {

struct ViewerLook;

// The name --view takes for a picture of the capacity of every cycle.
inline constexpr const char* kCapacityPerCycleView = KLV_NOOP("Table", "容量-循环");

// The table's grid: a header row, then one row per cycle of the fields --export-cycles writes.
void fillCycleGrid(TextGrid& grid, const std::vector<CycleRow>& rows);

// The viewer's cycles page without its widgets: the cycle table as a grid whose cells are the
// fields --export-cycles writes, the charge and discharge capacity of every cycle with the
// coulombic efficiency on the right axis, and dQ/dV of one chosen cycle's charge or discharge.
class CyclePage {
public:
    static constexpr int kColumns = 15;
    static constexpr int kCharge = 0, kDischarge = 1, kCoulombic = 2;  // curves of the capacity graph

    CyclePage();

    // Empty, in the given look.
    void reset(const ViewerLook& look);
    // A loaded test's cycles: the table and the capacity graph filled and drawn, dQ/dV of the
    // first cycle's discharge (its charge when it has none) drawn.
    void show(CycleSource source, const std::string& title);

    const TextGrid& table() const { return table_; }
    // The cycle numbers of the table's rows, in order.
    const std::vector<int>& cycles() const { return cycles_; }
    CurveGraph& capacityGraph() { return capacity_; }
    CurveGraph& dqdvGraph() { return dqdv_; }
    const std::vector<DqDvPoint>& dqdvPoints() const { return points_; }
    int dqdvCycle() const { return dqdvCycle_; }
    StepRole dqdvRole() const { return dqdvRole_; }

    // Draws dQ/dV of the cycle's charge or discharge; an empty graph when it has no such row.
    void chooseDqDv(int cycle, StepRole role);

private:
    void drawCapacity();

    CycleSource source_;
    std::string title_;
    TextGrid table_;
    std::vector<int> cycles_;
    CurveGraph capacity_, dqdv_;
    std::vector<DqDvPoint> points_;
    int dqdvCycle_ = 0;
    StepRole dqdvRole_ = StepRole::Discharge;
};

}  // namespace klv

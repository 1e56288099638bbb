#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/text_grid.h"
#include "data/cycle_page.h"
#include "data/cycle_source.h"
#include "data/data_loader.h"
#include "data/view_ranges.h"
#include "view/curve_graph.h"

namespace klv {

enum class ViewerView { All, DischargeTime, DischargeCapacity, ChargeTime, ChargeCapacity, Capacity };
inline constexpr int kViewerViews = 6;

// "全部-时间", "放电-时间", "放电-容量", "充电-时间", "充电-容量", "容量-次数".
const char* viewCaption(ViewerView view);
std::optional<ViewerView> viewNamed(const std::string& caption);

// What the viewer takes over from the main window's first device graph. The defaults are
// that graph's look with no configuration file.
struct ViewerLook {
    int voltageColor = 0xFF0000, currentColor = 0x0000FF;
    int gridType1 = 0, gridType2 = 2;
    int gridColor = 0x808080, backColor = 0xFFFFFF, axesColor = 0;
};
ViewerLook lookOf(const CurveGraph& deviceGraph);

// A loaded test made ready to show, away from the window's thread: the records turned into
// the whole-test voltage and current curves (records of 5.5 V or more left out) and their ranges,
// and its cycles.
struct PreparedTest {
    LoadedData data;  // without its records
    CurvePoints voltage, current;
    ViewRanges ranges;
    CycleSource cycles;
};
PreparedTest prepareTest(LoadedData data);

// One point of a step trace: time within the step, voltage, current.
struct SegmentPoint {
    float seconds = 0, voltage = 0, current = 0;
};

// The data viewer without its window: one test loaded from its data and result files,
// its step and result tables, and its graph under one of six views.
class DataViewer {
public:
    static constexpr int kStepColumns = 6;
    static constexpr int kResultCells = 6;
    static constexpr int kResultRowsAtStart = 11;
    static constexpr float kUnplottedVoltage = 5.5f;

    explicit DataViewer(const ViewerLook& look = {});

    CurveGraph& graph() { return graph_; }
    const CurveGraph& graph() const { return graph_; }
    const TextGrid& stepTable() const { return steps_; }
    const TextGrid& resultTable() const { return resultTable_; }
    // The cycles page, filled by a whole load.
    CyclePage& cycles() { return cycles_; }
    const std::string& deviceLabel() const { return deviceLabel_; }
    const std::string& channelLabel() const { return channelLabel_; }
    // Every row of the loaded result file, and whether the last refresh listed it.
    const std::vector<std::vector<std::string>>& results() const { return results_; }
    const std::vector<bool>& listed() const { return listed_; }
    ViewerView view() const { return view_; }

    bool canExport() const { return canExport_; }
    bool canRefresh() const { return canRefresh_; }

    // Opening runs in halves so that loading can run away from the window: beginOpen empties
    // everything, finishOpen takes what was loaded and prepared and draws it when it is whole.
    void beginOpen();
    void finishOpen(PreparedTest test);
    void finishOpen(LoadedData data) { finishOpen(prepareTest(std::move(data))); }

    // Lists the rows of a view and draws it. A damaged result row ends the refresh where it
    // stands, without a message.
    void refresh(ViewerView view);
    // "显示标识": a curve's legend shows when the curve does and legends are on.
    void showLegends(bool on);
    // Draws the last refresh or open again, for a plot that changed its size.
    void redraw();

    // The same in pieces, for a window that lets its events run between them: listView lists
    // the rows (false: nothing to draw), startDrawing sets the graph up for the view, and each
    // drawMore draws the next step trace, or all of any other view; true while more is left.
    bool listView(ViewerView view);
    void startDrawing();
    bool drawMore();

    // Empty as when made, in the given look: what the viewer shows when it opens.
    void reset(const ViewerLook& look);

private:
    void applyLook(const ViewerLook& look);
    bool walkResults(ViewerView view);
    void listRow(const std::vector<std::string>& row);
    void drawNextTrace();
    void drawCapacities();
    void drawWhole();

    CurveGraph graph_;
    CyclePage cycles_;
    ViewerLook look_;
    TextGrid steps_, resultTable_;
    std::string deviceLabel_, channelLabel_, title_;
    std::vector<std::vector<std::string>> results_;
    std::vector<bool> listed_;
    bool hasTest_ = false;  // a completed load: refresh has something to work on
    bool canExport_ = false, canRefresh_ = false;
    ViewerView view_ = ViewerView::All;
    ViewRanges ranges_, loadedRanges_;
    int displayRow_ = 1;
    std::vector<SegmentPoint> segments_;
    size_t drawnSegments_ = 0;  // of segments_, while a step view draws
    bool drawPending_ = false;  // startDrawing ran and drawMore has more to do
    std::vector<float> dischargeCaps_, chargeCaps_;
};

}  // namespace klv

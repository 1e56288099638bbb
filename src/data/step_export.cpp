#include "data/step_export.h"

#include <cmath>
#include <optional>

#include "common/brand.h"
#include "common/format.h"
#include "common/number_text.h"
#include "data/data_viewer.h"
#include "platform/text_file.h"
#include "program/program_tables.h"

namespace klv {

namespace {

// The step rows of the viewer's walk through the points of curves 0 (voltage) and 1 (current).
class PointWalk {
public:
    explicit PointWalk(const CurveGraph& graph) : graph_(graph), points_(graph.DpCnt(0)) {}

    bool exhausted() const { return p_ >= points_; }
    void startStep() { t0_ = std::nearbyint(graph_.DpX(0, p_)); }
    bool inStep(long long duration) const
    {
        return p_ < points_ && graph_.DpX(0, p_) - t0_ < static_cast<double>(duration);
    }
    void skip(long long duration)
    {
        while (inStep(duration))
            ++p_;
    }
    // The CSV lines of the points of a step that carry current.
    void take(long long duration, std::vector<std::string>& lines)
    {
        for (; inStep(duration); ++p_) {
            const float current = graph_.DpY(1, p_);
            if (current > 0)
                lines.push_back(shortText(static_cast<float>(graph_.DpX(0, p_) - t0_)) + "," + fmt00_00(current) + "," +
                                fmt0_000(graph_.DpY(0, p_)));
        }
    }

private:
    const CurveGraph& graph_;
    const int points_;
    int p_ = 0;
    double t0_ = 0;
};

// Lines 1..9 of a step file; nothing when the row names no step of the table.
std::optional<std::vector<std::string>> stepHeader(const DataViewer& viewer, const std::vector<std::string>& row)
{
    const auto step = parseCellNumber(row[1]);
    if (!step || *step != std::floor(*step) || *step < 1 || *step > kStepRows)
        return std::nullopt;
    const TextGrid& table = viewer.stepTable();
    const int s = static_cast<int>(*step);
    return std::vector<std::string>{
        "设备:" + viewer.deviceLabel(),
        "通道:" + viewer.channelLabel(),
        "循环:" + row[0],
        "工步:" + row[1],
        "模式:" + table.at(s, 1) + "," + table.at(s, 2) + "," + table.at(s, 3) + "," + table.at(s, 4) + "," +
            table.at(s, 5),
        "容量:" + row[3] + "Ah",
        "能量:" + row[4] + "Wh",
        kBannerLine,
        "Time(S),Cur(A),Vol(V)",
    };
}

}  // namespace

StepExport exportSteps(const DataViewer& viewer, const std::string& base)
{
    StepExport out;
    PointWalk walk(viewer.graph());
    const auto& results = viewer.results();
    for (size_t r = 0; r < results.size(); ++r) {
        const std::vector<std::string>& row = results[r];
        if (r > 0) {
            if (walk.exhausted()) {
                out.finished = true;
                return out;
            }
            walk.startStep();
        }
        const auto duration = stepTimeSeconds(row[5]);
        if (!duration)
            return out;
        if (!viewer.listed()[r] || row[2] == "搁置") {
            walk.skip(*duration);
            continue;
        }
        if (row[1].empty())
            break;
        auto lines = stepHeader(viewer, row);
        if (!lines)
            return out;
        walk.take(*duration, *lines);
        const std::string path = base + "-" + row[0] + "-" + row[1] + ".csv";
        if (!writeLines(path, *lines))
            return out;
        out.files.push_back(path);
    }
    out.finished = true;
    return out;
}

}  // namespace klv

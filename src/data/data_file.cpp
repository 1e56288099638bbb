#include "data/data_file.h"

#include <stdexcept>

#include "data/data_lines.h"
#include "platform/text_file.h"
#include "station.h"

namespace klv {

namespace {

// One record line per point of the channel's voltage curve, the current taken from its
// current curve at the same index. Returns the point count; a point that is not there throws.
int addRecordLines(const Station& station, int slot, std::vector<std::string>& lines)
{
    const int device = deviceOfSlot(slot);
    const int voltageCurve = 2 * channelOfSlot(slot);
    const CurveGraph& graph = station.ui.graphs.at(static_cast<size_t>(device));
    const int scale = station.link.devices.at(static_cast<size_t>(device)).readingCurrentScale;
    const int points = graph.DpCnt(voltageCurve);
    for (int i = 0; i < points; ++i)
        lines.push_back(
            sampleLine(graph.DpX(voltageCurve, i), graph.DpY(voltageCurve + 1, i), graph.DpY(voltageCurve, i), scale));
    return points;
}

// Results-table rows from row 1 down to the first row without a loop pass.
void addResultRows(const TextGrid& gridList, std::vector<std::string>& lines)
{
    for (int row = 1; row < gridList.rows && !gridList.at(row, 0).empty(); ++row)
        lines.push_back(resultLine(gridList, row));
}

}  // namespace

void writeDataFiles(const Station& station, int slot, const std::string& base)
{
    // Lines are gathered and written at once; a table that is not there ends the gathering,
    // and what was gathered before it is still written, as a file written line by line would keep it.
    std::vector<std::string> data;
    int points = 0;
    try {
        data = dataHeaderLines(station, slot);
        points = addRecordLines(station, slot, data);
    } catch (const std::exception&) {
        points = 0;
    }
    if (data.empty() || !writeLines(base + ".dat", data))
        return;
    if (points == 0) {
        // A result file left by an earlier test under this name would be read with these data.
        removeFile(base + ".run");
        return;
    }

    std::vector<std::string> results;
    try {
        results = resultHeaderLines(station, slot);
        addResultRows(station.run.slots.at(static_cast<size_t>(slot)).gridList, results);
    } catch (const std::exception&) {
    }
    if (!results.empty())
        writeLines(base + ".run", results);
}

}  // namespace klv

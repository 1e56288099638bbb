#include "data/data_file_copy.h"

#include <algorithm>
#include <stdexcept>

#include "data/data_lines.h"
#include "platform/file_replacement.h"
#include "platform/text_file.h"
#include "station.h"

namespace klv {

namespace {

// The channel's two curves. False when the current curve lacks a point of the voltage curve.
bool copyRecords(const Station& station, int slot, DataFileCopy& copy)
{
    const int device = slot / kChannelsPerDevice;
    const int voltageCurve = 2 * (slot % kChannelsPerDevice);
    const CurveGraph& graph = station.ui.graphs.at(device);
    copy.readingCurrentScale = station.link.devices.at(device).readingCurrentScale;
    graph.copyPoints(voltageCurve, copy.voltages);
    graph.copyPoints(voltageCurve + 1, copy.currents);
    return copy.voltages.size() <= copy.currents.size();
}

size_t recordCount(const DataFileCopy& copy) { return std::min(copy.voltages.size(), copy.currents.size()); }

// Lines of base.dat in blocks of about a megabyte, each written as soon as it is full; the
// file takes the place of an earlier one only when the last block is on disk.
class BlockWriter {
public:
    explicit BlockWriter(const std::string& path) : file_(path) { block_.reserve(kBlock + 256); }

    bool ok() const { return file_.ok(); }
    std::string& block() { return block_; }
    void lineDone()
    {
        block_ += "\r\n";
        if (block_.size() >= kBlock)
            flush();
    }
    bool commit()
    {
        flush();
        return file_.commit();
    }

private:
    static constexpr size_t kBlock = 1 << 20;
    void flush()
    {
        file_.write(block_);
        block_.clear();
    }
    FileReplacement file_;
    std::string block_;
};

}  // namespace

DataFileCopy copyDataFiles(const Station& station, int slot, const std::string& base)
{
    DataFileCopy copy;
    copy.base = base;
    try {
        copy.cell = station.run.slots.at(slot).cell;
        copy.dataHeader = dataHeaderLines(station, slot);
        copy.recordsWhole = copyRecords(station, slot, copy);
    } catch (const std::exception&) {
        copy.recordsWhole = false;
    }
    if (copy.dataHeader.empty() || !copy.recordsWhole || copy.voltages.empty())
        return copy;
    try {
        copy.resultLines = resultHeaderLines(station, slot);
        const TextGrid& gridList = station.run.slots.at(slot).gridList;
        for (int row = 1; row < gridList.rows && !gridList.at(row, 0).empty(); ++row)
            copy.resultLines.push_back(resultLine(gridList, row));
    } catch (const std::exception&) {
    }
    return copy;
}

bool writeDataFiles(const DataFileCopy& copy)
{
    if (copy.dataHeader.empty())
        return true;
    {
        BlockWriter dat(copy.base + ".dat");
        if (!dat.ok())
            return false;
        for (const std::string& line : copy.dataHeader) {
            dat.block() += utf8ToGbk(line);
            dat.lineDone();
        }
        for (size_t i = 0; i < recordCount(copy) && dat.ok(); ++i) {
            const CurvePoint& voltage = copy.voltages[i];
            appendSampleLine(dat.block(), voltage.x, copy.currents[i].y, voltage.y, copy.readingCurrentScale);
            dat.lineDone();
        }
        if (!dat.commit())
            return false;
    }
    // A cell file left by an earlier test under this name would name the wrong cell.
    if (!recordCell(copy.base, copy.cell))
        return false;
    if (!copy.recordsWhole || copy.voltages.empty()) {
        // A result file left by an earlier test under this name would be read with these data.
        removeFile(copy.base + ".run");
        return true;
    }
    return copy.resultLines.empty() || writeLines(copy.base + ".run", copy.resultLines);
}

}  // namespace klv

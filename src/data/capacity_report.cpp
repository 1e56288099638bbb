#include "data/capacity_report.h"

#include <stdexcept>

#include "common/format.h"
#include "data/save_ops.h"
#include "platform/text_file.h"

namespace klv {

TextGrid newReportTable()
{
    TextGrid report;
    report.resize(kReportRows, kReportColumns);
    report.at(0, 0) = "通道";
    for (int c = 1; c < kReportColumns; ++c)
        report.at(0, c) = c % 2 == 1 ? "工步" : "容量(Ah)";
    return report;
}

bool reportRowShaded(int row) { return row >= 2 && row % 2 == 0; }

TextGrid fillReport(const CapacitySnapshot& snapshot, std::stop_token stop)
{
    TextGrid report = newReportTable();
    int row = 0;
    try {
        for (const ChannelResults& channel : snapshot.channels) {
            if (stop.stop_requested())
                break;
            if (!channel.connected)
                continue;
            const auto steps = selectedSteps(channel.results, snapshot.query, kReportEntries);
            if (!steps.empty()) {
                ++row;
                report.at(row, 0) =
                    " " + std::to_string(channel.device + 1) + "-" + std::to_string(channel.channel + 1);
            }
            for (size_t e = 0; e < steps.size(); ++e) {
                const int u = static_cast<int>(2 * e);
                report.at(row, u + 1) =
                    std::to_string(steps[e].cycle) + "-" + std::to_string(steps[e].step) + " " + steps[e].mode;
                report.at(row, u + 2) = fmt0_000(steps[e].capacity);
            }
        }
    } catch (const std::exception&) {
        // A damaged results row: the report keeps what it has.
    }
    return report;
}

std::vector<std::string> reportCsvLines(const TextGrid& report)
{
    std::vector<std::string> lines;
    for (int r = 0; r < report.rows; ++r) {
        std::string line;
        if (!report.at(r, 0).empty())
            for (int c = 0; c < report.cols; ++c)
                line += report.at(r, c) + ",";
        lines.push_back(line);
    }
    return lines;
}

bool saveReport(const TextGrid& report, const std::string& chosen)
{
    return writeLines(pathWithExtension(chosen, "csv"), reportCsvLines(report));
}

}  // namespace klv

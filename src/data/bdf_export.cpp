#include "data/bdf_export.h"

#include <algorithm>

#include "common/format.h"
#include "data/data_loader.h"
#include "data/file_csv.h"
#include "data/step_spans.h"

namespace klv {

std::string bdfText(const LoadedData& data)
{
    const std::vector<StepSpan> spans = stepSpans(data.results);
    std::string out = std::string(kBdfHeader) + "\n";
    for (const LoadedRecord& r : data.records) {
        const std::size_t i = spanIndexOf(spans, r.seconds);
        // A record after every row's end belongs to the last step run.
        const std::size_t at = spans.empty() ? 0 : std::min(i, spans.size() - 1);
        const StepSpan span = spans.empty() ? StepSpan{} : spans[at];
        const bool negative = span.discharge && r.current != 0;
        out += std::to_string(r.seconds) + "," + shortText(r.voltage) + "," + (negative ? "-" : "") +
               shortText(r.current) + "," + std::to_string(span.cycle) + "," + std::to_string(at + 1) + "," +
               std::to_string(span.step) + "\n";
    }
    return out;
}

bool exportBdf(const std::string& datPath, const std::string& csvPath, std::string& error)
{
    return writeCsvOfFile(datPath, csvPath, bdfText, error);
}

}  // namespace klv

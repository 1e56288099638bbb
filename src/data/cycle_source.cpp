#include "data/cycle_source.h"

#include "data/data_viewer.h"
#include "data/step_spans.h"

namespace klv {

const CycleSource::Runs& CycleSource::recordsOf(int cycle, StepRole role) const
{
    static const Runs none;
    const auto found = records.find({cycle, role});
    return found == records.end() ? none : found->second;
}

CycleSource cycleSource(const LoadedData& data)
{
    CycleSource source;
    source.rows = cycleRows(stepTotals(data));
    const std::vector<StepSpan> spans = stepSpans(data.results);
    size_t current = spans.size();
    std::vector<LoadedRecord>* run = nullptr;
    for (const LoadedRecord& r : data.records) {
        const size_t i = spanIndexOf(spans, r.seconds);
        if (i != current) {
            current = i;
            run = nullptr;
            const StepRole role = i < spans.size() ? stepRole(spans[i], data.results[i]) : StepRole::Other;
            if (role != StepRole::Other)
                run = &source.records[{spans[i].cycle, role}].emplace_back();
        }
        if (run && r.voltage < DataViewer::kUnplottedVoltage)
            run->push_back(r);
    }
    return source;
}

}  // namespace klv

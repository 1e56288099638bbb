#include "data/step_spans.h"

#include <algorithm>

#include "common/number_text.h"
#include "data/data_loader.h"
#include "program/step_program.h"

namespace klv {

bool spanOfRow(const std::vector<std::string>& row, long long startSeconds, StepSpan& span)
{
    if (row.size() < 6)
        return false;
    const auto cycle = parseCellNumber(row[0]), step = parseCellNumber(row[1]);
    const auto seconds = stepTimeSeconds(row[5]);
    if (!cycle || !step || !seconds)
        return false;
    span.cycle = static_cast<int>(*cycle);
    span.step = static_cast<int>(*step);
    span.discharge = row[2] == stepModeLabel(kStepDischarge);
    span.endSeconds = startSeconds + *seconds;
    return true;
}

std::vector<StepSpan> stepSpans(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<StepSpan> spans;
    StepSpan span;
    for (const auto& row : rows) {
        if (!spanOfRow(row, spans.empty() ? 0 : spans.back().endSeconds, span))
            break;
        spans.push_back(span);
    }
    return spans;
}

std::size_t spanIndexOf(const std::vector<StepSpan>& spans, double seconds)
{
    const auto it = std::lower_bound(spans.begin(), spans.end(), seconds,
                                     [](const StepSpan& s, double t) { return double(s.endSeconds) < t; });
    return static_cast<std::size_t>(it - spans.begin());
}

}  // namespace klv

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace klv {

// One executed step as its result row tells it, with the test time at which it ended.
struct StepSpan {
    long long endSeconds = 0;  // running total of the step times up to and including this row
    int cycle = 1, step = 1;
    bool discharge = false;
};

// The spans of result rows of six cells, in order; reading stops at the first unreadable row.
std::vector<StepSpan> stepSpans(const std::vector<std::vector<std::string>>& rows);
// A result row as a span ending at endSeconds; false when its loop pass or step is no number.
bool spanOfRow(const std::vector<std::string>& row, long long startSeconds, StepSpan& span);

// The index of the span a sample taken at `seconds` belongs to: the first whose end it does
// not pass, so a sample taken at a step's last second stays with that step; spans.size()
// when it lies beyond them all. Live recording and the export both place samples so.
std::size_t spanIndexOf(const std::vector<StepSpan>& spans, double seconds);

}  // namespace klv

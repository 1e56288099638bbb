// The data file loader on any data file and result file: it reads what it can and says whether
// it read both to their end; whatever it returns holds together.
#include "data/data_loader.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace klv;
    const auto [dat, run] = fuzz::splitInput(data, size);
    // Without the cut there is no result file.
    const bool hasResults = run.data() != nullptr;
    const LoadedData loaded = loadDataBytes(dat, hasResults ? std::optional<std::string_view>(run) : std::nullopt);

    size_t lines = 1;
    for (char c : dat)
        lines += c == '\n';
    fuzz::require(loaded.records.size() + loaded.steps.size() <= lines, "no more records than lines");
    fuzz::require(hasResults || (!loaded.complete && loaded.results.empty()), "no results without a result file");
    for (const LoadedStep& step : loaded.steps)
        fuzz::require(step.number >= 1 && step.number <= 10, "step numbers of the step table");
    for (const auto& row : loaded.results)
        fuzz::require(row.size() == 6, "six cells a result row");
    return 0;
}

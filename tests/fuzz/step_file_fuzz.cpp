// The step file reader on any file: it fills only the step cells of the table.
#include "fuzz_input.h"
#include "platform/text_file.h"
#include "program/program_tables.h"
#include "program/step_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace klv;
    static const TextGrid fresh = newStepTable();
    TextGrid table = newStepTable();
    readStepLines(decodeLines(std::string_view(reinterpret_cast<const char*>(data), size)), table);
    fuzz::require(table.rows == fresh.rows && table.cols == fresh.cols, "the table keeps its shape");
    for (int c = 0; c < table.cols; ++c)
        fuzz::require(table.at(0, c) == fresh.at(0, c), "the title row stays");
    for (int r = 0; r < table.rows; ++r)
        fuzz::require(table.at(r, kColStepNo) == fresh.at(r, kColStepNo), "the step numbers stay");
    return 0;
}

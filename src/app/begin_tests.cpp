#include "app/begin_tests.h"

#include "common/screen_text.h"
#include "platform/text_file.h"
#include "program/program_tables.h"
#include "program/step_file.h"
#include "run/backup_files.h"
#include "station.h"

namespace klv {

std::optional<std::vector<int>> beginTests(Station& station, const StationOptions& options, std::string& error)
{
    auto slots = slotsOfChannels(station, options.resume ? *options.resume : options.channels);
    if (!slots) {
        error = screenText(KLV_TEXT("Message", "设备上没有这个通道 (no such channel on the bench)"));
        return std::nullopt;
    }
    TextGrid table = newStepTable();
    if (!options.program.empty() && !readStepFile(options.program, table)) {
        error = fillIn(screenText(KLV_TEXT("Message", "无法读取工步文件 (cannot read the step file): %1")),
                       {options.program});
        return std::nullopt;
    }
    for (const CellOption& named : options.cells) {
        const auto cellSlots = slotsOfChannels(station, named.channels);
        if (!cellSlots) {
            error = screenText(KLV_TEXT("Message", "设备上没有这个通道 (no such channel on the bench)"));
            return std::nullopt;
        }
        // A continued test keeps the cell it began with.
        for (int s : *cellSlots)
            if (!options.resume)
                station.run.slots[s].cellToStart = named.cell;
    }
    if (options.resume)
        std::erase_if(*slots, [&](int s) { return !fileExists(backupBaseName(station, s) + ".bk1"); });
    station.run.autoSave = options.autosave;
    startSlots(station, *slots, options.program.empty() ? nullptr : &table,
               options.resume ? ChannelOp::Continue : ChannelOp::Start);
    return slots;
}

}  // namespace klv

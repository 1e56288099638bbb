#pragma once

#include <string>
#include <vector>

#include "common/text_grid.h"
#include "data/test_cell.h"
#include "link/registry.h"
#include "program/program_tables.h"

namespace klv {

inline constexpr int kResultColumns = 6;  // loop pass, step, mode, Ah, Wh, step time
inline constexpr int kResultRowsAtStart = 11;
inline constexpr int kColorButtonFace = static_cast<int>(0x8000000F);

enum StepPhase : int { kPhaseLoad = 0, kPhaseStarting = 1, kPhaseRunning = 2 };

// Per channel slot: where the channel stands in its test. The set values of the
// step being run live with the command parameters in the link tables.
struct RunSlot {
    bool busy = false;
    bool testFinished = false;
    bool resume = false;
    int phase = kPhaseLoad;
    int currentStep = 1;
    int loopPass = 1;
    int stepTimeLimit = 0;  // seconds; 0 or less: no limit
    int stepSeconds = 0;
    int resumedStepSeconds = 0;
    int testSeconds = 0;
    float energyOffset = 0;
    float lastRunningVoltage = 0;
    float lastRunningCurrent = 0;
    bool voltageError = false;
    bool currentError = false;
    std::string backupBase;  // empty: no backup files
    TestCell cell;           // the cell of the slot's test, current or last; kept as backupBase + ".cell"
    TestCell cellToStart;    // named for the slot's next start, which takes it
    // Backup lines the disk refused, in order, written ahead of the next ones (backup_files.h).
    std::vector<std::string> unwrittenSamples, unwrittenResults;
    bool backupFailing = false;   // the failure has been said; said again after the next success
    bool backupUnsynced = false;  // lines were appended since the backups were last synced

    // Plotting memory of live data handling.
    int timeAxisEnd = 0;
    float volTop = 0, volBottom = 0, curTop = 0, curBottom = 0;

    // The step results table (gridList): row 0 fixed, results from row 1.
    TextGrid gridList;
    // Background colour of column 0 of step-table rows 1..10 (index 0 unused).
    IndexTable<int, kStepRows + 1> stepRowColor{};

    RunSlot()
    {
        gridList.resize(kResultRowsAtStart, kResultColumns);
        stepRowColor.fill(kColorButtonFace);
    }
};

struct RunTables {
    IndexTable<RunSlot, kSlotTableSize> slots{};
    bool autoSave = false;  // the "自动保存" menu check mark
    // Tests a continue found but did not take up, said together when the continue is done.
    std::vector<std::string> unitRefusals;
};

}  // namespace klv

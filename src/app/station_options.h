#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/test_cell.h"
#include "run/bench_start.h"

class QTranslator;

namespace klv {

// --cell LIST=ID[:NOMINAL]: the cell the tests started on those channels run on.
struct CellOption {
    std::vector<ChannelName> channels;  // empty: every present channel
    TestCell cell;
};

// One command line for the window and for --headless; the options mean the same in both.
struct StationOptions {
    bool headless = false;
    std::string home;  // the program folder; empty: next to the executable, else per user
    int port = 0;      // 0: do not connect at start
    int from = 1, to = 6;
    int seconds = -1;                                // headless monitoring: until a signal when negative
    std::string program;                             // a step file to apply and start
    std::vector<ChannelName> channels;               // empty: every present channel
    std::optional<std::vector<ChannelName>> resume;  // --continue: those channels (empty: all)
    std::vector<CellOption> cells;  // in the order given; a later one names a channel's cell over an earlier
    bool autosave = false;
    std::string snapshot;  // a picture of the main window, rewritten every `every` seconds
    int every = 0;
    // Batch exports without a window: the step CSVs or a picture of one data file.
    std::string exportSteps, picture;       // the data file
    std::string target;                     // BASE of the CSVs, or the picture file
    std::string view;                       // the view drawn; empty: "全部-时间"
    std::string lang;                       // "zh", "en" or empty: klv.ini, then the system
    std::string exportBdf;                  // the data file to write as a Battery Data Format CSV to `target`
    std::vector<std::string> exportCycles;  // data files whose cycle tables are written, then exit
    std::string outFolder;                  // where those go; empty: beside each file
    std::string labUrl, stationName;        // the lab database and the bench's name there; empty: from klv.ini
};

enum class ParseOutcome { Run, Exit, Error };

// Parse argv (without the program name). Exit: --help or --version printed their text;
// Error: the message is in `message`.
// The help and its errors are in the language of `texts` (none: as written here).
ParseOutcome parseStationOptions(const std::vector<std::string>& args, StationOptions& options, std::string& message,
                                 const QTranslator* texts = nullptr);

}  // namespace klv

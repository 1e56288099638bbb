#pragma once

#include <memory>

#include "app/station_options.h"
#include "lab/lab_store.h"

class QMainWindow;

namespace klv {

struct Station;

// The station's lab store when --lab or [LAB] URL= names a database, wired as the station's
// lab feed; nothing without one. The store's sender thread starts here.
std::unique_ptr<lab::LabStore> openLab(Station& station, const StationOptions& options);

// The status-bar field "实验室库: …" of the window, with the reason as its tooltip.
void showLabInStatusBar(QMainWindow& window, lab::LabStore& store);

// --export-bdf FILE.dat OUT.csv: 0 when written, 1 with the reason on stderr otherwise.
int runExportBdf(const std::string& dat, const std::string& csv);

}  // namespace klv

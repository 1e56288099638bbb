#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace klv {

struct Station;

// Sums over the last stretch of current flow in a replay of ".bk0" samples, from which a
// continued step gets back its capacity, energy and seconds. One zero-current sample is taken
// as a dip; a second one in a row ends the stretch.
class FlowSums {
public:
    void add(int seconds, float current, float voltage);
    double ampSeconds() const { return charge_; }
    double wattSeconds() const { return energy_; }
    int seconds() const;

private:
    double charge_ = 0, energy_ = 0;
    long long seconds_ = 0;
    long long previous_ = 0;
    bool zeroSeen_ = false;
};

enum class RestoreOutcome {
    Missing,     // no such file: nothing restored
    Restored,    // read to its end
    Unreadable,  // a number field could not be read: stopped at that line, what came before stays
};

// Both readers leave out a last line torn by a power cut (the file does not end in its line
// end) and cut it off the file; an unreadable line anywhere else stops the reading.

// Reads a ".bk0" back into the slot: "工步:" lines into the step table with the step and loop
// count, sample lines replayed onto the device's graph, and at the end of the file the capacity
// and energy of the last stretch of current flow as offsets, its seconds as the step seconds
// and the last sample's time as the test seconds.
RestoreOutcome restoreSamples(Station& station, int slot, const std::string& path);

// Reads a ".bk1" back: each result line fills the next results-table row, which gains a row,
// and the current step and loop pass move on past it (to the next pass after the last step).
RestoreOutcome restoreResults(Station& station, int slot, const std::string& path);

// What the two readers read from a backup file's bytes: its whole lines in UTF-8, a torn last
// line left out, and the same restoring from those lines.
std::vector<std::string> backupLines(std::string_view content);
RestoreOutcome restoreSampleLines(Station& station, int slot, const std::vector<std::string>& lines);
RestoreOutcome restoreResultLines(Station& station, int slot, const std::vector<std::string>& lines);

}  // namespace klv

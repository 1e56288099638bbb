#pragma once

namespace klv {

struct Station;

// The four legend swatches of the overview page, in their order on the page.
enum class LegendItem { Voltage, Current, Capacity, Energy };

// The "DISP" key that keeps a swatch's colour: VOLCOL, CURCOL, CAPCOL, PWRCOL.
const char* legendKey(LegendItem item);
// A chosen colour: the swatch takes it, its key is written, and every tile of a channel that
// exists shows that value in it.
void setLegendColour(Station& station, LegendItem item, int colour);
// The legend colours on every tile of a channel that exists, as connecting gives them.
void applyLegendColours(Station& station, int device, int channel);

}  // namespace klv

#pragma once

#include <QString>

namespace klv {

struct Station;
struct TestCell;

// "电芯 B2412-007, 标称 2.5 Ah": the cell as the tile's tooltip and the detail page show it;
// empty when the test names none.
QString cellText(const TestCell& cell);

// The "电芯" field of a channel start: asks for ID[:NOMINAL] and keeps it for the slot's next
// start (nothing typed: no cell). False, said in a message box, when the text is refused.
bool askCellToStart(Station& station, int slot);

}  // namespace klv

#pragma once

#include <string>

namespace klv {

struct Station;

// The nine menu operations, by scope.
enum class ChannelOp { Start, Continue, Stop };
enum class OpScope { Device, Channel, Selected };

// The confirmation text of an operation on the current device and selected channel; empty
// while the scope has no current device or channel, and then the operations below do nothing.
std::string confirmationText(const Station& station, ChannelOp op, OpScope scope);
// Carry out an operation the operator has confirmed: history line (list and
// system log), then the per-channel action over the scope.
void runConfirmedOp(Station& station, ChannelOp op, OpScope scope);
// Ask for confirmation through the message box routine, then run it; false when cancelled.
bool runMenuOp(Station& station, ChannelOp op, OpScope scope);

}  // namespace klv

#pragma once

namespace klv {

struct Station;

struct PollTickReport {
    bool timerOff = false;   // disconnected: the port is closed and the timer must stop
    bool skipped = false;    // a tick was still waiting for an answer
    int answersDecoded = 0;  // complete answers this tick
};

// One tick of the polling timer: a channel frame to each registered device in turn.
PollTickReport pollTick(Station& station);

}  // namespace klv

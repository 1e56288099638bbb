#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace klv::lab {

// Every outbox segment begins each test's rows with the row of the test itself, so a segment
// never depends on one sent (or set aside) before it; a test row sent again adds nothing.
// Owned by the sender thread.
class TestCarry {
public:
    // The lines for the open segment, with the test rows they need put before them.
    std::vector<std::string> carried(const std::vector<std::string>& lines);
    // The lines given by carried() are in the open segment.
    void kept();
    // The open segment is closed: the next one carries its tests again.
    void sealed() { inSegment_.clear(); }

private:
    std::map<std::string, std::string> tests_;  // test id → its row, until the test has ended
    std::set<std::string> inSegment_;           // tests whose row the open segment holds
    std::set<std::string> pendingIn_, pendingEnded_;
};

}  // namespace klv::lab

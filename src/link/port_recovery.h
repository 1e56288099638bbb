#pragma once

#include <string>

#include "link/conversation.h"

namespace klv {

struct Station;

// How often a lost port is opened again, and a unit missing since then asked who it is.
inline constexpr std::uint32_t kRecoveryEveryMs = 2000;

// The port went away on its own: every unit is offline and missing until it answers its
// identity again, and the loss is said once.
void losePort(Station& station, const std::string& reason);

// A reopen, or an identity query of a missing unit, is due.
bool recoveryDue(Station& station);

// Opens the lost port by its number and asks each missing unit at its bus address who it is;
// only the same model there is taken up again, so a test goes on only on its own unit.
class PortRecovery final : public Conversation {
public:
    explicit PortRecovery(Station& station) : station_(station) {}
    std::optional<LinkRequest> next() override;
    void take(const LinkReply& reply) override;

private:
    void finish();

    Station& station_;
    enum class Stage { Open, Identify, Done } stage_ = Stage::Open;
    bool reopened_ = false;
    int device_ = -1;  // the missing unit asked last
};

// After a unit's first answer since the port came back: a channel it no longer runs, though
// it ran when the port was lost, stopped in the gap, and the station says so.
void sayStopsInGap(Station& station, int device);

}  // namespace klv

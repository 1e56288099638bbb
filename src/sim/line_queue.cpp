#include "sim/line_queue.h"

#include <algorithm>

namespace klv::sim {

void LineQueue::schedule(const Bytes& answer, std::uint64_t writeUs, size_t requestLength, std::uint32_t delayMs,
                         bool lineTiming)
{
    std::uint64_t startUs = writeUs + std::uint64_t{delayMs} * 1000;
    std::uint64_t bytesOnLine = lineTiming ? requestLength : 0;
    for (std::uint8_t b : answer) {
        if (lineTiming)
            ++bytesOnLine;
        std::uint64_t dueUs = startUs + bytesOnLine * kBitsPerByte * 1'000'000 / kBaud;
        if (!bytes_.empty())
            dueUs = std::max(dueUs, bytes_.back().dueUs);
        bytes_.push_back({b, dueUs});
    }
}

int LineQueue::dueCount(std::uint64_t nowUs) const
{
    auto firstLater = std::find_if(bytes_.begin(), bytes_.end(), [&](const Pending& p) { return p.dueUs > nowUs; });
    return static_cast<int>(firstLater - bytes_.begin());
}

Bytes LineQueue::takeDue(std::uint64_t nowUs)
{
    Bytes out;
    while (!bytes_.empty() && bytes_.front().dueUs <= nowUs) {
        out.push_back(bytes_.front().byte);
        bytes_.pop_front();
    }
    return out;
}

std::optional<std::uint64_t> LineQueue::nextDueUs() const
{
    if (bytes_.empty())
        return std::nullopt;
    return bytes_.front().dueUs;
}

}  // namespace klv::sim

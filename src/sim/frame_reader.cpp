#include "sim/frame_reader.h"

#include <algorithm>

#include "link/frame.h"

namespace klv::sim {

namespace {
constexpr unsigned kMaxRequestPayload = 64;  // eight start entries
}

std::vector<Bytes> FrameReader::feed(const Bytes& bytes)
{
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    std::vector<Bytes> frames;
    for (;;) {
        buffer_.erase(buffer_.begin(), std::find(buffer_.begin(), buffer_.end(), kFrameStart));
        if (buffer_.size() < 4)
            return frames;
        if (buffer_[3] > kMaxRequestPayload) {  // no request is that long: not a start byte
            buffer_.erase(buffer_.begin());
            continue;
        }
        if (buffer_.size() < buffer_[3] + 6u)
            return frames;
        Bytes frame(buffer_.begin(), buffer_.begin() + buffer_[3] + 6);
        if (frame.back() == kFrameEnd && verifyChecksum(frame, 4, static_cast<int>(frame.size()) - 2)) {
            frames.push_back(std::move(frame));
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(frames.back().size()));
        } else {
            buffer_.erase(buffer_.begin());
        }
    }
}

}  // namespace klv::sim

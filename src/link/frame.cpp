#include "link/frame.h"

#include <algorithm>
#include <cmath>

namespace klv {

Bytes buildFrame(std::uint8_t address, std::uint8_t frameType, const Bytes& payload)
{
    Bytes frame(payload.size() + 6);
    frame[0] = kFrameStart;
    frame[1] = address;
    frame[2] = frameType;
    frame[3] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), frame.begin() + 4);
    frame[frame.size() - 2] = checksum(frame, 4, static_cast<int>(frame.size()) - 3);
    frame[frame.size() - 1] = kFrameEnd;
    return frame;
}

std::uint8_t checksum(const Bytes& bytes, int first, int last)
{
    std::uint8_t x = 0;
    for (int i = first; i <= last; ++i)
        x ^= bytes.at(static_cast<size_t>(i));
    return static_cast<std::uint8_t>(x % 240);
}

bool verifyChecksum(const Bytes& bytes, int first, int checkOffset)
{
    if (checkOffset < first || static_cast<size_t>(checkOffset) >= bytes.size())
        return false;
    return checksum(bytes, first, checkOffset - 1) == bytes[static_cast<size_t>(checkOffset)];
}

std::pair<std::uint8_t, std::uint8_t> encodePair(int n)
{
    return {static_cast<std::uint8_t>(n / 240), static_cast<std::uint8_t>(n % 240)};
}

int decodePair(std::uint8_t high, std::uint8_t low) { return high * 240 + low; }

std::optional<int> scaleSetValue(float value, int scale)
{
    double n = std::nearbyint(static_cast<double>(value) * scale);  // default rounding: halves to even
    if (!(n >= 0 && n <= kPairMax))
        return std::nullopt;
    return static_cast<int>(n);
}

float decodeTwoRange(int r) { return static_cast<float>(r < 32768 ? r * 0.001 : (r - 32768) * 0.01); }

float decodeThreeRange(int r)
{
    if (r < 32768)
        return static_cast<float>(r * 0.001);
    if (r < 53248)
        return static_cast<float>((r - 32768) * 0.01);
    return static_cast<float>((r - 53248) * 0.1);
}

std::optional<float> decodeCurrent(int r, int readingCurrentScale)
{
    if (r > 32767)
        return std::nullopt;
    return static_cast<float>(readingCurrentScale == 1000 ? r * 0.001 : r * 0.01);
}

}  // namespace klv

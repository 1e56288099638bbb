#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "platform/serial_port.h"

namespace klv {

inline constexpr std::uint8_t kFrameStart = 0xFA;
inline constexpr std::uint8_t kFrameEnd = 0xF8;
inline constexpr std::uint8_t kFrameIdentity = 0x00;
inline constexpr std::uint8_t kFrameChannel = 0x01;
inline constexpr int kPairMax = 57599;  // 239 × 240 + 239

// Start byte, address, type, length, payload, checksum, end byte.
Bytes buildFrame(std::uint8_t address, std::uint8_t frameType, const Bytes& payload);
// XOR of bytes first..last inclusive, reduced modulo 240.
std::uint8_t checksum(const Bytes& bytes, int first, int last);
// Checksum of first..checkOffset−1 against the byte at checkOffset; false when the bytes are too short.
bool verifyChecksum(const Bytes& bytes, int first, int checkOffset);

std::pair<std::uint8_t, std::uint8_t> encodePair(int n);
int decodePair(std::uint8_t high, std::uint8_t low);
// value × scale rounded half to even; nothing when the result cannot travel as a pair.
std::optional<int> scaleSetValue(float value, int scale);

float decodeTwoRange(int r);
float decodeThreeRange(int r);
// Current readings are computed in 16-bit signed arithmetic: nothing for r ≥ 32768.
std::optional<float> decodeCurrent(int r, int readingCurrentScale);

}  // namespace klv

#pragma once

#include <array>
#include <cstddef>

namespace klv {

// A fixed table indexed the way the station counts: device index, channel number or channel
// slot, all plain ints. Out-of-range access through at() throws as std::array's does.
template <typename T, int N>
struct IndexTable : std::array<T, static_cast<std::size_t>(N)> {
    using Base = std::array<T, static_cast<std::size_t>(N)>;
    T& operator[](int i) { return Base::operator[](static_cast<std::size_t>(i)); }
    const T& operator[](int i) const { return Base::operator[](static_cast<std::size_t>(i)); }
    T& at(int i) { return Base::at(static_cast<std::size_t>(i)); }
    const T& at(int i) const { return Base::at(static_cast<std::size_t>(i)); }
};

}  // namespace klv

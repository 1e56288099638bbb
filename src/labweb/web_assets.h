#pragma once

#include <cstddef>
#include <string_view>

namespace klv {

// The lab page's files, built with npm and compiled into klv-lab, so the program serves
// every byte of its page itself and needs no folder beside it.
struct WebAsset {
    const char* name;  // file name, "overview.js"
    const unsigned char* data;
    std::size_t size;

    std::string_view bytes() const { return {reinterpret_cast<const char*>(data), size}; }
};

extern const WebAsset kWebAssets[];
extern const std::size_t kWebAssetCount;

// The file of that name, or nullptr.
const WebAsset* findWebAsset(std::string_view name);
// The Content-Type for a file name by its extension.
const char* webContentType(std::string_view name);

}  // namespace klv

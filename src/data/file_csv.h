#pragma once

#include <functional>
#include <string>

namespace klv {

struct LoadedData;

// Load FILE.dat (and its .run) and write text made of it to csvPath as it stands (UTF-8, LF);
// false with the reason when the pair does not read to its end or the file cannot be written.
bool writeCsvOfFile(const std::string& datPath, const std::string& csvPath,
                    const std::function<std::string(const LoadedData&)>& text, std::string& error);

}  // namespace klv

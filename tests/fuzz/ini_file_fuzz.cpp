// The configuration file on any bytes: reads give a value no longer than the profile buffer,
// a key written is the key read back, and a write leaves every other line as it was.
#include "fuzz_input.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace klv;
    std::vector<std::string> lines = splitRawLines(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const char* key : {"COM", "Data", "COM1"})
        fuzz::require(readIniValue(lines, "PORTS", key, "none").size() <= 3 * 254, "a value within the buffer");
    const size_t before = lines.size();
    writeIniValue(lines, "Settings", "Com", "7");
    fuzz::require(lines.size() >= before && lines.size() <= before + 2, "a write adds at most a section and a key");
    fuzz::require(readIniValue(lines, "settings", "COM", "none") == "7", "the written key reads back");
    return 0;
}

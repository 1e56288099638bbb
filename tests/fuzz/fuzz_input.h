#pragma once

// What the reader fuzz targets share: a station with no bench behind it, the input cut into the
// bytes of two files, and a check that stops the fuzzer when a property does not hold.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/clock.h"
#include "platform/virtual_port_wait.h"
#include "station.h"
#include "support/null_port.h"

namespace klv::fuzz {

struct FuzzStation {
    VirtualClock clock{0, {2024, 3, 12, 9, 30, 5}};
    VirtualPortWait pump{clock};
    NullPort port;
    Station station{folder(), port, clock, pump};

    // The program folder: one of its own per process, on tmpfs, removed at exit. The readers
    // are fed bytes, but what they log goes to files.
    static const std::string& folder()
    {
        struct Folder {
            std::string path;
            Folder()
            {
                const char* shm = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
                path = std::string(shm) + "/klv-fuzz-" + std::to_string(getpid());
                std::filesystem::create_directories(path);
            }
            ~Folder()
            {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        };
        static const Folder made;
        return made.path;
    }
};

// The input cut in two at its first "\n#2#\n": the first file's bytes, then the second's
// (a data file and its result file, a .bk0 and its .bk1).
inline std::pair<std::string_view, std::string_view> splitInput(const std::uint8_t* data, size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kCut = "\n#2#\n";
    const size_t at = all.find(kCut);
    if (at == std::string_view::npos)
        return {all, {}};
    return {all.substr(0, at), all.substr(at + kCut.size())};
}

// Stops the fuzzer with a finding when a property of the reader's result does not hold.
inline void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace klv::fuzz

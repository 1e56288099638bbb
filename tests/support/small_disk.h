#pragma once

#include <string>

#include "support/temp_folder.h"

// A real filesystem of a few megabytes (tmpfs), to be filled up. Mounting needs root: when it
// cannot be had, reason() says why and the test skips.
class SmallDisk {
public:
    explicit SmallDisk(const char* size = "2M");
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    const std::string& path() const { return folder_.path(); }
    // Takes every free byte with one file; removing it gives the space back.
    std::string fill();

private:
    TempFolder folder_;
    std::string reason_;
};

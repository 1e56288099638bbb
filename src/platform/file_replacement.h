#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace klv {

// A whole file replaced at once: written beside under a temporary name, synced, renamed over
// the old one and the folder synced. A full disk or a power cut leaves the old file or the new
// one, never a part of either, and no empty file where none was.
// Owned by the thread that made it; one replacement per path at a time.
class FileReplacement {
public:
    explicit FileReplacement(std::string path);
    ~FileReplacement();  // an uncommitted replacement is thrown away, the old file kept
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool ok() const { return fd_ >= 0 && !failed_; }
    bool write(std::string_view bytes);
    // Puts the new file in place; false (and the old one kept) when any byte could not be written.
    bool commit();

private:
    void discard();
    void startWriteBack();
    std::string path_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
    std::uint64_t written_ = 0, startedUpTo_ = 0;
};

bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace klv

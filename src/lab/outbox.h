#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace klv::lab {

// The durable queue of rows for the lab database: numbered segment files of encoded lines in
// a folder. Lines are appended and synced to disk before they are sent; a segment is removed
// once everything in it is committed. Owned by the sender thread alone.
class Outbox {
public:
    // reserveBytes: the free space the outbox leaves on its disk for the backups.
    explicit Outbox(std::string folder, std::uint64_t reserveBytes = 0);

    enum class Append { Kept, BelowReserve, Refused };
    // Appends lines (each without its line end) to the open segment and syncs it. Not kept when
    // the disk's free space would fall below the reserve, or the disk refuses them (full,
    // gone): then nothing of them counts as written.
    Append append(const std::vector<std::string>& lines);
    // Closes the open segment so that it can be sent; the next append opens a new one.
    void seal();
    // The sealed segments, oldest first.
    std::vector<std::string> sealedSegments() const;
    // The whole lines of a segment; a line torn by a power cut at its end is left out.
    static std::vector<std::string> readSegment(const std::string& path);
    // A segment whose `lines` lines are all committed.
    void remove(const std::string& segment, std::int64_t lines);
    // A segment the database refuses, renamed so that it is kept but no longer sent.
    void setAside(const std::string& segment, std::int64_t lines);
    // Lines waiting in all segments.
    std::int64_t backlog() const { return backlog_; }
    const std::string& folder() const { return folder_; }

private:
    std::string segmentPath(std::uint64_t number) const;

    std::string folder_;
    std::uint64_t reserve_;
    std::uint64_t next_ = 1;  // number of the next segment to open
    std::string open_;        // path of the open segment; empty when none
    std::int64_t openLines_ = 0;
    std::int64_t backlog_ = 0;
};

}  // namespace klv::lab

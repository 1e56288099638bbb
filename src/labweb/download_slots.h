#pragma once

#include <atomic>
#include <memory>

namespace klv {

// Bounds the downloads under way, each of which keeps a worker busy while the client reads.
// Any HTTP thread takes a slot; it is released when the last copy of its handle goes, with the
// download's response, however the download ended.
class DownloadSlots {
public:
    class Held {
    public:
        explicit Held(std::atomic<int>& used) : used_(used) {}
        ~Held() { --used_; }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        std::atomic<int>& used_;
    };

    explicit DownloadSlots(int limit) : limit_(limit) {}

    // A slot, or null when all `limit` are taken.
    std::shared_ptr<Held> take();

private:
    const int limit_;
    std::atomic<int> used_{0};
};

}  // namespace klv

#include "labweb/download_slots.h"

namespace klv {

std::shared_ptr<DownloadSlots::Held> DownloadSlots::take()
{
    if (used_.fetch_add(1) >= limit_) {
        --used_;
        return nullptr;
    }
    return std::make_shared<Held>(used_);
}

}  // namespace klv

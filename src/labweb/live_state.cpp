#include "labweb/live_state.h"

#include "labweb/json_writer.h"

namespace klv {

void LiveState::update(std::vector<lab::StationRow> stations, const std::vector<lab::ChannelRow>& channels,
                       Clock::time_point readAt)
{
    std::lock_guard lock(mutex_);
    const long long next = version_ + 1;
    bool changed = false;
    for (const lab::ChannelRow& row : channels) {
        Entry& e = channels_[Key(row.station, row.device, row.channel)];
        if (e.version != 0 && e.row == row)
            continue;
        e.row = row;
        e.version = next;
        changed = true;
    }
    if (changed)
        version_ = next;
    stations_ = std::move(stations);
    readAt_ = readAt;
    failure_.clear();
}

void LiveState::failed(std::string reason)
{
    std::lock_guard lock(mutex_);
    failure_ = std::move(reason);
}

std::string LiveState::failure() const
{
    std::lock_guard lock(mutex_);
    return failure_;
}

std::string LiveState::json(long long since, Clock::time_point now) const
{
    std::lock_guard lock(mutex_);
    if (since > version_ || since < 0)
        since = 0;
    // Ages grow between reads, and keep growing while the database cannot be read.
    const double sinceRead = version_ == 0 ? 0 : std::chrono::duration<double>(now - readAt_).count();
    JsonWriter w;
    w.beginObject().key("version").value(version_);
    w.key("stations").beginArray();
    for (const lab::StationRow& s : stations_) {
        w.beginObject().key("name").value(s.name).key("host").value(s.host).key("version").value(s.version);
        w.key("last_seen").value(s.lastSeen).key("age").value(s.ageSeconds + sinceRead).endObject();
    }
    w.endArray().key("channels").beginArray();
    for (const auto& [key, e] : channels_) {
        if (e.version <= since)
            continue;
        const lab::ChannelRow& c = e.row;
        w.beginObject().key("station").value(c.station).key("device").value(c.device);
        w.key("channel").value(c.channel).key("state").value(c.state).key("status").value(c.status);
        w.key("voltage").value(c.voltage).key("current").value(c.current);
        w.key("capacity").value(c.capacity).key("energy").value(c.energy);
        w.key("step").value(c.step).key("loop").value(c.loopPass).key("running").value(c.running);
        w.key("test").value(c.testId).endObject();
    }
    w.endArray().endObject();
    return w.take();
}

}  // namespace klv

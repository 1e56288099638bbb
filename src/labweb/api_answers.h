#pragma once

#include <httplib.h>

#include "lab/lab_reader.h"
#include "labweb/json_writer.h"

namespace klv {

// What every JSON route of the lab page shares.

// With the charset named, httplib leaves the body uncompressed: Debian's build would answer a
// browser's "br" with Brotli at its slowest setting, seconds for the overview of a full lab.
inline constexpr const char* kJson = "application/json; charset=utf-8";
// A test id in a route; its match is the route's first.
inline constexpr const char* kTestId = "([0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12})";

// A failed read is the database's fault, not the asker's: 503, and the page says so (the reason
// is in the log of the live poller, which fails alike).
inline void unreachable(httplib::Response& res)
{
    res.status = 503;
    res.set_content(R"({"error":"database unreachable"})", kJson);
}

template <typename F>
httplib::Server::Handler guarded(F f)
{
    return [f](const httplib::Request& req, httplib::Response& res) {
        try {
            f(req, res);
        } catch (const lab::PgReadError&) {
            unreachable(res);
        }
    };
}

inline void writeTest(JsonWriter& w, const lab::TestRow& t)
{
    w.key("id").value(t.id).key("station").value(t.station).key("device").value(t.device);
    w.key("channel").value(t.channel).key("model").value(t.model).key("program").value(t.program);
    w.key("started_at").value(t.startedAt).key("ended_at").value(t.endedAt).key("end_reason").value(t.endReason);
    w.key("cell_id").value(t.cellId).key("nominal_capacity_ah").value(t.nominalCapacity);
}

}  // namespace klv

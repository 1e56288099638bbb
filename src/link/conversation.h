#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "link/link_request.h"

namespace klv {

struct Station;

// A piece of the serial conversation (a poll tick, a connect scan) on the window thread's
// tables, one request at a time: it names its next request, the port's owner carries it out,
// and the reply comes back to take. No step of it ever waits.
class Conversation {
public:
    virtual ~Conversation() = default;
    // The next request, or nothing when the conversation is over.
    virtual std::optional<LinkRequest> next() = 0;
    virtual void take(const LinkReply& reply) = 0;
};

// Where the window thread's conversations are carried out, one at a time.
class Link {
public:
    virtual ~Link() = default;
    // Runs the conversation to its end and then calls done, on the window thread; false, and
    // nothing run, while another conversation is still under way.
    virtual bool run(std::unique_ptr<Conversation> conversation, std::function<void()> done) = 0;
    virtual bool busy() const = 0;
};

// Runs a conversation to its end on the station's own port, each request where it is asked.
void converse(Station& station, Conversation& conversation);

// The link of virtual-time tests and benchmarks: every conversation runs at once, inside run().
class DirectLink : public Link {
public:
    explicit DirectLink(Station& station) : station_(station) {}
    bool run(std::unique_ptr<Conversation> conversation, std::function<void()> done) override;
    bool busy() const override { return busy_; }

private:
    Station& station_;
    bool busy_ = false;
};

}  // namespace klv

#include "link/conversation.h"

#include "station.h"

namespace klv {

void converse(Station& station, Conversation& conversation)
{
    while (auto request = conversation.next())
        conversation.take(carryOut(*station.port, station.clock, *station.portWait, *request));
}

bool DirectLink::run(std::unique_ptr<Conversation> conversation, std::function<void()> done)
{
    if (busy_)
        return false;
    busy_ = true;
    converse(station_, *conversation);
    busy_ = false;
    if (done)
        done();
    return true;
}

}  // namespace klv

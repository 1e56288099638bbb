#include "link/link_request.h"

namespace klv {

LinkReply carryOut(SerialPort& port, Clock& clock, PortWait& wait, const LinkRequest& request)
{
    LinkReply reply;
    switch (request.kind) {
    case LinkRequest::Kind::Open:
        // An open port is left as it is: the scan that opened it may still be using it.
        reply.wasOpen = port.isOpen();
        if (!reply.wasOpen) {
            reply.opened = port.open(request.portNumber);
            if (!reply.opened)
                reply.openFailure = port.failure();
        }
        break;
    case LinkRequest::Kind::Close:
        reply.wasOpen = port.isOpen();
        port.close();
        break;
    case LinkRequest::Kind::Identity:
        reply.identity = deviceTransaction(port, clock, wait, request.frame, request.length, request.checkOffset);
        break;
    case LinkRequest::Kind::Poll:
        reply.poll = pollTransaction(port, clock, wait, request.frame, request.length);
        break;
    }
    if (request.kind == LinkRequest::Kind::Identity || request.kind == LinkRequest::Kind::Poll) {
        reply.portLost = port.lost();
        if (reply.portLost)
            reply.lossReason = port.failure();
    }
    return reply;
}

}  // namespace klv

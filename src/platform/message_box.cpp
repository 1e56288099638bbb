#include "platform/message_box.h"

#include <cstdio>

namespace klv {

namespace {
MessageHandler& handler()
{
    // Without a desktop the message goes to the terminal and counts as confirmed.
    static MessageHandler h = [](const std::string& text, MsgIcon, MsgButtons) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return MsgResult::Ok;
    };
    return h;
}
}  // namespace

MsgResult showMessage(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    return handler()(text, icon, buttons);
}

void setMessageHandler(MessageHandler h) { handler() = std::move(h); }

}  // namespace klv

#include "platform/message_box.h"

#include <cstdio>

namespace klv {

namespace {

// Without a desktop the message goes to the terminal and counts as confirmed.
MsgResult toTerminal(const std::string& text, MsgIcon, MsgButtons)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    return MsgResult::Ok;
}

MessageHandler& handler()
{
    static MessageHandler h = toTerminal;
    return h;
}

}  // namespace

MsgResult showMessage(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    return handler()(text, icon, buttons);
}

void setMessageHandler(MessageHandler h) { handler() = h ? std::move(h) : MessageHandler(toTerminal); }

}  // namespace klv

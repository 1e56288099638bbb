#include "platform/input_box.h"

namespace klv {

namespace {

std::string cancelled(const std::string&, const std::string&) { return {}; }

InputHandler& handler()
{
    static InputHandler h = cancelled;
    return h;
}

}  // namespace

std::string inputBox(const std::string& prompt, const std::string& title) { return handler()(prompt, title); }

void setInputHandler(InputHandler h) { handler() = h ? std::move(h) : InputHandler(cancelled); }

}  // namespace klv

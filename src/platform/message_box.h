#pragma once

#include <functional>
#include <string>

namespace klv {

enum class MsgIcon { Error, Information, Question };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

// Every message to the user goes through here: a modal box titled "提示".
MsgResult showMessage(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);

// The desktop installs the real box; tests install a recorder so nothing ever blocks.
// An empty handler puts back the terminal fallback.
using MessageHandler = std::function<MsgResult(const std::string& text, MsgIcon icon, MsgButtons buttons)>;
void setMessageHandler(MessageHandler handler);

}  // namespace klv

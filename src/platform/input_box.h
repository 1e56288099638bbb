#pragma once

#include <functional>
#include <string>

namespace klv {

// An input box with a prompt and a title: the text typed, empty when cancelled.
std::string inputBox(const std::string& prompt, const std::string& title);

// The desktop installs the real box; tests install answers so nothing ever blocks.
// An empty handler puts back the fallback, which cancels.
using InputHandler = std::function<std::string(const std::string& prompt, const std::string& title)>;
void setInputHandler(InputHandler handler);

}  // namespace klv

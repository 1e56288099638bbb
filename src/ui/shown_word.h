#pragma once

#include <QString>
#include <string>

namespace klv {

// A word the core keeps in Chinese in its tables and files (a step mode, a grid header, a
// state, "设备3"), as the screen shows it: the whole text, or a word and its number.
QString shownWord(const std::string& stored);

}  // namespace klv

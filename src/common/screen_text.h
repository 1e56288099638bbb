#pragma once

#include <functional>
#include <initializer_list>
#include <string>

namespace klv {

// A text the station shows on screen: its Chinese source and the context its translation
// is filed under. Made with KLV_TEXT, which lupdate reads as QT_TRANSLATE_NOOP.
struct Text {
    const char* context;
    const char* source;
};

// The window installs the translator at start-up; without one (tests, headless) every
// text comes back as its Chinese source.
using ScreenTranslator = std::function<std::string(const char* context, const char* source)>;
void setScreenTranslator(ScreenTranslator translator);

// The text as the screen shows it, in the operator's language.
std::string screenText(Text text);
// The text as files hold it: always the Chinese source.
std::string fileText(Text text);
// Either of the two, for a line that goes to the screen and to a file.
using Say = std::string (*)(Text);

// The pattern with %1, %2 ... replaced by the arguments in order.
std::string fillIn(std::string pattern, std::initializer_list<std::string> args);

}  // namespace klv

#define KLV_TEXT(context, source) (::klv::Text{context, source})
// Marks a source text where it is stored; the widget that shows it translates it.
#define KLV_NOOP(context, source) source

#pragma once

#include <optional>
#include <string>
#include <vector>

namespace klv {

// The language of the screen; files are written the same in both.
enum class Language { Chinese, English };

// "zh" or "en", as --lang and the key Lang of [DISP] give it.
std::optional<Language> languageNamed(const std::string& name);

// The system's: the first of LC_ALL, LC_MESSAGES and LANG that is set decides; "en..."
// gives English, anything else (zh_CN, C, POSIX, none) the Chinese of the station.
Language systemLanguage(const char* lcAll, const char* lcMessages, const char* lang);

// The value of --lang in a command line, or empty: read before the options are parsed,
// so that --help and its errors are already in the chosen language.
std::string languageArgument(const std::vector<std::string>& args);

// The command line first, then klv.ini, then the system.
Language chooseLanguage(const std::string& commandLine, const std::string& ini, Language system);

}  // namespace klv

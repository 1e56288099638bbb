#include "app/headless_options.h"

#include <sstream>

#include "link/port_map.h"

namespace klv {

const char* const kHeadlessUsage =
    "usage: klv-station --headless --home DIR --port N [--from A] [--to B]\n"
    "                   [--seconds S | --program FILE.stp [--channels all|D-C,...] [--continue] [--autosave]]";

namespace {

std::optional<int> number(const std::string& text)
{
    try {
        size_t used = 0;
        int v = std::stoi(text, &used);
        return used == text.size() ? std::optional<int>(v) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::vector<ChannelName>> channelList(const std::string& text)
{
    std::vector<ChannelName> names;
    if (text == "all")
        return names;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        size_t dash = item.find('-');
        auto d = number(item.substr(0, dash));
        auto c = dash == std::string::npos ? std::nullopt : number(item.substr(dash + 1));
        if (!d || !c || *d < 1 || *d > 6 || *c < 1 || *c > 8)
            return std::nullopt;
        names.push_back({*d, *c});
    }
    if (names.empty())
        return std::nullopt;
    return names;
}

bool takeValue(HeadlessOptions& o, const std::string& flag, const std::string& v)
{
    std::optional<int> n = number(v);
    if (flag == "--home")
        o.home = v;
    else if (flag == "--program")
        o.program = v;
    else if (flag == "--channels") {
        auto list = channelList(v);
        if (!list)
            return false;
        o.channels = *list;
    } else if (n && flag == "--port")
        o.port = *n;
    else if (n && flag == "--from")
        o.from = *n;
    else if (n && flag == "--to")
        o.to = *n;
    else if (n && flag == "--seconds")
        o.seconds = *n;
    else
        return false;
    return true;
}

}  // namespace

std::optional<HeadlessOptions> parseHeadless(const std::vector<std::string>& args, std::string& error)
{
    HeadlessOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--headless")
            continue;
        if (a == "--continue" || a == "--autosave") {
            (a == "--continue" ? o.resume : o.autosave) = true;
            continue;
        }
        if (i + 1 >= args.size() || !takeValue(o, a, args[i + 1])) {
            error = "bad option " + a + "\n" + kHeadlessUsage;
            return std::nullopt;
        }
        ++i;
    }
    bool ranges = o.port >= 1 && o.port <= kMaxPortNumber && o.from >= 1 && o.from <= 6 && o.to >= 1 && o.to <= 6;
    if (o.home.empty() || !ranges) {
        error = kHeadlessUsage;
        return std::nullopt;
    }
    return o;
}

}  // namespace klv

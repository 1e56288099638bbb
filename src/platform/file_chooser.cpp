#include "platform/file_chooser.h"

#include <filesystem>
#include <map>
#include <utility>

namespace klv {

namespace {

// Without a desktop there is nobody to choose: every dialog counts as cancelled.
FileChooserHandler& fileHandler()
{
    static FileChooserHandler h;
    return h;
}

ColourChooserHandler& colourHandler()
{
    static ColourChooserHandler h;
    return h;
}

// The folder each kind of dialog was last answered in, by its initial folder and filter:
// a data file saved elsewhere is looked for there next, a step file beside the other step files.
using DialogKind = std::pair<std::string, std::string>;
std::map<DialogKind, std::string>& lastFolders()
{
    static std::map<DialogKind, std::string> folders;
    return folders;
}

}  // namespace

std::string chooseFile(const FileRequest& request)
{
    if (!fileHandler())
        return {};
    const DialogKind kind{request.initialFolder, request.filter};
    FileRequest shown = request;
    std::error_code ignored;
    if (auto last = lastFolders().find(kind);
        last != lastFolders().end() && std::filesystem::is_directory(last->second, ignored))
        shown.initialFolder = last->second;
    std::string path = fileHandler()(shown);
    if (!path.empty())
        lastFolders()[kind] = std::filesystem::path(path).parent_path().string();
    return path;
}

int chooseColour() { return colourHandler() ? colourHandler()() : -1; }

void setFileChooserHandler(FileChooserHandler handler) { fileHandler() = std::move(handler); }
void setColourChooserHandler(ColourChooserHandler handler) { colourHandler() = std::move(handler); }

}  // namespace klv

#include "platform/file_chooser.h"

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

}  // namespace

std::string chooseFile(const FileRequest& request) { return fileHandler() ? fileHandler()(request) : std::string(); }

int chooseColour() { return colourHandler() ? colourHandler()() : -1; }

void setFileChooserHandler(FileChooserHandler handler) { fileHandler() = std::move(handler); }
void setColourChooserHandler(ColourChooserHandler handler) { colourHandler() = std::move(handler); }

}  // namespace klv

#pragma once

#include <functional>
#include <string>

namespace klv {

// One open or save dialog: the filter is description and pattern separated by "|"
// ("data file(*.dat)|*.dat"); no extension is ever added by the dialog itself.
struct FileRequest {
    bool save = false;
    std::string title;
    std::string filter;
    std::string initialName;
    std::string initialFolder;
    std::string defaultExtension;
};

// The chosen full path, or empty text when the operator cancelled. A dialog starts in the
// folder last chosen in this session by a dialog of its kind (same initial folder and filter),
// as long as that folder is still there; otherwise in its own initial folder. GUI thread only.
std::string chooseFile(const FileRequest& request);

// The colour the operator chose as 0x00BBGGRR, or -1 when cancelled.
int chooseColour();

// The desktop installs the real dialogs; tests install answers so nothing ever blocks.
// An empty handler puts back the fallback, which cancels.
using FileChooserHandler = std::function<std::string(const FileRequest& request)>;
using ColourChooserHandler = std::function<int()>;
void setFileChooserHandler(FileChooserHandler handler);
void setColourChooserHandler(ColourChooserHandler handler);

}  // namespace klv

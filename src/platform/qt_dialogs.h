#pragma once

namespace klv {

// Make the message box, file chooser, colour chooser and input box routines show Qt's dialogs,
// owned by the application's active window.
void installQtDialogs();

}  // namespace klv

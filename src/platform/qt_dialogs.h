#pragma once

namespace klv {

// Make the message box, file chooser and colour chooser routines show Qt's dialogs,
// owned by the application's active window.
void installQtDialogs();

}  // namespace klv

#pragma once

class QMenu;

namespace klv {

// The accessibility tree reaches a popup menu only through a menu bar item: the application
// lists no popup among its windows, and a widget lists no menu among its children. So a
// context menu of a main window would never be seen by a screen reader. This makes the
// menu's parent window list it as a child while it is open, and says so when it opens and
// closes. The menu's parent must be that main window.
void exposeContextMenu(QMenu* menu);

}  // namespace klv

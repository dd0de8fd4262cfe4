#pragma once
// The main window's keys: which command a key (with its modifiers) gives.

#include <Qt>

namespace pvx::app {

// Actions that are not commands of the dispatcher.
enum KeyAction : int {
  kKeyNone = 0,
  kKeyPopupMenu = -1,        // F12
  kKeyEscape = -2,           // leave full screen, else the channel preview
  kKeyEnterFullScreen = -3,  // Ctrl+F
  kKeyTogglePIP = -4,        // Ctrl+I
  kKeyShowVersion = -5,      // Ctrl+Alt+V
};

// The command code of a key, a KeyAction below 0, or kKeyNone.
int CommandForKey(int key, Qt::KeyboardModifiers modifiers, bool keypad, bool fmPanelVisible);

}  // namespace pvx::app

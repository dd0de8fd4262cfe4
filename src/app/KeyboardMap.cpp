#include "app/KeyboardMap.h"

namespace pvx::app {

int CommandForKey(int key, Qt::KeyboardModifiers modifiers, bool keypad, bool fmPanelVisible) {
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool alt = modifiers & Qt::AltModifier;
  if (keypad && key == Qt::Key_Plus) return shift ? 401 : ctrl ? 1006 : 4001;
  if (keypad && key == Qt::Key_Minus) return shift ? 402 : ctrl ? 1007 : 4002;
  switch (key) {
    case Qt::Key_F1: return 11;
    case Qt::Key_F2: return 6000;
    case Qt::Key_F3: return 403;
    case Qt::Key_F4: return 1000;
    case Qt::Key_F5: return 2;
    case Qt::Key_F6: return 1001;
    case Qt::Key_F7: return 3000;
    case Qt::Key_F8: return 2000;
    case Qt::Key_F9: return 7;
    case Qt::Key_F10: return 12;
    case Qt::Key_F11: return 10;
    case Qt::Key_F12: return kKeyPopupMenu;
    case Qt::Key_Up: return 4001;
    case Qt::Key_Down: return 4002;
    case Qt::Key_Right: return 401;
    case Qt::Key_Left: return 402;
    case Qt::Key_Backspace: return 4003;
    case Qt::Key_Insert: return fmPanelVisible ? 6005 : 4005;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_F: return ctrl ? kKeyEnterFullScreen : kKeyNone;
    case Qt::Key_P: return ctrl ? 3001 : kKeyNone;
    case Qt::Key_I: return ctrl ? kKeyTogglePIP : kKeyNone;
    case Qt::Key_V: return ctrl && alt ? kKeyShowVersion : kKeyNone;
    default: return kKeyNone;
  }
}

}  // namespace pvx::app

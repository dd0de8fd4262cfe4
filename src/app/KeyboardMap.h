#pragma once
// The main window's keys: which command a key (with its modifiers) gives, or which of the
// window's own key actions.

#include <Qt>
#include <optional>

#include "commands/CommandTable.h"

namespace pvx::app {

enum class TKeyAction {
  None,
  Command,          // the binding's command
  PopupMenu,        // F12
  Escape,           // leave full screen, else the channel preview
  EnterFullScreen,  // Ctrl+F
  TogglePIP,        // Ctrl+I
  ShowVersion,      // Ctrl+Alt+V
};

struct TKeyBinding {
  TKeyAction action = TKeyAction::None;
  commands::TCommand command{};  // for TKeyAction::Command
};

// What a key does; Insert memorises the FM frequency while the FM panel shows.
TKeyBinding CommandForKey(int key, Qt::KeyboardModifiers modifiers, bool keypad, bool fmPanelVisible);

}  // namespace pvx::app

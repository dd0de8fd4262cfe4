#pragma once
// The main window's keys: which command a key (with its modifiers) gives, read from the command
// table's key column, or which of the window's own key actions.

#include <Qt>
#include <optional>
#include <string_view>

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

// A key as the table writes it ("Ctrl+P", "Shift+Keypad+"); the keypad is Qt::KeypadModifier.
struct TKeyChord {
  int key = 0;
  Qt::KeyboardModifiers modifiers;
};
// nullopt for a text that names no single key.
std::optional<TKeyChord> ParseKey(std::string_view text);

// What a key does; the FM panel's own keys (Insert memorises the FM frequency) win while it shows.
TKeyBinding CommandForKey(int key, Qt::KeyboardModifiers modifiers, bool keypad, bool fmPanelVisible);

}  // namespace pvx::app

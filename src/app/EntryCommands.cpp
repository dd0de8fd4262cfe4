// Keys and typed channel numbers: the main window's key map and the digit commands that feed
// the number entry.

#include <QCoreApplication>

#include "app/KeyboardMap.h"
#include "app/MainForm.h"
#include "app/ShellContext.h"
#include "platform/DialogService.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/HotkeyControlInfo.h"
#include "settings/MainInfo.h"
#include "util/Services.h"

namespace pvx::app {

namespace {

void ShowVersion() {
  platform::Dialogs().MessageBox(
      "Version = " + util::FileVersionText(QCoreApplication::applicationFilePath(), "%d.%d.%d.%d"),
      "OKA PVX", platform::MsgButtons::Ok);
}

void OnKeyUp(TShell& shell, int key, Qt::KeyboardModifiers modifiers) {
  TFormMainWindow* window = shell.Window;
  const bool keypad = modifiers & Qt::KeypadModifier;
  const TKeyBinding binding = CommandForKey(key, modifiers, keypad, shell.FMPanelVisible());
  switch (binding.action) {
    case TKeyAction::None: return;
    case TKeyAction::Command: shell.Dispatcher->ExecuteCommand(binding.command); return;
    case TKeyAction::PopupMenu:
      window->PopupMenuAt(window->mapToGlobal(QPoint(window->width(), window->height())));
      return;
    case TKeyAction::Escape:
      if (window->IsFullScreen()) window->SetFullScreen(false);
      return;
    case TKeyAction::EnterFullScreen:
      if (!window->IsFullScreen()) window->SetFullScreen(true);
      return;
    case TKeyAction::TogglePIP:
      shell.Main->SetPIPEnabled(!shell.Main->Prefs().PIPEnabled);
      return;
    case TKeyAction::ShowVersion: ShowVersion(); return;
  }
}

// Typed keys go through their commands, so their gates apply and a tuning in progress
// finishes first.
void OnKeyPress(TShell& shell, QChar character) {
  std::optional<commands::TCommand> code;
  if (character.isDigit()) code = commands::DigitCommand(character.digitValue());
  else if (character == '.') code = commands::TCommand::DecimalPoint;
  else if (character == QChar(13)) code = commands::TCommand::Enter;
  else if (character == QChar(27)) code = commands::TCommand::Escape;
  if (code) shell.Dispatcher->ExecuteCommand(*code);
}

}  // namespace

void RegisterEntryCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  settings::THotkeyControlInfo& entry = *shell.Hotkeys;
  using enum commands::TCommand;
  for (int digit = 0; digit <= 9; ++digit)
    d.Register(commands::DigitCommand(digit), [&entry, digit] { entry.Key(QChar('0' + digit)); });
  for (auto [code, number] : {std::pair{Ten, 10}, std::pair{Eleven, 11}, std::pair{Twelve, 12}}) {
    d.Register(code, [&entry, number] {
      for (QChar c : QString::number(number)) entry.Key(c);
      entry.Key(QChar(13));
    });
  }
  d.Register(Enter, [&entry] { entry.Key(QChar(13)); });
  d.Register(Escape, [&entry] { entry.Key(QChar(27)); });
  d.Register(DecimalPoint, [&entry] { entry.Key(QChar('.')); });

  // The entry may commit while a tuning waits (its timer) or from a command: tune right after.
  entry.SelectChannel = [&d, &shell](int channel) {
    d.RunNext([&shell, channel] { shell.Channels->SelectChannel(channel); });
  };
  shell.Window->KeyUp = [&shell](int key, Qt::KeyboardModifiers m) { OnKeyUp(shell, key, m); };
  shell.Window->KeyPress = [&shell](QChar c) { OnKeyPress(shell, c); };
}

}  // namespace pvx::app

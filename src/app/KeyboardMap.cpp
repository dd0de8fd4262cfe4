#include "app/KeyboardMap.h"

namespace pvx::app {

TKeyBinding CommandForKey(int key, Qt::KeyboardModifiers modifiers, bool keypad, bool fmPanelVisible) {
  using enum commands::TCommand;
  auto command = [](commands::TCommand c) { return TKeyBinding{TKeyAction::Command, c}; };
  auto action = [](TKeyAction a) { return TKeyBinding{a, {}}; };
  const bool shift = modifiers & Qt::ShiftModifier;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool alt = modifiers & Qt::AltModifier;
  if (keypad && key == Qt::Key_Plus) return command(shift ? VolumeUp : ctrl ? FastSpeed : NextChannel);
  if (keypad && key == Qt::Key_Minus) return command(shift ? VolumeDown : ctrl ? SlowSpeed : PreviousChannel);
  switch (key) {
    case Qt::Key_F1: return command(Help);
    case Qt::Key_F2: return command(TVOrFM);
    case Qt::Key_F3: return command(Mute);
    case Qt::Key_F4: return command(Snapshot);
    case Qt::Key_F5: return command(Minimise);
    case Qt::Key_F6: return command(Capture);
    case Qt::Key_F7: return command(Play);
    case Qt::Key_F8: return command(TimeShifting);
    case Qt::Key_F9: return command(Setup);
    case Qt::Key_F10: return command(SleepTimer);
    case Qt::Key_F11: return command(Schedule);
    case Qt::Key_F12: return action(TKeyAction::PopupMenu);
    case Qt::Key_Up: return command(NextChannel);
    case Qt::Key_Down: return command(PreviousChannel);
    case Qt::Key_Right: return command(VolumeUp);
    case Qt::Key_Left: return command(VolumeDown);
    case Qt::Key_Backspace: return command(RecallChannel);
    case Qt::Key_Insert: return command(fmPanelVisible ? MemoriseFM : MemoriseChannel);
    case Qt::Key_Escape: return action(TKeyAction::Escape);
    case Qt::Key_F: return action(ctrl ? TKeyAction::EnterFullScreen : TKeyAction::None);
    case Qt::Key_P: return ctrl ? command(PlayGivenFile) : action(TKeyAction::None);
    case Qt::Key_I: return action(ctrl ? TKeyAction::TogglePIP : TKeyAction::None);
    case Qt::Key_V: return action(ctrl && alt ? TKeyAction::ShowVersion : TKeyAction::None);
    default: return {};
  }
}

}  // namespace pvx::app

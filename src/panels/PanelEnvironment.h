#pragma once
// What a control panel needs from the rest of the program, filled by start-up. The item
// table and the main and channel models must be set; other unset members mean the piece is
// absent (no language: the built-in texts).

#include <QChar>
#include <QtGlobal>
#include <functional>

class QMenu;

namespace pvx::engine {
class TAudioAdjustInfo;
class TCaptureInfo;
}  // namespace pvx::engine

namespace pvx::settings {
class TChannelInfo;
class TMainInfo;
class TMultiLangInfo;
}  // namespace pvx::settings

namespace pvx::panels {

class TUIInfo;

struct TPanelEnvironment {
  TUIInfo* UI = nullptr;
  const settings::TMainInfo* Main = nullptr;
  const settings::TChannelInfo* Channels = nullptr;
  const settings::TMultiLangInfo* Language = nullptr;
  engine::TCaptureInfo* Capture = nullptr;
  engine::TAudioAdjustInfo* Audio = nullptr;
  // Runs a command through the program's dispatcher.
  std::function<void(int code)> ExecuteCommand;
  // The main window's key handlers, which the panels forward their keys to.
  std::function<void(QChar character)> KeyPress;
  std::function<void(int key, Qt::KeyboardModifiers modifiers)> KeyUp;
  // The main window's pop-up menu (the TV panel's right-click menu).
  std::function<QMenu*()> MainPopupMenu;
  // A file plays with the live picture beside it: the channel keys stay usable.
  std::function<bool()> PIPPlaying;
  // The time-shift buffer can be played.
  std::function<bool()> TimeShiftReady;
  // The engine records (a file or the time-shift buffer): the TV panel's state text blinks.
  // Unset: asks Capture.
  std::function<bool()> Recording;
  // The main window's sleep timer runs.
  std::function<bool()> SleepTimerRunning;
  // The position bar moved by the user: a fraction 0..65536 of the file or of the buffer.
  std::function<void(int fraction)> SeekPlayer;
};

}  // namespace pvx::panels

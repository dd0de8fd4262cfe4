#pragma once
// Digit keys into a channel number. The typed text is shown while it grows and is committed by
// Enter or one second after the last key; a "." typed first stands for the hundreds, so ".", "5"
// gives channel 105. The number selects that channel of the current table.

#include <QString>
#include <functional>

#include "platform/TTimer.h"

namespace pvx::settings {

class THotkeyControlInfo {
 public:
  static constexpr char16_t kEnterKey = 13;
  static constexpr char16_t kEscapeKey = 27;
  static constexpr int kCommitDelayMs = 1000;
  static constexpr int kMaxTypedLength = 4;

  THotkeyControlInfo();
  THotkeyControlInfo(const THotkeyControlInfo&) = delete;
  THotkeyControlInfo& operator=(const THotkeyControlInfo&) = delete;

  // Feeds one key: "0".."9", "." or Enter; any other key only restarts the commit delay.
  void Key(QChar key);

  // The channel number a typed text stands for. Uses up HundredPrefix.
  int ValueOf(const QString& text);

  QString TypedText;
  platform::TTimer CommitTimer;
  bool HundredPrefix = false;
  std::function<void(THotkeyControlInfo& sender, const QString& text)> OnTextChange;
  std::function<void(THotkeyControlInfo& sender, const QString& text, int value)> OnCommit;

  // Select channel of the channel object's current table; start-up connects it. Channel 0 (Enter
  // on an empty entry) is out of range there, so it tunes nothing and re-announces the channel.
  std::function<void(int channel)> SelectChannel;

 private:
  void CommitTimerTimer(platform::TTimer& sender);
  void Select(int channel);
};

}  // namespace pvx::settings

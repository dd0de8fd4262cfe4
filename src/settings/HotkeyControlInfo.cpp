#include "settings/HotkeyControlInfo.h"

namespace pvx::settings {

THotkeyControlInfo::THotkeyControlInfo() {
  CommitTimer.SetInterval(kCommitDelayMs);
  CommitTimer.SetEnabled(false);
  CommitTimer.OnTimer = [this](platform::TTimer& sender) { CommitTimerTimer(sender); };
}

void THotkeyControlInfo::Key(QChar key) {
  CommitTimer.SetEnabled(false);

  if (key.unicode() == kEnterKey) {
    int value = 0;
    if (!TypedText.isEmpty()) {
      const QString text = TypedText;
      value = ValueOf(text);
      if (OnCommit) OnCommit(*this, text, value);
    }
    TypedText.clear();
    Select(value);
    return;
  }

  if (key.unicode() == kEscapeKey) {
    // Escape abandons what was typed; the channel that plays stays.
    const bool typing = !TypedText.isEmpty() || HundredPrefix;
    TypedText.clear();
    HundredPrefix = false;
    if (typing && OnTextChange) OnTextChange(*this, TypedText);
    return;
  }

  if (TypedText.size() >= kMaxTypedLength) {
    // A fifth key abandons the entry; the prefix goes with it, or it would add 100 to the next one.
    TypedText.clear();
    HundredPrefix = false;
    return;
  }

  if (key >= QLatin1Char('1') && key <= QLatin1Char('9')) {
    TypedText += key;
  } else if (key == QLatin1Char('0')) {
    if (!TypedText.isEmpty()) TypedText += key;
  } else if (key == QLatin1Char('.')) {
    if (TypedText.isEmpty()) {
      HundredPrefix = true;
      TypedText = QStringLiteral("1");
    }
  }

  if (OnTextChange) OnTextChange(*this, TypedText);
  CommitTimer.SetEnabled(true);
}

int THotkeyControlInfo::ValueOf(const QString& text) {
  if (text.isEmpty() || text.startsWith(QLatin1Char('.'))) return 0;
  if (HundredPrefix) {
    HundredPrefix = false;
    if (text.size() == 1) return 100;
    // "1d" stands for "10d".
    if (text.size() == 2) return (text.left(1) + QLatin1Char('0') + text.mid(1)).toInt();
  }
  return text.toInt();
}

void THotkeyControlInfo::CommitTimerTimer(platform::TTimer& sender) {
  // One commit per entry: an expiry with nothing typed (a lone "0") also ends the wait.
  sender.SetEnabled(false);
  if (TypedText.isEmpty()) return;
  const QString text = TypedText;
  const int value = ValueOf(text);
  if (OnCommit) OnCommit(*this, text, value);
  TypedText.clear();
  Select(value);
}

void THotkeyControlInfo::Select(int channel) {
  if (SelectChannel) SelectChannel(channel);
}

}  // namespace pvx::settings

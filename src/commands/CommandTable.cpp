#include "commands/CommandTable.h"

#include <charconv>

namespace pvx::commands {
namespace {

using enum TCommand;
using G = Gate;

// clang-format off
constexpr TCommandDef kCommands[] = {
  {Exit, "exit", {"quit"}, "Exit", G::Always, "itemExit", {}, kActsAtOnce},
  {Minimise, "minimise", {"minimize"}, "Minimise", G::Always, {}, {"F5"}},
  {FullScreen, "full-screen", {"fullscreen"}, "Toggle full screen", G::NotFM, "itemFullScreen"},
  {MinimiseOrRestore, "minimise-or-restore", {"minimize-or-restore", "restore"}, "Minimise or restore", G::Always, {}},
  {Setup, "setup", {"settings", "config"}, "Settings dialog", G::TVIdleOrFM, "itemConfig", {"F9"}},
  {ChannelPreview, "channel-preview", {"preview"}, "Enter or leave the channel preview", G::TunerIdleOrChannelPreview, "itemChannelPreview"},
  {TVSetupWizard, "tv-setup-wizard", {"wizard", "reset-tv"}, "TV setup wizard", G::TunerIdle, "itemTVSetupWizard"},
  {Schedule, "schedule", {"scheduled-recording", "scheduler"}, "Scheduled recording", G::Always, "itemSchedule", {"F11"}},
  {Help, "help", {}, "Help", G::Always, {}, {"F1"}},
  {SleepTimer, "sleep-timer", {"sleeping-timer", "sleep"}, "Sleeping timer", G::TVIdleOrFM, "itemSleepingTimer", {"F10"}},
  {About, "about", {}, "About", G::Always, "itemAbout"},
  {IEPG, "iepg", {"tv-guide"}, "TV guide web page", G::NotFM, {}},
  {SwitchVideoSource, "switch-video-source", {"switch-source", "next-source"}, "Next video source", G::TVIdle, {}},
  {Antenna, "antenna", {"tuner-antenna"}, "Tuner, antenna", G::TVIdle, "itemTunerAntennaMode"},
  {Cable, "cable", {"tuner-cable"}, "Tuner, cable", G::TVIdle, "itemTunerCableMode"},
  {Memory, "memory", {"tuner-memory"}, "Tuner, memory channels", G::TVIdle, "itemTunerMemoryMode"},
  {Composite, "composite", {}, "Composite input", G::TVIdle, "itemCompositeMode"},
  {SVideo, "s-video", {"svideo"}, "S-Video input", G::TVIdle, "itemSVideoMode"},
  {AntennaOrCable, "antenna-or-cable", {}, "Tuner, antenna or cable", G::TVIdle, {}},
  {TVAudioMode, "tv-audio-mode", {"audio-mode", "sap"}, "Next TV audio mode", G::TunerOrPIP, {}},
  {VolumeUp, "volume-up", {"vol-up"}, "Volume up", G::Always, {}, {"Right", "Shift+Keypad+"}},
  {VolumeDown, "volume-down", {"vol-down"}, "Volume down", G::Always, {}, {"Left", "Shift+Keypad-"}},
  {Mute, "mute", {"toggle-mute"}, "Mute on or off", G::Always, "itemMute", {"F3"}},
  {Snapshot, "snapshot", {"screenshot"}, "Snapshot", G::TVIdleOrPlaying, "itemSnapshot", {"F4"}},
  {Capture, "capture", {"record"}, "Start recording", G::TVIdleOrFM, "itemCapture", {"F6"}},
  {Stop, "stop", {}, "Stop", G::NotLiveOrPreviewOrFM, "itemStop"},
  {Pause, "pause", {}, "Pause", G::Playing, "itemPause"},
  {Forward, "forward", {"seek-forward"}, "Seek forward", G::Playing, "itemForward"},
  {Backward, "backward", {"seek-backward", "rewind"}, "Seek backward", G::Playing, "itemBackward"},
  {FastSpeed, "fast-speed", {"faster"}, "Faster playback", G::Playing, {}, {"Ctrl+Keypad+"}},
  {SlowSpeed, "slow-speed", {"slower"}, "Slower playback", G::Playing, {}, {"Ctrl+Keypad-"}},
  {TimeShifting, "time-shifting", {"timeshift", "time-shift"}, "Start time-shifting", G::TimeShifting, "itemTimeShifting", {"F8"}},
  {RealScreen, "real-screen", {}, "Toggle the real-screen picture", G::RealScreen, "itemRealScreen"},
  {Play, "play", {}, "Play or pause", G::Play, "itemPlay", {"F7"}},
  {PlayGivenFile, "play-given-file", {"play-file"}, "Play the given file", G::PlayGivenFile, {}, {"Ctrl+P"}},
  {NextChannel, "next-channel", {"channel-up", "ch-up"}, "Next channel", G::FMOrTunerOrPIP, "itemNextChannel", {"Up", "Keypad+"}},
  {PreviousChannel, "previous-channel", {"prev-channel", "channel-down", "ch-down"}, "Previous channel", G::FMOrTunerOrPIP, "itemPreviousChannel", {"Down", "Keypad-"}},
  {RecallChannel, "recall-channel", {"last-channel", "recall"}, "Recall the last channel", G::FMOrTunerOrPIP, "itemRecallChannel", {"Backspace"}},
  {Scan, "scan", {"auto-scan", "abort-scan"}, "Start or abort the channel scan", G::Scan, {}, {}, kActsAtOnce},
  {MemoriseChannel, "memorise-channel", {"memorize-channel", "memo-channel"}, "Memorise the channel", G::MemoriseChannel, "itemMemoChannel", {"Insert"}},
  {PreviewSelect, "preview-select", {"select"}, "Select in the channel preview", G::ChannelPreview, {}},
  {Left, "left", {}, "Left (preview) or FM step down", G::ChannelPreviewOrFM, {}},
  {Right, "right", {}, "Right (preview) or FM step up", G::ChannelPreviewOrFM, {}},
  {TVOrFM, "tv-or-fm", {"toggle-fm", "fm"}, "Switch between TV and FM", G::TVIdleOrFM, "itemFMMode", {"F2"}},
  {SeekUp, "seek-up", {"fm-seek-up"}, "FM seek up", G::FM, {}},
  {SeekDown, "seek-down", {"fm-seek-down"}, "FM seek down", G::FM, {}},
  {FrequencyUp, "frequency-up", {"freq-up"}, "FM frequency up", G::FM, {}},
  {FrequencyDown, "frequency-down", {"freq-down"}, "FM frequency down", G::FM, {}},
  {MemoriseFM, "memorise-fm", {"memorize-fm"}, "Memorise the FM frequency", G::FM, {}, {"Insert"}, kFMPanelKeys},
  {DigitCommand(0), "digit-0", {}, "Digit 0", G::FMOrTunerOrPIP, {}},
  {DigitCommand(1), "digit-1", {}, "Digit 1", G::FMOrTunerOrPIP, {}},
  {DigitCommand(2), "digit-2", {}, "Digit 2", G::FMOrTunerOrPIP, {}},
  {DigitCommand(3), "digit-3", {}, "Digit 3", G::FMOrTunerOrPIP, {}},
  {DigitCommand(4), "digit-4", {}, "Digit 4", G::FMOrTunerOrPIP, {}},
  {DigitCommand(5), "digit-5", {}, "Digit 5", G::FMOrTunerOrPIP, {}},
  {DigitCommand(6), "digit-6", {}, "Digit 6", G::FMOrTunerOrPIP, {}},
  {DigitCommand(7), "digit-7", {}, "Digit 7", G::FMOrTunerOrPIP, {}},
  {DigitCommand(8), "digit-8", {}, "Digit 8", G::FMOrTunerOrPIP, {}},
  {DigitCommand(9), "digit-9", {}, "Digit 9", G::FMOrTunerOrPIP, {}},
  {Ten, "ten", {"digit-10"}, "Channel 10", G::TunerOrPIP, {}},
  {Eleven, "eleven", {"digit-11"}, "Channel 11", G::TunerOrPIP, {}},
  {Twelve, "twelve", {"digit-12"}, "Channel 12", G::TunerOrPIP, {}},
  {Enter, "enter", {"digit-enter", "ok"}, "Enter the typed number", G::FMOrTunerOrPIP, {}},
  {Escape, "escape", {"digit-escape", "esc"}, "Cancel the typed number", G::Always, {}},
  {DecimalPoint, "decimal-point", {"digit-point", "dot", "point"}, "Decimal point", G::TunerOrPIP, {}},
};
// clang-format on

constexpr char Fold(char c) {
  if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
  return c == '_' ? '-' : c;
}

constexpr bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// Lower-case letters and digits in words joined by single hyphens, starting with a letter, so
// that a name can never be mistaken for a code.
constexpr bool IsKebab(std::string_view s) {
  if (s.empty() || s.front() < 'a' || s.front() > 'z' || s.back() == '-') return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    if (!ok || (c == '-' && s[i - 1] == '-')) return false;
  }
  return true;
}

template <typename F>
constexpr bool ForEachSpelling(F&& f) {
  for (const TCommandDef& c : kCommands) {
    if (!f(c.name)) return false;
    for (const std::string_view& alias : c.aliases)
      if (!alias.empty() && !f(alias)) return false;
  }
  return true;
}

constexpr bool SpellingsUnique() {
  return ForEachSpelling([](std::string_view s) {
    int seen = 0;
    ForEachSpelling([&](std::string_view t) {
      seen += Same(s, t);
      return true;
    });
    return seen == 1 && IsKebab(s);
  });
}

// Codes, titles and menu items: each code once with a title, each menu item sent by one command.
constexpr bool EntriesUnique() {
  for (const TCommandDef& a : kCommands) {
    int codes = 0, items = 0;
    for (const TCommandDef& b : kCommands) {
      codes += a.code == b.code;
      items += !a.menuItem.empty() && a.menuItem == b.menuItem;
    }
    if (codes != 1 || a.title.empty() || (!a.menuItem.empty() && items != 1)) return false;
  }
  return true;
}

// A key sends one command, apart from the FM panel's own keys.
constexpr int KeyUses(std::string_view key, unsigned fmPanel) {
  int uses = 0;
  for (const TCommandDef& c : kCommands)
    for (const std::string_view& other : c.keys)
      uses += !other.empty() && other == key && (c.flags & kFMPanelKeys) == fmPanel;
  return uses;
}

constexpr bool KeysUnique() {
  for (const TCommandDef& c : kCommands)
    for (const std::string_view& key : c.keys)
      if (!key.empty() && KeyUses(key, c.flags & kFMPanelKeys) != 1) return false;
  return true;
}

static_assert(SpellingsUnique(), "a kebab-case spelling names one command only");
static_assert(EntriesUnique(), "each code appears once, with a title; each menu item once");
static_assert(KeysUnique(), "a key sends one command");

}  // namespace

std::span<const TCommandDef> CommandTable() { return kCommands; }

const TCommandDef* FindCommand(int code) {
  for (const TCommandDef& c : kCommands)
    if (c.Code() == code) return &c;
  return nullptr;
}

const TCommandDef& FindCommand(TCommand code) { return *FindCommand(CodeOf(code)); }

const TCommandDef* FindCommand(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const TCommandDef& c : kCommands) {
    if (Same(c.name, name)) return &c;
    for (const std::string_view& alias : c.aliases)
      if (!alias.empty() && Same(alias, name)) return &c;
  }
  return nullptr;
}

const TCommandDef* FindMenuCommand(std::string_view itemName) {
  if (itemName.empty()) return nullptr;
  for (const TCommandDef& c : kCommands)
    if (c.menuItem == itemName) return &c;
  return nullptr;
}

std::optional<TCommand> ParseCommand(std::string_view text) {
  const TCommandDef* found = nullptr;
  if (!text.empty() && text.front() >= '0' && text.front() <= '9') {
    int code = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error == std::errc() && end == text.data() + text.size()) found = FindCommand(code);
  } else {
    found = FindCommand(text);
  }
  return found ? std::optional<TCommand>(found->code) : std::nullopt;
}

bool SameCommandName(std::string_view a, std::string_view b) { return Same(a, b); }

}  // namespace pvx::commands

#pragma once
// Every command of the program in one declarative table: its code, its stable name and aliases
// (published: remote scripts use them), what it does, its gate, the main-menu item that sends
// it, the keys that send it and how it behaves while another command waits. The dispatcher,
// the menus, the panels, the key map, oka-remote and the tests all read this table. Lookups by
// name ignore case and treat "_" as "-".

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "commands/Gate.h"

namespace pvx::commands {

enum class TCommand : int {
  Exit = 1,
  Minimise = 2,
  FullScreen = 3,
  MinimiseOrRestore = 5,
  Setup = 7,
  ChannelPreview = 8,
  TVSetupWizard = 9,
  Schedule = 10,
  Help = 11,
  SleepTimer = 12,
  About = 13,
  IEPG = 14,
  SwitchVideoSource = 200,
  Antenna = 201,
  Cable = 202,
  Memory = 203,
  Composite = 204,
  SVideo = 205,
  AntennaOrCable = 206,
  TVAudioMode = 300,
  VolumeUp = 401,
  VolumeDown = 402,
  Mute = 403,
  Snapshot = 1000,
  Capture = 1001,
  Stop = 1002,
  Pause = 1003,
  Forward = 1004,
  Backward = 1005,
  FastSpeed = 1006,
  SlowSpeed = 1007,
  TimeShifting = 2000,
  RealScreen = 2001,
  Play = 3000,
  PlayGivenFile = 3001,
  NextChannel = 4001,
  PreviousChannel = 4002,
  RecallChannel = 4003,
  Scan = 4004,
  MemoriseChannel = 4005,
  PreviewSelect = 5001,
  Left = 5002,
  Right = 5003,
  TVOrFM = 6000,
  SeekUp = 6001,
  SeekDown = 6002,
  FrequencyUp = 6003,
  FrequencyDown = 6004,
  MemoriseFM = 6005,
  Digit0 = 10000,
  Digit9 = 10009,
  Ten = 10010,
  Eleven = 10011,
  Twelve = 10012,
  Enter = 10020,
  Escape = 10021,
  DecimalPoint = 10100,
};

constexpr int CodeOf(TCommand c) { return static_cast<int>(c); }
// What an item or a message carries when it sends no command.
constexpr int kNoCommand = 0;
// Digit d (0..9).
constexpr TCommand DigitCommand(int d) { return static_cast<TCommand>(CodeOf(TCommand::Digit0) + d); }

// Behaviour while another command waits (a tune, a scan).
enum TCommandFlag : unsigned {
  kQueued = 0,
  // Acts at once (stops a running scan) and, if anything is left to do, takes its turn.
  kActsAtOnce = 1,
  // Its keys act only while the FM panel shows, and there before another command's.
  kFMPanelKeys = 2,
};

struct TCommandDef {
  TCommand code;
  std::string_view name;                    // kebab-case, unique
  std::array<std::string_view, 3> aliases;  // unused slots are empty
  std::string_view title;                   // what the command does, for listings
  Gate gate;
  std::string_view menuItem;                // the main-menu item that sends it, if any
  // The main window's keys: "F6", "Up", "Insert", "Ctrl+P", "Shift+Keypad+". A key held with
  // more modifiers than written still matches; the longest match wins, then the earlier row.
  std::array<std::string_view, 2> keys{};
  unsigned flags = kQueued;

  int Code() const { return CodeOf(code); }
};

std::span<const TCommandDef> CommandTable();

const TCommandDef* FindCommand(int code);
const TCommandDef& FindCommand(TCommand code);
// By name or alias.
const TCommandDef* FindCommand(std::string_view name);
// The command a main-menu item sends; nullptr for items with their own action or none.
const TCommandDef* FindMenuCommand(std::string_view itemName);

// A name, an alias or the decimal code of a known command.
std::optional<TCommand> ParseCommand(std::string_view text);

// Name comparison as lookups do it: ASCII case ignored, "_" equal to "-".
bool SameCommandName(std::string_view a, std::string_view b);

}  // namespace pvx::commands

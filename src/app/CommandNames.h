#pragma once
// Stable names for every command code of the dispatcher. One table serves the remote control
// (oka-remote), key bindings and help text, so a name once published never changes meaning.
// Lookups by name ignore case and treat "_" as "-".

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace pvx::app {

struct TCommandName {
  int code;
  std::string_view name;                    // kebab-case, unique
  std::array<std::string_view, 3> aliases;  // unused slots are empty
  std::string_view title;                   // what the command does, for listings
};

// clang-format off
inline constexpr TCommandName kCommandNames[] = {
  {1, "exit", {"quit"}, "Exit"},
  {2, "minimise", {"minimize"}, "Minimise"},
  {3, "full-screen", {"fullscreen"}, "Toggle full screen"},
  {5, "minimise-or-restore", {"minimize-or-restore", "restore"}, "Minimise or restore"},
  {7, "setup", {"settings", "config"}, "Settings dialog"},
  {8, "channel-preview", {"preview"}, "Enter or leave the channel preview"},
  {9, "tv-setup-wizard", {"wizard", "reset-tv"}, "TV setup wizard"},
  {10, "schedule", {"scheduled-recording", "scheduler"}, "Scheduled recording"},
  {11, "help", {}, "Help"},
  {12, "sleep-timer", {"sleeping-timer", "sleep"}, "Sleeping timer"},
  {13, "about", {}, "About"},
  {14, "iepg", {"tv-guide"}, "TV guide web page"},
  {200, "switch-video-source", {"switch-source", "next-source"}, "Next video source"},
  {201, "antenna", {"tuner-antenna"}, "Tuner, antenna"},
  {202, "cable", {"tuner-cable"}, "Tuner, cable"},
  {203, "memory", {"tuner-memory"}, "Tuner, memory channels"},
  {204, "composite", {}, "Composite input"},
  {205, "s-video", {"svideo"}, "S-Video input"},
  {206, "antenna-or-cable", {}, "Tuner, antenna or cable"},
  {300, "tv-audio-mode", {"audio-mode", "sap"}, "Next TV audio mode"},
  {401, "volume-up", {"vol-up"}, "Volume up"},
  {402, "volume-down", {"vol-down"}, "Volume down"},
  {403, "mute", {"toggle-mute"}, "Mute on or off"},
  {1000, "snapshot", {"screenshot"}, "Snapshot"},
  {1001, "capture", {"record"}, "Start recording"},
  {1002, "stop", {}, "Stop"},
  {1003, "pause", {}, "Pause"},
  {1004, "forward", {"seek-forward"}, "Seek forward"},
  {1005, "backward", {"seek-backward", "rewind"}, "Seek backward"},
  {1006, "fast-speed", {"faster"}, "Faster playback"},
  {1007, "slow-speed", {"slower"}, "Slower playback"},
  {2000, "time-shifting", {"timeshift", "time-shift"}, "Start time-shifting"},
  {2001, "real-screen", {}, "Toggle the real-screen picture"},
  {3000, "play", {}, "Play or pause"},
  {3001, "play-given-file", {"play-file"}, "Play the given file"},
  {4001, "next-channel", {"channel-up", "ch-up"}, "Next channel"},
  {4002, "previous-channel", {"prev-channel", "channel-down", "ch-down"}, "Previous channel"},
  {4003, "recall-channel", {"last-channel", "recall"}, "Recall the last channel"},
  {4004, "scan", {"auto-scan", "abort-scan"}, "Start or abort the channel scan"},
  {4005, "memorise-channel", {"memorize-channel", "memo-channel"}, "Memorise the channel"},
  {5001, "preview-select", {"select"}, "Select in the channel preview"},
  {5002, "left", {}, "Left (preview) or FM step down"},
  {5003, "right", {}, "Right (preview) or FM step up"},
  {6000, "tv-or-fm", {"toggle-fm", "fm"}, "Switch between TV and FM"},
  {6001, "seek-up", {"fm-seek-up"}, "FM seek up"},
  {6002, "seek-down", {"fm-seek-down"}, "FM seek down"},
  {6003, "frequency-up", {"freq-up"}, "FM frequency up"},
  {6004, "frequency-down", {"freq-down"}, "FM frequency down"},
  {6005, "memorise-fm", {"memorize-fm"}, "Memorise the FM frequency"},
  {10000, "digit-0", {}, "Digit 0"},
  {10001, "digit-1", {}, "Digit 1"},
  {10002, "digit-2", {}, "Digit 2"},
  {10003, "digit-3", {}, "Digit 3"},
  {10004, "digit-4", {}, "Digit 4"},
  {10005, "digit-5", {}, "Digit 5"},
  {10006, "digit-6", {}, "Digit 6"},
  {10007, "digit-7", {}, "Digit 7"},
  {10008, "digit-8", {}, "Digit 8"},
  {10009, "digit-9", {}, "Digit 9"},
  {10010, "ten", {"digit-10"}, "Channel 10"},
  {10011, "eleven", {"digit-11"}, "Channel 11"},
  {10012, "twelve", {"digit-12"}, "Channel 12"},
  {10020, "enter", {"digit-enter", "ok"}, "Enter the typed number"},
  {10021, "escape", {"digit-escape", "esc"}, "Cancel the typed number"},
  {10100, "decimal-point", {"digit-point", "dot", "point"}, "Decimal point"},
};
// clang-format on

std::span<const TCommandName> CommandNames();

const TCommandName* FindCommand(int code);
// By name or alias.
const TCommandName* FindCommand(std::string_view name);

// The name of a code; empty when the code is unknown.
std::string_view CommandName(int code);
std::optional<int> CommandCode(std::string_view name);

// A name, an alias or the decimal code of a known command.
std::optional<int> ParseCommand(std::string_view text);

// Name comparison as lookups do it: ASCII case ignored, "_" equal to "-".
bool SameCommandName(std::string_view a, std::string_view b);

}  // namespace pvx::app

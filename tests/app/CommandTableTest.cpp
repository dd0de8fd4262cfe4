// The command table and what reads it: names, gates per mode, the key map, the dispatcher's
// queue, and the mode switch.

#include <gtest/gtest.h>

#include <QStringList>
#include <set>
#include <string>
#include <vector>

#include "app/CommandDispatcher.h"
#include "app/KeyboardMap.h"

using namespace pvx::app;
using namespace pvx::settings;

namespace {

// "3 7 200-206" as codes of the table (a range takes the codes the table has in it).
std::set<int> Codes(const QString& text) {
  std::set<int> codes;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const QStringList range = word.split('-');
    for (const TCommandDef& c : CommandTable())
      if (c.Code() >= range.first().toInt() && c.Code() <= range.last().toInt()) codes.insert(c.Code());
  }
  return codes;
}

}  // namespace

TEST(CommandTable, NamesAliasesAndCodesFindTheirCommand) {
  EXPECT_EQ(CommandTable().size(), 65u);
  for (const TCommandDef& c : CommandTable()) {
    EXPECT_EQ(ParseCommand(c.name), c.code) << c.name;
    EXPECT_EQ(ParseCommand(std::to_string(c.Code())), c.code);
    for (std::string_view alias : c.aliases) EXPECT_EQ(alias.empty() || ParseCommand(alias) == c.code, true) << alias;
    EXPECT_TRUE(c.menuItem.empty() || FindMenuCommand(c.menuItem) == &c) << c.name;
  }
  const struct {
    const char* text;
    std::optional<int> code;
  } rows[] = {
      {"NEXT-CHANNEL", 4001}, {"Next_Channel", 4001}, {"ch-down", 4002}, {"Quit", 1},
      {"memorize-channel", 4005}, {"DIGIT-9", 10009}, {"dot", 10100}, {"10100", 10100},
      // failure rows
      {"", {}}, {"next channel", {}}, {"next-channel ", {}}, {"4", {}}, {"99999", {}}, {"4001x", {}},
      {"-1", {}}, {"+1", {}}, {"99999999999999999999", {}}, {"volume", {}}, {"digit-10x", {}},
  };
  for (const auto& row : rows) {
    const std::optional<TCommand> parsed = ParseCommand(row.text);
    EXPECT_EQ(parsed ? std::optional<int>(CodeOf(*parsed)) : std::nullopt, row.code) << '"' << row.text << '"';
  }
  EXPECT_EQ(FindCommand(6), nullptr);
  EXPECT_EQ(FindMenuCommand("itemAlwaysontop"), nullptr);
  EXPECT_FALSE(SameCommandName("volume up", "volume-up"));
}

// Each row: a state and every command whose gate opens in it (besides those always open).
TEST(CommandTable, GatesOpenPerModeAndSource) {
  const std::set<int> always = Codes("1 2 5 10 11 13 401-403 10021");
  auto live = [](TDispatchState& s) { s.Mode = amTV; };
  const QString liveCodes = "3 7-9 12 14 200-300 1000 1001 2000 3000 3001 4001-4005 6000 10000-10100";
  const QString noTimeShift = "3 7-9 12 14 200-300 1000 1001 3000 3001 4001-4005 6000 10000-10100";
  const struct {
    const char* what;
    std::function<void(TDispatchState&)> arrange;
    QString open;
  } rows[] = {
      {"live tuner", live, liveCodes},
      {"composite", [&](TDispatchState& s) { live(s), s.VideoSource = 1; },
       "3 7 12 14 200-206 1000 1001 2000 3000 3001 6000"},
      {"scanning", [&](TDispatchState& s) { live(s), s.Scanning = true; }, "3 14 4004"},
      {"fm", [](TDispatchState& s) { s.Mode = amFMRadio; },
       "7 12 1001 3000 3001 4001-4003 5002 5003 6000-6005 10000-10009 10020"},
      {"recording", [](TDispatchState& s) { s.Mode = amCapture; }, "3 14 1002"},
      {"playback", [](TDispatchState& s) { s.Mode = amPlayback, s.PlayerExists = true; },
       "3 14 1000 1002-1007 3000 3001"},
      {"playback with pip",
       [](TDispatchState& s) { s.Mode = amPlayback, s.PlayerExists = true, s.PIPEnabled = true; },
       "3 14 300 1000 1002-1007 3000 3001 4001-4003 4005 10000-10100"},
      {"time-shifting", [](TDispatchState& s) { s.Mode = amTimeShifting; }, "3 14 1002 2001"},
      {"time-shift ready", [](TDispatchState& s) { s.Mode = amTimeShifting, s.TimeShiftReady = true; },
       "3 14 1002 2001 3000"},
      {"time-shift playback", [](TDispatchState& s) { s.Mode = amTimeShiftPlayback, s.PlayerExists = true; },
       "3 14 1000 1002-1007 2001 3000 3001"},
      {"channel preview", [](TDispatchState& s) { s.Mode = amChannelPreview; }, "3 8 14 5001-5003"},
      {"closed", [](TDispatchState&) {}, "3 14 1002"},
      // refused rows
      {"time-shift switched off", [&](TDispatchState& s) { live(s), s.TimeShiftEnabled = false; },
       noTimeShift},
      {"wis chip", [&](TDispatchState& s) { live(s), s.ChipFamily = 5; }, noTimeShift},
      {"memory channels", [&](TDispatchState& s) { live(s), s.TunerMode = 2; },
       "3 7-9 12 14 200-300 1000 1001 2000 3000 3001 4001-4004 6000 10000-10100"},
  };
  for (const auto& row : rows) {
    TDispatchState state;
    row.arrange(state);
    std::set<int> open, expected = Codes(row.open);
    expected.insert(always.begin(), always.end());
    for (const TCommandDef& c : CommandTable())
      if (GateOpen(c.gate, state)) open.insert(c.Code());
    EXPECT_EQ(open, expected) << row.what;
  }
}

TEST(KeyboardMap, KeysGiveTheirCommandsOrWindowActions) {
  using enum TCommand;
  using A = TKeyAction;
  const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    bool keypad, fm;
    TKeyAction action;
    TCommand command;
  } rows[] = {
      {Qt::Key_F1, shift, 0, 0, A::Command, Help}, {Qt::Key_F2, none, 0, 0, A::Command, TVOrFM},
      {Qt::Key_F3, none, 0, 0, A::Command, Mute}, {Qt::Key_F4, none, 0, 0, A::Command, Snapshot},
      {Qt::Key_F5, none, 0, 0, A::Command, Minimise}, {Qt::Key_F6, none, 0, 0, A::Command, Capture},
      {Qt::Key_F7, none, 0, 0, A::Command, Play}, {Qt::Key_F8, none, 0, 0, A::Command, TimeShifting},
      {Qt::Key_F9, none, 0, 0, A::Command, Setup}, {Qt::Key_F10, none, 0, 0, A::Command, SleepTimer},
      {Qt::Key_F11, none, 0, 0, A::Command, Schedule}, {Qt::Key_F12, none, 0, 0, A::PopupMenu, {}},
      {Qt::Key_Up, shift, 0, 0, A::Command, NextChannel}, {Qt::Key_Down, none, 0, 0, A::Command, PreviousChannel},
      {Qt::Key_Right, none, 0, 0, A::Command, VolumeUp}, {Qt::Key_Left, none, 0, 0, A::Command, VolumeDown},
      {Qt::Key_Backspace, none, 0, 0, A::Command, RecallChannel}, {Qt::Key_Escape, none, 0, 0, A::Escape, {}},
      {Qt::Key_Plus, shift, 1, 0, A::Command, VolumeUp}, {Qt::Key_Plus, ctrl, 1, 0, A::Command, FastSpeed},
      {Qt::Key_Plus, shift | ctrl, 1, 0, A::Command, VolumeUp}, {Qt::Key_Plus, none, 1, 0, A::Command, NextChannel},
      {Qt::Key_Minus, shift, 1, 0, A::Command, VolumeDown}, {Qt::Key_Minus, ctrl, 1, 0, A::Command, SlowSpeed},
      {Qt::Key_Minus, none, 1, 0, A::Command, PreviousChannel}, {Qt::Key_Plus, none, 0, 0, A::None, {}},
      {Qt::Key_F, ctrl, 0, 0, A::EnterFullScreen, {}}, {Qt::Key_F, none, 0, 0, A::None, {}},
      {Qt::Key_P, ctrl, 0, 0, A::Command, PlayGivenFile}, {Qt::Key_I, ctrl, 0, 0, A::TogglePIP, {}},
      {Qt::Key_V, ctrl | Qt::AltModifier, 0, 0, A::ShowVersion, {}}, {Qt::Key_V, ctrl, 0, 0, A::None, {}},
      {Qt::Key_Insert, none, 0, 0, A::Command, MemoriseChannel}, {Qt::Key_Insert, none, 0, 1, A::Command, MemoriseFM},
      {Qt::Key_A, none, 0, 0, A::None, {}},
  };
  for (const auto& row : rows) {
    const TKeyBinding binding = CommandForKey(row.key, row.modifiers, row.keypad, row.fm);
    EXPECT_EQ(binding.action, row.action) << row.key;
    EXPECT_TRUE(row.action != A::Command || binding.command == row.command) << row.key;
  }
}

// A dispatcher in live TV whose gate state the test changes.
class Dispatcher : public ::testing::Test {
 protected:
  Dispatcher() {
    state.Mode = amTV;
    dispatcher.State = [this] { return state; };
  }
  TCommandDispatcher dispatcher;
  TDispatchState state;
  std::vector<std::string> log;
};

TEST_F(Dispatcher, SaysWhetherACommandRan) {
  using enum TCommand;
  dispatcher.Register(Capture, [&] { state.Mode = amCapture; });
  dispatcher.Register(Stop, [&] { state.Mode = amTV; });
  EXPECT_EQ(dispatcher.ExecuteCommand(Stop), TCommandResult::Refused);  // nothing to stop in live TV
  EXPECT_EQ(dispatcher.ExecuteCommand(Capture), TCommandResult::Ran);
  EXPECT_EQ(dispatcher.ExecuteCommand(Capture), TCommandResult::Refused);
  EXPECT_EQ(dispatcher.ExecuteCommand(1002), TCommandResult::Ran);
  EXPECT_EQ(dispatcher.ExecuteCommand(NextChannel), TCommandResult::Unhandled);
  EXPECT_EQ(dispatcher.ExecuteCommand(4006), TCommandResult::Unhandled);
  dispatcher.Unavailable(Setup, "no dialog");
  EXPECT_FALSE(dispatcher.Has(Setup));
  EXPECT_EQ(dispatcher.UnavailableReason(Setup), "no dialog");
}

TEST_F(Dispatcher, CommandsDuringACommandWaitExceptThoseThatActAtOnce) {
  using enum TCommand;
  bool scanning = false;
  // A scan waits with the event loop running; commands arrive meanwhile.
  dispatcher.Register(Scan, [&] {
    log.push_back("scan");
    scanning = state.Scanning = true;
    dispatcher.ExecuteCommand(About);
    EXPECT_EQ(dispatcher.ExecuteCommand(Scan), TCommandResult::Ran);  // the abort
    EXPECT_EQ(dispatcher.ExecuteNext(Exit), TCommandResult::Queued);  // the system's exit
    dispatcher.Post([&] { log.push_back("message"); });
    dispatcher.RunNext([&] { log.push_back("typed channel"); });
    scanning = state.Scanning = false;
  });
  dispatcher.RegisterAtOnce(Scan, [&] {
    log.push_back("abort");
    return scanning;
  });
  dispatcher.RegisterAtOnce(Exit, [&] {
    log.push_back("exit asked");
    return false;
  });
  dispatcher.Register(Exit, [&] { log.push_back("exit"); });
  dispatcher.Register(About, [&] { log.push_back("about"); });
  EXPECT_EQ(dispatcher.ExecuteCommand(Scan), TCommandResult::Ran);
  EXPECT_EQ(log, (std::vector<std::string>{"scan", "abort", "exit asked", "typed channel", "exit", "about",
                                           "message"}));
  EXPECT_FALSE(dispatcher.Busy());
}

TEST_F(Dispatcher, ClosingDropsQueuedCommandsAndRefusesNewOnes) {
  using enum TCommand;
  dispatcher.Register(NextChannel, [&] {
    dispatcher.ExecuteCommand(About);
    dispatcher.Close();
  });
  dispatcher.Register(About, [&] { log.push_back("about"); });
  EXPECT_EQ(dispatcher.ExecuteCommand(NextChannel), TCommandResult::Ran);
  EXPECT_EQ(dispatcher.ExecuteCommand(About), TCommandResult::Closed);
  dispatcher.Post([&] { log.push_back("message"); });
  EXPECT_TRUE(log.empty());
}

TEST(ModeSwitch, LeavesThenEntersThenAnnouncesAndAFailedStepTellsNobody) {
  TMainInfo main;
  std::vector<std::string> steps;
  bool leaveOk = true, enterOk = true;
  main.LeaveMode = [&](TAppMode from, TAppMode to) {
    steps.push_back("leave " + std::to_string(from) + ">" + std::to_string(to));
    return leaveOk;
  };
  main.EnterMode = [&](TAppMode from, TAppMode to) {
    steps.push_back("enter " + std::to_string(from) + ">" + std::to_string(to));
    return enterOk;
  };
  main.OnModeChange = [&](TMainInfo&, TAppMode mode) { steps.push_back("told " + std::to_string(mode)); };
  EXPECT_TRUE(main.SetMode(amTV));
  EXPECT_TRUE(main.SetMode(amTV));  // the same mode: nothing at all
  leaveOk = false;
  EXPECT_FALSE(main.SetMode(amCapture));  // entering needs a successful leave
  leaveOk = true, enterOk = false;
  EXPECT_FALSE(main.SetMode(amCapture));
  EXPECT_EQ(main.Mode, amTV);
  EXPECT_EQ(steps, (std::vector<std::string>{"leave 8>0", "enter 8>0", "told 0", "leave 0>2", "leave 0>2",
                                             "enter 0>2"}));
}

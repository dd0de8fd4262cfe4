// The command table and what reads it: names, gates per mode, the key map, the dispatcher's
// queue, and the mode switch.

#include <QKeySequence>
#include <string>

#include "FormTestSupport.h"
#include "app/CommandDispatcher.h"
#include "app/KeyboardMap.h"

using namespace pvx::app;
using namespace pvx::commands;
using namespace pvx::settings;

TEST(CommandTable, NamesAliasesAndCodesFindTheirCommand) {
  for (const TCommandDef& c : CommandTable()) {
    EXPECT_EQ(ParseCommand(c.name), c.code) << c.name;
    EXPECT_EQ(ParseCommand(std::to_string(c.Code())), c.code);
    for (std::string_view alias : c.aliases) EXPECT_EQ(alias.empty() || ParseCommand(alias) == c.code, true) << alias;
    EXPECT_TRUE(c.menuItem.empty() || FindMenuCommand(c.menuItem) == &c) << c.name;
  }
  const std::pair<const char*, std::optional<int>> rows[] = {
      {"NEXT-CHANNEL", 4001}, {"Next_Channel", 4001}, {"ch-down", 4002}, {"Quit", 1},
      {"memorize-channel", 4005}, {"DIGIT-9", 10009}, {"dot", 10100}, {"10100", 10100},
      // failure rows
      {"", {}}, {"next channel", {}}, {"next-channel ", {}}, {"4", {}}, {"99999", {}}, {"4001x", {}},
      {"-1", {}}, {"+1", {}}, {"99999999999999999999", {}}, {"volume", {}}, {"digit-10x", {}},
  };
  for (const auto& [text, code] : rows) {
    const std::optional<TCommand> parsed = ParseCommand(text);
    EXPECT_EQ(parsed ? std::optional<int>(CodeOf(*parsed)) : std::nullopt, code) << '"' << text << '"';
  }
  EXPECT_EQ(FindCommand(6), nullptr);
  EXPECT_EQ(FindMenuCommand("itemAlwaysontop"), nullptr);
  EXPECT_FALSE(SameCommandName("volume up", "volume-up"));
}

// Each state and the codes of the commands whose gates open in it.
TEST(CommandTable, GatesOpenPerModeAndSource) {
  const std::pair<const char*, TDispatchState> rows[] = {
      {"live tuner", {.Mode = amTV}},
      {"composite", {.Mode = amTV, .VideoSource = 1}},
      {"scanning", {.Mode = amTV, .Scanning = true}},
      {"fm", {.Mode = amFMRadio}},
      {"recording", {.Mode = amCapture}},
      {"playback", {.Mode = amPlayback, .PlayerExists = true}},
      {"playback with pip", {.Mode = amPlayback, .PIPEnabled = true, .PlayerExists = true}},
      {"time-shifting", {.Mode = amTimeShifting}},
      {"time-shift ready", {.Mode = amTimeShifting, .TimeShiftReady = true}},
      {"time-shift playback", {.Mode = amTimeShiftPlayback, .PlayerExists = true}},
      {"channel preview", {.Mode = amChannelPreview}},
      {"closed", {}},
      // refused rows
      {"time-shift switched off", {.Mode = amTV, .TimeShiftEnabled = false}},
      {"wis chip", {.Mode = amTV, .ChipFamily = 5}},
      {"cable channels", {.Mode = amTV, .TunerMode = 1}},
      {"memory channels", {.Mode = amTV, .TunerMode = 2}},
  };
  QString text;
  for (const auto& [what, state] : rows) {
    text += what + QStringLiteral(":");
    for (const TCommandDef& c : CommandTable())
      if (GateOpen(c.gate, state)) text += QStringLiteral(" %1").arg(c.Code());
    text += '\n';
  }
  pvx::test::ExpectGolden(text, "app/CommandGates.txt");
}

// Each key's binding, then each modifier, keypad or FM-panel variant that binds differently.
TEST(KeyboardMap, KeysGiveTheirCommandsOrWindowActions) {
  const char* actions[] = {"none", "command", "popup menu", "escape", "full screen", "pip", "version"};
  auto describe = [&](TKeyBinding b) {
    return QString(actions[int(b.action)]) +
           (b.action == TKeyAction::Command ? " " + QString::fromUtf8(FindCommand(b.command).name) : QString());
  };
  std::vector<int> keys = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left, Qt::Key_Backspace, Qt::Key_Escape,
                           Qt::Key_Plus, Qt::Key_Minus, Qt::Key_F, Qt::Key_P, Qt::Key_I, Qt::Key_V, Qt::Key_Insert,
                           Qt::Key_A, Qt::Key_7};
  for (int key = Qt::Key_F1; key <= Qt::Key_F12; ++key) keys.push_back(key);
  QString text;
  for (int key : keys) {
    const QString plain = describe(CommandForKey(key, Qt::NoModifier, false, false));
    text += QKeySequence(key).toString() + " -> " + plain + '\n';
    for (Qt::KeyboardModifiers modifier : {Qt::NoModifier | Qt::NoModifier, Qt::ShiftModifier | Qt::NoModifier,
                                           Qt::ControlModifier | Qt::NoModifier, Qt::ShiftModifier | Qt::ControlModifier,
                                           Qt::ControlModifier | Qt::AltModifier})
      for (const auto& [keypad, fm, where] : {std::tuple{false, false, ""}, {true, false, " keypad"}, {false, true, " fm"}}) {
        const QString bound = describe(CommandForKey(key, modifier, keypad, fm));
        if (bound != plain) text += "  " + QKeySequence(modifier | Qt::Key(key)).toString() + where + " -> " + bound + '\n';
      }
  }
  pvx::test::ExpectGolden(text, "app/KeyBindings.txt");
}

// The table's key column reads as Qt keys; the keypad is a modifier of its own.
TEST(KeyboardMap, KeyTextsNameOneKeyEach) {
  for (const TCommandDef& c : CommandTable())
    for (std::string_view key : c.keys) EXPECT_TRUE(key.empty() || ParseKey(key)) << c.name << " " << key;
  using M = Qt::KeyboardModifier;
  const std::tuple<const char*, int, Qt::KeyboardModifiers> rows[] = {
      {"F6", Qt::Key_F6, {}}, {"Shift+Keypad-", Qt::Key_Minus, M::ShiftModifier | M::KeypadModifier},
      {"ctrl+alt+v", Qt::Key_V, M::ControlModifier | M::AltModifier}, {"Insert", Qt::Key_Insert, {}},
      // failure rows
      {"", 0, {}}, {"Keypad", 0, {}}, {"Hyper+F6", 0, {}}, {"F6, F7", 0, {}}, {"Ctrl+", 0, {}},
  };
  for (const auto& [text, key, modifiers] : rows) {
    const std::optional<TKeyChord> chord = ParseKey(text);
    EXPECT_EQ(chord ? chord->key : 0, key) << '"' << text << '"';
    EXPECT_EQ(chord ? chord->modifiers : Qt::KeyboardModifiers(), modifiers) << '"' << text << '"';
  }
}

// A dispatcher in live TV whose gate state the test changes.
class Dispatcher : public ::testing::Test {
 protected:
  Dispatcher() { dispatcher.State = [this] { return state; }; }
  TCommandDispatcher dispatcher;
  TDispatchState state{.Mode = amTV};
  std::vector<std::string> log;
};

TEST_F(Dispatcher, SaysWhetherACommandRan) {
  using enum TCommand;
  dispatcher.Register(Capture, [&] { state.Mode = amCapture; });
  dispatcher.Register(Stop, [&] { state.Mode = amTV; });
  // In turn: nothing to stop in live TV, a recording, none during it, its stop by code, a command
  // without a handler and an unknown code.
  using enum TCommandResult;
  const std::pair<int, TCommandResult> rows[] = {{1002, Refused}, {1001, Ran},       {1001, Refused},
                                                 {1002, Ran},     {4001, Unhandled}, {4006, Unhandled}};
  for (const auto& [code, result] : rows) EXPECT_EQ(dispatcher.ExecuteCommand(code), result) << code;
}

TEST_F(Dispatcher, NamesTheTableRowsThatHaveNoHandler) {
  EXPECT_EQ(dispatcher.MissingHandlers().size(), CommandTable().size());
  for (const TCommandDef& c : CommandTable())
    if (c.code != TCommand::Help) dispatcher.Register(c.code, [] {});
  dispatcher.RegisterAtOnce(TCommand::Help, [] { return true; });  // not a handler by itself
  EXPECT_EQ(dispatcher.MissingHandlers(), std::vector{TCommand::Help});
  dispatcher.Register(TCommand::Help, [] {});
  EXPECT_TRUE(dispatcher.MissingHandlers().empty());
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

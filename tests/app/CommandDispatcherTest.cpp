#include "app/CommandDispatcher.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace pvx::app;
using namespace pvx::settings;

namespace {

// Every code of the command table.
const std::vector<int> kCodes = [] {
  std::vector<int> codes = {1,    2,    3,    5,    7,    8,    9,    10,   11,   12,   13,
                            14,   200,  201,  202,  203,  204,  205,  206,  300,  401,  402,
                            403,  1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 2000, 2001,
                            3000, 3001, 4001, 4002, 4003, 4004, 4005, 5001, 5002, 5003, 6000,
                            6001, 6002, 6003, 6004, 6005, 10010, 10011, 10012, 10020, 10021, 10100};
  for (int d = 10000; d <= 10009; ++d) codes.push_back(d);
  return codes;
}();

std::set<int> AllowedCodes(const TDispatchState& state) {
  std::set<int> allowed;
  for (int code : kCodes)
    if (Allowed(code, state)) allowed.insert(code);
  return allowed;
}

std::set<int> Always() { return {1, 2, 5, 10, 11, 13, 401, 402, 403, 10021}; }

std::set<int> Plus(std::set<int> a, std::initializer_list<int> b) {
  a.insert(b.begin(), b.end());
  return a;
}

std::set<int> Digits() {
  std::set<int> d;
  for (int c = 10000; c <= 10009; ++c) d.insert(c);
  return d;
}

}  // namespace

TEST(CommandGates, LiveTunerAllowsTheTVCommands) {
  TDispatchState s;
  s.Mode = amTV;
  std::set<int> expected = Plus(Always(), {3, 7, 8, 9, 12, 14, 200, 201, 202, 203, 204, 205, 206,
                                           300, 1000, 1001, 2000, 3000, 3001, 4001, 4002, 4003,
                                           4004, 4005, 6000, 10010, 10011, 10012, 10020, 10100});
  const auto digits = Digits();
  expected.insert(digits.begin(), digits.end());
  EXPECT_EQ(AllowedCodes(s), expected);
}

TEST(CommandGates, CompositeSourceLosesTheTunerCommands) {
  TDispatchState s;
  s.Mode = amTV;
  s.VideoSource = 1;
  const std::set<int> expected = Plus(Always(), {3, 7, 12, 14, 200, 201, 202, 203, 204, 205, 206,
                                                 1000, 1001, 2000, 3000, 3001, 6000});
  EXPECT_EQ(AllowedCodes(s), expected);
}

TEST(CommandGates, ScanningAllowsOnlyTheScanAmongTunerCommands) {
  TDispatchState s;
  s.Mode = amTV;
  s.Scanning = true;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 14, 4004}));
}

TEST(CommandGates, FmRadio) {
  TDispatchState s;
  s.Mode = amFMRadio;
  std::set<int> expected = Plus(Always(), {7, 12, 1001, 3000, 3001, 4001, 4002, 4003, 5002, 5003,
                                           6000, 6001, 6002, 6003, 6004, 6005, 10020});
  const auto digits = Digits();
  expected.insert(digits.begin(), digits.end());
  EXPECT_EQ(AllowedCodes(s), expected);
}

TEST(CommandGates, Recording) {
  TDispatchState s;
  s.Mode = amCapture;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 14, 1002}));
}

TEST(CommandGates, PlaybackWithAndWithoutPip) {
  TDispatchState s;
  s.Mode = amPlayback;
  s.PlayerExists = true;
  const std::set<int> playing =
      Plus(Always(), {3, 14, 1000, 1002, 1003, 1004, 1005, 1006, 1007, 3000, 3001});
  EXPECT_EQ(AllowedCodes(s), playing);
  // With PIP the live channel keeps its channel and digit commands.
  s.PIPEnabled = true;
  std::set<int> pip = Plus(playing, {300, 4001, 4002, 4003, 4005, 10010, 10011, 10012, 10020, 10100});
  const auto digits = Digits();
  pip.insert(digits.begin(), digits.end());
  EXPECT_EQ(AllowedCodes(s), pip);
}

TEST(CommandGates, TimeShiftingAndItsBuffer) {
  TDispatchState s;
  s.Mode = amTimeShifting;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 14, 1002, 2001}));
  s.TimeShiftReady = true;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 14, 1002, 2001, 3000}));
  s.Mode = amTimeShiftPlayback;
  s.PlayerExists = true;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 14, 1000, 1002, 1003, 1004, 1005, 1006, 1007, 2001,
                                             3000, 3001}));
}

TEST(CommandGates, ChannelPreviewAndClosed) {
  TDispatchState s;
  s.Mode = amChannelPreview;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 8, 14, 5001, 5002, 5003}));
  s.Mode = amClosed;
  EXPECT_EQ(AllowedCodes(s), Plus(Always(), {3, 14, 1002}));
}

TEST(CommandGates, TimeShiftNeedsItsSwitchAndNoWisChip) {
  TDispatchState s;
  s.Mode = amTV;
  EXPECT_TRUE(Allowed(2000, s));
  s.TimeShiftEnabled = false;
  EXPECT_FALSE(Allowed(2000, s));
  s.TimeShiftEnabled = true;
  s.ChipFamily = 5;
  EXPECT_FALSE(Allowed(2000, s));
}

TEST(CommandGates, MemoriseNeedsAntennaOrCable) {
  TDispatchState s;
  s.Mode = amTV;
  s.TunerMode = 2;
  EXPECT_FALSE(Allowed(4005, s));
  s.TunerMode = 1;
  EXPECT_TRUE(Allowed(4005, s));
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
};

TEST_F(Dispatcher, RunsAllowedCommandsOnly) {
  std::vector<int> ran;
  for (int code : {1001, 1002, 4001}) dispatcher.Register(code, [&ran, code] { ran.push_back(code); });
  EXPECT_TRUE(dispatcher.ExecuteCommand(1001));
  EXPECT_FALSE(dispatcher.ExecuteCommand(1002));  // Stop does nothing in live TV
  state.Mode = amCapture;
  EXPECT_FALSE(dispatcher.ExecuteCommand(1001));  // a second capture does nothing
  EXPECT_TRUE(dispatcher.ExecuteCommand(1002));
  EXPECT_FALSE(dispatcher.ExecuteCommand(4002));  // gate passes nowhere, nothing registered
  EXPECT_EQ(ran, (std::vector<int>{1001, 1002}));
}

TEST_F(Dispatcher, CommandsArrivingDuringACommandRunAfterIt) {
  std::vector<std::string> log;
  // 4001 waits with the event loop running; an Exit and a capture arrive meanwhile.
  dispatcher.Register(4001, [&] {
    log.push_back("tune start");
    dispatcher.ExecuteCommand(1);
    dispatcher.ExecuteCommand(1001);
    log.push_back("tune end");
  });
  dispatcher.Register(1, [&] { log.push_back("exit"); });
  dispatcher.Register(1001, [&] {
    log.push_back("capture");
    state.Mode = amCapture;
  });
  EXPECT_TRUE(dispatcher.ExecuteCommand(4001));
  EXPECT_EQ(log, (std::vector<std::string>{"tune start", "tune end", "exit", "capture"}));
  EXPECT_FALSE(dispatcher.Busy());
}

TEST_F(Dispatcher, AnExitFromTheSystemGoesFirstAndClosingDropsTheRest) {
  std::vector<std::string> log;
  dispatcher.Register(4001, [&] {
    log.push_back("tune");
    dispatcher.ExecuteCommand(13);
    dispatcher.ExecuteNext(1);
  });
  dispatcher.Register(13, [&] { log.push_back("about"); });
  dispatcher.Register(1, [&] {
    log.push_back("exit");
    dispatcher.Close();
  });
  EXPECT_TRUE(dispatcher.ExecuteCommand(4001));
  EXPECT_EQ(log, (std::vector<std::string>{"tune", "exit"}));
  EXPECT_FALSE(dispatcher.ExecuteCommand(13));
  EXPECT_FALSE(dispatcher.ExecuteNext(1));
  bool ran = false;
  dispatcher.RunNext([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_EQ(log.size(), 2u);
}

TEST(ModeSwitch, LeavesThenEntersThenAnnounces) {
  TMainInfo main;
  std::vector<std::string> steps;
  main.LeaveMode = [&](TAppMode from, TAppMode to) {
    steps.push_back("leave " + std::to_string(from) + ">" + std::to_string(to));
    return true;
  };
  main.EnterMode = [&](TAppMode from, TAppMode to) {
    steps.push_back("enter " + std::to_string(from) + ">" + std::to_string(to));
    return true;
  };
  main.OnModeChange = [&](TMainInfo&, TAppMode mode) { steps.push_back("told " + std::to_string(mode)); };
  EXPECT_TRUE(main.SetMode(amTV));
  EXPECT_EQ(main.Mode, amTV);
  EXPECT_EQ(steps, (std::vector<std::string>{"leave 8>0", "enter 8>0", "told 0"}));
  steps.clear();
  EXPECT_TRUE(main.SetMode(amTV));  // the same mode: nothing at all
  EXPECT_TRUE(steps.empty());
}

TEST(ModeSwitch, FailedStepsKeepTheModeAndTellNobody) {
  TMainInfo main;
  main.Mode = amTV;
  int told = 0;
  main.OnModeChange = [&](TMainInfo&, TAppMode) { ++told; };
  bool leaveOk = false, enterOk = true;
  int entered = 0;
  main.LeaveMode = [&](TAppMode, TAppMode) { return leaveOk; };
  main.EnterMode = [&](TAppMode, TAppMode) {
    ++entered;
    return enterOk;
  };
  EXPECT_FALSE(main.SetMode(amCapture));
  EXPECT_EQ(entered, 0) << "entering needs a successful leave";
  leaveOk = true;
  enterOk = false;
  EXPECT_FALSE(main.SetMode(amCapture));
  EXPECT_EQ(main.Mode, amTV);
  EXPECT_EQ(told, 0);
}

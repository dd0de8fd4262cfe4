// The whole shell in this process on the virtual card: start-up with its arguments, a handler
// for every command, the dispatcher's gates against the running engine, the command message,
// the end of a recording and the exit sequence. Then FM radio and the control panels: in and out
// by every way in, seek over the stations, a seek cut short, starting in FM, and the panels'
// buttons driving live TV, the radio and an FM recording.

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSlider>
#include <csignal>
#include <optional>
#include <set>

#include "ShellFixture.h"
#include "app/AboutDialog.h"
#include "app/ChannelCommands.h"
#include "app/FMCommands.h"
#include "engine/AudioAdjustInfo.h"
#include "platform/TerminationSignals.h"
#include "panels/FormFMMainPanel.h"
#include "panels/UIInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/ErrorMessages.h"
#include "settings/PreviewInfo.h"
#include "support/ModelEdits.h"
#include "tuning/FormTVSetupWizard.h"
#include "ui/settings/ConfigForm.h"
#include "util/FrequencyFormat.h"

namespace pvx::test {
namespace {

using namespace settings;
using Answers = std::vector<qint32>;

// Without the media components the program stops before reading settings; level 8 is enough.
TEST_F(Shell, StartsLiveTVWithTheMediaComponentsAndKeepsTheScreenOnUntilExit) {
  test::System().MediaLevel = 0, test::System().MissingMedia = {"x264enc"};
  EXPECT_FALSE(Initialize());
  ASSERT_EQ(test::Dialogs().Boxes.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Boxes[0].text.startsWith(
      "Your DirectX Version is V0.0. Sorry, we need DirectX 8.0 above. \rPlease Insatll DirectX 9.0"));
  app_.reset(), test::System().MediaLevel = 8;
  EXPECT_FALSE(QFile::exists(app::TApplication::MainSettingsPath()));
  // A time-shift pair left by an abrupt end goes from the chosen folder, not the default one.
  StoreMainSettings([](TMainInfo& m) {
    test::EditPrefs(m, [](settings::TMainPreferences& p) { p.CaptureFolder = test::Home() + "chosen/"; });
  });
  for (const char* file : {"chosen/ts0.mpv", "chosen/ts0.mpa", "Documents/ts0.mpv"})
    test::WriteFile(test::Home() + file, "left");
  ASSERT_TRUE(Start());
  EXPECT_TRUE(QDir(Home() + "chosen").isEmpty() && QFileInfo::exists(Home() + "Documents/ts0.mpv"));
  EXPECT_TRUE(test::Dialogs().Boxes.size() == 1u && test::ProgramMain().Mode() == amTV);
  EXPECT_TRUE(Window().isVisible() && Window().OSD()->IsOSDEnabled() && PictureRuns());
  EXPECT_EQ(test::System().ActiveInhibits, QList<quint32>{7});

  App().ShutdownApplication();
  EXPECT_TRUE(test::System().ActiveInhibits.isEmpty() && SettingsWritten());
  App().ShutdownApplication();  // a second exit (session end, then close) does nothing
  EXPECT_FALSE(App().StartApplication()) << "no start after the exit";
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

// Without its card the program says so and ends: before the devices open (1000), or once they
// are open but the picture cannot start (1001); a scheduler waiting for its start is told.
TEST_F(Shell, ACardGoneAtTheStartEndsTheProgramWithItsMessage) {
  SchedulerWindow scheduler;
  platform::devices::DefaultVirtualCard()->Unplug();
  EXPECT_FALSE(Initialize());
  app_.reset(), platform::devices::InstallVirtualCard({});
  ASSERT_TRUE(Initialize({"srec_tv"}));
  platform::devices::DefaultVirtualCard()->Unplug();
  EXPECT_FALSE(FinishStart());
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status() == Answers{ipc::kScheduledStartRefused}; }));
  EXPECT_EQ(Dialogs().Warnings, (std::vector<QStringList>{{GetErrorMessage(1000)}, {GetErrorMessage(1001)}}));
  EXPECT_FALSE(App().AudioAdjustInfo()->Muted()) << "the sound muted for the start is back";
}

// A shown menu item without an action of its own sends a row's command (MainWindow.MenuItems...
// checks which, and the reason a disabled one gives).
TEST_F(LiveTV, EveryRowOfTheCommandTableAndEveryEnabledMenuItemHasAHandler) {
  EXPECT_EQ(App().Dispatcher().MissingHandlers(), std::vector<TCommand>{});
  int walked = 0;
  for (QAction* item : Window().PopupMainMenu()->findChildren<QAction*>()) {
    if (item->isSeparator() || item->menu() || !item->isVisible() || !item->isEnabled()) continue;
    ++walked;
    EXPECT_TRUE(app::TMainMenu::HasOwnAction(item) || app::TMainMenu::CommandOf(item))
        << item->objectName().toStdString();
  }
  EXPECT_GT(walked, 15);
  EXPECT_TRUE(Window().PopupMainMenu()->Item("itemConfig")->isEnabled()) << "the settings dialog opens";
}

// The gates read the running shell's state: each probe has a visible effect where it opens.
TEST_F(LiveTV, EveryModeOpensOnlyItsCommandsOnTheRunningEngine) {
  auto channel = [] { return QString::number(test::ProgramChannels().CurrentChannel()); };
  auto source = [] { return QString::number(test::ProgramChannels().VideoSource()); };
  auto mode = [] { return QString::number(test::ProgramMain().Mode()); };
  // A probe's code, what it changes, and the modes where it runs.
  const std::tuple<int, std::function<QString()>, std::set<TAppMode>> probes[] = {
      {4001, channel, {amTV, amFMRadio}},
      {205, source, {amTV}},
      {1002, mode, {amCapture, amScheduledCapture, amPlayback, amTimeShifting, amTimeShiftPlayback, amClosed}}};
  for (int m = amTV; m <= amClosed; ++m) {
    for (const auto& [code, observe, opensIn] : probes) {
      test::ForceMode(test::ProgramMain(), amTV);  // from live TV on the antenna into the mode
      App().ExecuteCommand(201), test::ForceMode(test::ProgramMain(), TAppMode(m));
      const QString before = observe();
      App().ExecuteCommand(code);
      EXPECT_EQ(observe() != before, opensIn.count(TAppMode(m)) == 1) << code << " in " << m;
    }
  }
  test::ForceMode(test::ProgramMain(), amTV);
  ASSERT_TRUE(PictureRuns());
  // A scan in progress leaves only the scan command among the tuner commands.
  test::DuringAScan([&] {
    const QString before = channel();
    App().ExecuteCommand(4001), App().ExecuteCommand(10005);
    EXPECT_EQ(App().HandleMessage(ipc::kMsgCommand, CodeOf(TCommand::PreviousChannel), 0), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(channel(), before);
  });
}

TEST_F(LiveTV, VolumeStepsShowTheirPercentOnTheOSD) {
  ASSERT_TRUE(App().AudioAdjustInfo()->HasMixer());
  // A step near either end stops there.
  for (const auto& [from, code, shown, to] :
       {std::tuple{62000, 401, "Volume 100%", 65535}, {3000, 402, "Volume 0%", 0}}) {
    App().AudioAdjustInfo()->SetVolume(from), App().ExecuteCommand(code);
    EXPECT_EQ(std::pair(OSDText(), App().AudioAdjustInfo()->Volume()), std::pair(QString(shown), to));
  }
  App().ExecuteCommand(403);
  EXPECT_EQ(OSDText(), "Mute ON");
  // The check mark follows the mixer's own report of the change.
  EXPECT_TRUE(WaitUntil([&] { return Window().PopupMainMenu()->Item("itemMute")->isChecked(); }));
  App().ExecuteCommand(403);
  EXPECT_EQ(OSDText(), "Mute OFF");
}

TEST_F(LiveTV, ACommandMessageDuringAWarningOnlyClosesTheWarning) {
  const int channel = test::ProgramChannels().CurrentChannel();
  qint32 answer = -1;
  test::Dialogs().WhileWarningOpen = [&] {
    answer = App().HandleMessage(ipc::kMsgCommand, CodeOf(TCommand::NextChannel), 0);
  };
  ShowErrorCode(1006);
  test::Dialogs().WhileWarningOpen = nullptr;
  EXPECT_EQ(std::pair(answer, test::Dialogs().CloseWarningCalls), std::pair(0, 1));
  QCoreApplication::processEvents();
  EXPECT_EQ(test::ProgramChannels().CurrentChannel(), channel);

  // Without a warning the same message runs the command from the event loop.
  EXPECT_EQ(App().HandleMessage(ipc::kMsgCommand, CodeOf(TCommand::NextChannel), 0), 1);
  EXPECT_TRUE(WaitUntil([&] { return test::ProgramChannels().CurrentChannel() != channel; }));
  // Unknown messages are ignored; activation brings the window back.
  EXPECT_EQ(App().HandleMessage(9999, 1, 0), 0);
  Window().showMinimized();
  EXPECT_EQ(App().HandleMessage(ipc::kMsgActivate, 0, 0), 1);
  EXPECT_FALSE(Window().isMinimized());
}

// A refused start, a recording that ends and a full disk during an unattended recording: the
// scheduler hears of the first and the last, and live TV goes on.
TEST_F(Shell, TheSchedulerHearsOfARefusedStartAndOfAFullDiskUnattendedAndLiveTVGoesOn) {
  SchedulerWindow scheduler;
  // The scheduler's argument asks for the recording once running, but no order waits. Nobody
  // attends such a start: a fresh home takes the country plan, not the wizard.
  FirstStart = true;
  ASSERT_TRUE(Start({"SREC_TV"}));
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status() == Answers{ipc::kScheduledStartRefused}; }));
  EXPECT_TRUE(test::ProgramMain().Mode() == amTV && PictureRuns());
  // The channel-preview command enters the preview, and leaves it again for live TV.
  ASSERT_TRUE(WaitUntil([&] {
    App().ExecuteCommand(8);
    return test::ProgramMain().Mode() == amChannelPreview;
  }));
  App().ExecuteCommand(8);
  EXPECT_TRUE(WaitUntil([] { return test::ProgramMain().Mode() == amTV; }));

  auto progress = [this](bool stop, qint64 freeLess500k) {
    Engine().OnCaptureProgress(Engine(), stop, false, freeLess500k, 1000000, 12);
  };
  test::ForceMode(test::ProgramMain(), amCapture);
  progress(false, 400000);  // running figures change nothing
  EXPECT_EQ(test::ProgramMain().Mode(), amCapture);
  progress(true, 1);  // a time limit, however little room is left: back to TV, no message
  EXPECT_EQ(test::ProgramMain().Mode(), amTV);
  EXPECT_TRUE(test::Dialogs().Warnings.empty() && PictureRuns());

  // A full disk during an unattended recording: the scheduler is told instead.
  test::ForceMode(test::ProgramMain(), amScheduledCapture);
  Engine().SetUnattended(true), progress(true, 0), Engine().SetUnattended(false);
  EXPECT_TRUE(test::ProgramMain().Mode() == amTV && test::Dialogs().Warnings.empty());
  const Answers told = {ipc::kScheduledStartRefused, ipc::kScheduledDiskFull};
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status() == told; }));
  EXPECT_EQ(test::System().Notifications, QStringList({"Scheduled recording could not start: ",
                                                       "Scheduled recording stopped: the disk is full: "}));
}

TEST_F(Shell, StartingInFMThatCannotStartEndsAndStartsInTVNextTime) {
  // A tuner without the FM band: the engine says so (1014) and the program ends.
  platform::devices::InstallVirtualCard({.HasFM = false});
  StoreMainSettings([](TMainInfo& m) { m.SetFMEnabled(true), m.SetStartInFM(true); });
  EXPECT_FALSE(Start({"Fm"}));
  EXPECT_EQ(App().MainWindow(), nullptr) << "the exit sequence ran";
  TMainInfo saved;
  EXPECT_TRUE(saved.LoadMainSettings(app::TApplication::MainSettingsPath(), {}));
  EXPECT_TRUE(!saved.Prefs().StartInFM && test::Dialogs().Warnings.size() == 1u);
  // Live TV next time, where the radio is refused with the same message and the TV screen
  // gets its OSD back.
  app_.reset();
  ASSERT_TRUE(Start());
  App().ExecuteCommand(TCommand::TVOrFM);
  EXPECT_TRUE(test::ProgramMain().Mode() == amTV && Window().isVisible() && Window().OSD()->IsOSDEnabled());
  EXPECT_TRUE(test::Dialogs().Warnings.size() == 2u && PictureRuns());
}

// What `steps` next-source commands go through: the tuner's table, or 10 and the input.
std::vector<int> SourcesRound(app::TApplication& app, int steps) {
  std::vector<int> sources;
  for (int step = 0; step < steps; ++step) {
    app.ExecuteCommand(TCommand::SwitchVideoSource);
    const int input = ProgramChannels().VideoSource();
    sources.push_back(input ? 10 + input : ProgramChannels().CurrentTable());
  }
  return sources;
}

// Each row asks for FM radio in a way that must still start live TV; the rows share the home.
TEST_F(Shell, StartInFMNeedsFMEnabledTheArgumentAndATuner) {
  // `picture`: the tuner's picture; a card without one shows the composite input.
  const struct { const char* why; QStringList arguments; std::function<void()> before, whileStarting; bool picture;
  } rows[] = {
      {"the stored flag alone", QStringList(),
       [] { StoreMainSettings([](TMainInfo& m) { m.SetFMEnabled(true), m.SetStartInFM(true); }); }, [] {},
       true},
      {"fm switched off for this run", QStringList("fm"), [] {}, [] { test::ProgramMain().SetFMEnabled(false); }, true},
      {"a card without tuner", QStringList("fm"),
       [] { platform::devices::InstallVirtualCard({.HasTuner = false, .HasFM = false}); }, [] {}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    app_.reset();
    row.before();
    ASSERT_TRUE(Initialize(row.arguments));
    row.whileStarting();
    ASSERT_TRUE(FinishStart());
    EXPECT_TRUE(test::ProgramMain().Mode() == amTV && !Engine().NoPreviewRender());
    EXPECT_TRUE(!row.picture || PictureRuns());
  }
  EXPECT_FALSE(test::ProgramMain().FMEnabled() || test::ProgramMain().Prefs().StartInFM) << "no FM next time";
  EXPECT_EQ(test::ProgramChannels().VideoSource(), 1);  // composite
  EXPECT_FALSE(MenuShows("itemNextChannel"));
  // Without a tuner the next-source command goes round the inputs: S-Video, camera, composite.
  EXPECT_EQ(SourcesRound(App(), 3), (std::vector<int>{12, 13, 11}));
}

// Eleven is one command: the Enter follows the two digits. Keys typed in the main window tune
// with Enter, or a second after the last key; the OSD shows the channel at the top.
TEST_F(LiveTV, TypedChannelsTuneFromCommandsAndKeysAndShowNumberNameAndAudioMode) {
  App().ExecuteCommand(10011);
  EXPECT_TRUE(WaitUntil([] { return test::ProgramChannels().CurrentChannel() == 11; }));
  for (int code : {10002, 10005, 10020}) App().ExecuteCommand(code);
  EXPECT_TRUE(WaitUntil([] { return test::ProgramChannels().CurrentChannel() == 25; }));
  test::ProgramChannels().ChannelRecord(false, 7)->Name = "Seven Sports";
  for (const auto& [keys, shown] : {std::pair{"7", "7 Seven Sports - Mono"}, {"8", "8 - Mono"}}) {
    QTest::keyClicks(&Window(), keys), QTest::keyClick(&Window(), Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([&] { return OSDText() == shown; })) << OSDText().toStdString();
    EXPECT_EQ(Window().OSD()->LabelOSD()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight) << "at the top";
  }
  EXPECT_EQ(app::ChannelOSDText(test::ProgramChannels(), 9, QString()), "9");
  QTest::keyClicks(&Window(), "4"), test::Clock().Advance(999), QCoreApplication::processEvents();
  EXPECT_EQ(test::ProgramChannels().CurrentChannel(), 8);
  test::Clock().Advance(1);
  EXPECT_TRUE(WaitUntil([] { return test::ProgramChannels().CurrentChannel() == 4; }));
  EXPECT_TRUE(PictureRuns());
}

bool Post(std::vector<ipc::TMessage> messages) { return ipc::PostMessages(ipc::kMainWindowClass, messages); }

// Answers the setup wizard as a user who scans the antenna table.
void ScanTheAntenna(tuning::TFormTVSetupWizard& wizard) {
  for (const char* button : {"BitBtnNext", "RadioButtonAntenna", "BitBtnNext", "BitBtnStart", "BitBtnFinish"})
    wizard.findChild<QAbstractButton*>(button)->click();
}

// At the scan's first channel, which waits (boundedly) to be told to stop: a second scan command,
// the exit command or the window closed stops the scan there; the last two end the program.
TEST_F(Shell, AScanStopsWithinAChannelForAScanOrExitCommandOrAClosedWindow) {
  auto post = [](TCommand command) { return [=] { EXPECT_TRUE(Post({{ipc::kMsgCommand, CodeOf(command), 0}})); }; };
  const struct { const char* why; std::function<void()> atFirstChannel; bool ends; } rows[] = {
      {"a second scan command", post(TCommand::Scan), false},
      {"the exit command", post(TCommand::Exit), true},
      {"the window closed, as the window system or the sleep timer does", [this] { Window().close(); }, true},
      {"the session ends", [this] { App().RequestExit(); }, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    ASSERT_TRUE(Start());
    const int channel = test::ProgramChannels().CurrentChannel();
    int steps = 0, done = 0;
    bool aborted = false;
    TAppMode announced = amTV;
    test::ProgramChannels().OnAutoScanProgress = [&](TChannelInfo& channels, int, bool, bool) {
      if (++steps != 1) return;
      row.atFirstChannel();
      WaitUntil([&] { return channels.AbortRequested(); }, 5000);
    };
    test::ProgramChannels().OnAutoScanDone = [&](TChannelInfo&, int, int, int, bool was) { ++done, aborted = was; };
    // The windows hear that the program closes.
    test::ProgramMain().OnModeChange = [&, heard = test::ProgramMain().OnModeChange](TMainInfo& m, TAppMode mode) {
      announced = mode;
      if (heard) heard(m, mode);
    };
    ASSERT_TRUE(Post({{ipc::kMsgCommand, CodeOf(TCommand::Scan), 0}}));
    ASSERT_TRUE(WaitUntil([&] { return row.ends ? !App().MainWindow() : done > 0 && !App().Dispatcher().Busy(); }));
    EXPECT_TRUE(aborted && steps == 1);
    if (row.ends) EXPECT_TRUE(announced == amClosed && SettingsWritten());
    else EXPECT_TRUE(done == 1 && test::ProgramChannels().CurrentChannel() == channel && PictureRuns())
        << "the abort started no second scan";
    app_.reset();
  }
}

TEST_F(LiveTV, WindowMessagesThatChangeTheModeWaitForTheRunningTune) {
  std::vector<std::string> log;
  const auto relay = test::ProgramChannels().OnChannelChange;
  test::ProgramChannels().OnChannelChange = [&](TChannelInfo& c, int n, const QString& text) {
    log.push_back("channel"), relay(c, n, text);
  };
  const auto leave = test::ProgramMain().LeaveMode;
  test::ProgramMain().LeaveMode = [&](TAppMode from, TAppMode to) { return log.push_back("mode"), leave(from, to); };
  for (quint32 message : {ipc::kMsgEnterFM, ipc::kMsgScheduledStart}) {
    log.clear();
    ASSERT_TRUE(Post({{ipc::kMsgCommand, CodeOf(TCommand::NextChannel), 0}, {message, 0, 0}}));
    EXPECT_TRUE(WaitUntil([&] { return log.size() >= 2 && !App().Dispatcher().Busy(); }));
    // Entering FM tunes its memory after the switch.
    EXPECT_EQ(std::vector(log.begin(), log.begin() + 2), (std::vector<std::string>{"channel", "mode"})) << message;
  }
  // The log goes before the shell's exit, which changes the mode (out of the FM radio the first
  // message started, which EachWayInAndOut... follows back to live TV).
  test::ProgramChannels().OnChannelChange = relay, test::ProgramMain().LeaveMode = leave;
}

TEST_F(LiveTV, TheSleepTimerLeavesThePowerOffToARunningScheduler) {
  SchedulerWindow scheduler;
  test::Answer<app::TFormSleepingTimer>([&] { QTest::keyClick(&Window(), Qt::Key_F10); }, [](auto& dialog) {
    Child<QSlider>(dialog, "TrackBarSleepingTimer")->setValue(1);
    QTest::mouseClick(Child<QPushButton>(dialog, "BitBtnOK"), Qt::LeftButton);
  });
  test::Clock().Advance(60000);
  EXPECT_EQ(App().MainWindow(), nullptr) << "the program closed";
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Messages() == Answers{ipc::kMsgSleepTimerExpired}; }));
  EXPECT_EQ(test::System().PowerOffCalls, 0);
}

TEST_F(Shell, TheWizardOfAFirstStartOrOfItsCommandEndsInLiveTVWithTheScannedChannels) {
  FirstStart = true;
  bool cancellable = true, windowShown = false, started = false;
  test::Answer<tuning::TFormTVSetupWizard>([&] { started = Start(); }, [&](auto& wizard) {
    windowShown = Window().isVisible();
    wizard.reject();  // Escape: ignored on a first run
    cancellable = Child<QAbstractButton>(wizard, "BitBtnCancel")->isEnabled() || !wizard.isVisible();
    ScanTheAntenna(wizard);
  });
  ASSERT_TRUE(started);
  EXPECT_TRUE(!cancellable && windowShown) << "a first run's wizard opens over the main window, for good";
  EXPECT_GT(test::ProgramChannels().ValidCount(), 0) << "the virtual card's stations were found";
  // The antenna, on the tuner's input.
  EXPECT_EQ(std::tuple(test::ProgramChannels().CableTypeChoice(), test::ProgramChannels().VideoSource(),
                       Engine().Routing().InputKind()), std::tuple(0, 0, 1));
  EXPECT_TRUE(PictureRuns());

  // Its command runs it again over live TV.
  test::ProgramChannels().RestoreTables({}, test::ProgramChannels().CableChannels());
  Answer<tuning::TFormTVSetupWizard>([&] { App().Dispatcher().ExecuteCommand(TCommand::TVSetupWizard); },
                                     ScanTheAntenna);
  EXPECT_TRUE(test::ProgramChannels().ValidCount() > 0 && PictureRuns());
}

// A logout during the start: while the first start's wizard waits or scans (stopped at the
// channel it was on), or while the warning about a damaged settings file waits for OK. The program
// ends through its exit with its main settings written; an unfinished first setup makes no channel
// file (the next start asks again), and a file not yet read stays as it was.
TEST_F(Shell, ATerminationSignalDuringTheStartEndsTheProgramThroughItsExit) {
  platform::HandleTerminationSignals([] {
    if (RunningProgram) RunningProgram->RequestExit();
  });
  for (const int scanTo : {0, 2, -1}) {  // the wizard's channels scanned; -1 the warning
    SCOPED_TRACE(scanTo);
    FirstStart = scanTo >= 0;
    if (!FirstStart) StoreTunedChannels(), WriteFile(app::TApplication::MainSettingsPath(), "damaged");
    const QByteArray channels = ReadFile(app::TApplication::ChannelSettingsPath());
    Dialogs().WhileWarningOpen = [] { ::raise(SIGTERM), QCoreApplication::processEvents(); };
    int scanned = 0;
    std::optional<ModalAnswer<tuning::TFormTVSetupWizard>> wizard;
    if (FirstStart) wizard.emplace([&](tuning::TFormTVSetupWizard& form) {
      if (!scanTo) return void(::raise(SIGTERM));
      for (const char* button : {"BitBtnNext", "RadioButtonAntenna", "BitBtnNext", "BitBtnStart"})
        form.findChild<QAbstractButton*>(button)->click();
    });
    ASSERT_TRUE(Initialize());
    test::ProgramChannels().OnAutoScanProgress = [&](TChannelInfo&, int, bool, bool) {
      if (++scanned == scanTo) ::raise(SIGTERM);
    };
    EXPECT_TRUE(WaitUntil([&] { return !App().MainWindow(); }));
    EXPECT_EQ(scanned, std::max(scanTo, 0));
    EXPECT_EQ(Dialogs().Warnings.size(), FirstStart ? 0u : 1u);
    EXPECT_TRUE(QFile::exists(app::TApplication::MainSettingsPath()) &&
                ReadFile(app::TApplication::ChannelSettingsPath()) == channels);
    app_.reset(), wizard.reset();
    QFile::remove(app::TApplication::MainSettingsPath());
  }
}

// Keys pressed in the main window, with their modifiers, run their commands once each (the
// keypad's are keys of their own); Insert memorises the FM frequency while the FM panel shows.
TEST_F(LiveTV, KeysRunTheirCommandsOnceAndInsertMemorisesTheFMFrequencyWhileTheFMPanelShows) {
  std::vector<TCommand> seen;
  App().Dispatcher().OnCommand = [&](TCommand code, app::TCommandResult) { seen.push_back(code); };
  bool fmPanel = false;
  Window().Panels.FMPanelVisible = [&] { return fmPanel; };
  const int channel = test::ProgramChannels().CurrentChannel();
  QTest::keyClick(&Window(), Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_TRUE(WaitUntil([&] { return test::ProgramChannels().CurrentChannel() != channel; }));
  Settle();
  QTest::keyClick(&Window(), Qt::Key_Plus, Qt::ShiftModifier | Qt::KeypadModifier);
  // The memorise dialog of a TV channel.
  Answer<QDialog>([&] { QTest::keyClick(&Window(), Qt::Key_Insert); },
                  [](QDialog& dialog) { dialog.reject(); });
  fmPanel = true;
  QTest::keyClick(&Window(), Qt::Key_Insert);
  EXPECT_EQ(seen, (std::vector<TCommand>{TCommand::NextChannel, TCommand::VolumeUp, TCommand::MemoriseChannel,
                                         TCommand::MemoriseFM}));
  // The window's own keys: Ctrl+F fills the screen (a second time too) and Esc leaves it, Ctrl+I
  // switches picture in picture, Ctrl+Alt+V tells the version and F12 opens the menu.
  for (const int key : {Qt::Key_F, Qt::Key_F}) QTest::keyClick(&Window(), Qt::Key(key), Qt::ControlModifier);
  EXPECT_TRUE(Window().IsFullScreen());
  QTest::keyClick(&Window(), Qt::Key_Escape);
  EXPECT_FALSE(Window().IsFullScreen());
  const bool pip = test::ProgramMain().Prefs().PIPEnabled;
  QTest::keyClick(&Window(), Qt::Key_I, Qt::ControlModifier);
  EXPECT_NE(test::ProgramMain().Prefs().PIPEnabled, pip);
  QTest::keyClick(&Window(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(test::Dialogs().Boxes.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Boxes[0].text.startsWith("Version = "));
  QTest::keyClick(&Window(), Qt::Key_F12);
  EXPECT_TRUE(Window().PopupMainMenu()->isVisible());
  Window().PopupMainMenu()->hide();
  app_.reset();  // the exit, while the hooks' variables live
}

// A last save that fails does not hold the end up with a warning nobody may be there to answer
// (a logout): it goes to the log.
TEST_F(LiveTV, AFailedSaveAtTheEndIsLoggedAndTheProgramEnds) {
  QFile::remove(app::TApplication::MainSettingsPath());
  ASSERT_TRUE(QDir().mkpath(app::TApplication::MainSettingsPath()));  // a folder in its place
  App().ExecuteCommand(TCommand::Exit);
  EXPECT_TRUE(WaitUntil([&] { return !App().MainWindow(); }));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  app_.reset();
}

// The window's commands over live TV: the settings dialog (the window keeps its always-on-top
// setting after it), help, minimise or restore and a snapshot; then About, during which the
// session ends: the dialog closes and the program ends.
TEST_F(LiveTV, WindowCommandsDoTheirWorkAndAnExitFromTheRemoteClosesAnOpenDialog) {
  test::EditPrefs(test::ProgramMain(), [&](settings::TMainPreferences& p) { p.AlwaysOnTop = true; });
  Answer<ui::TFormConfig>([&] { App().ExecuteCommand(TCommand::Setup); }, [](auto& form) { form.reject(); });
  EXPECT_TRUE(Window().windowFlags() & Qt::WindowStaysOnTopHint);
  App().ExecuteCommand(TCommand::Help);  // the shipped page of the language, English here
  ASSERT_EQ(test::System().OpenedUrls.size(), 1);
  EXPECT_TRUE(test::System().OpenedUrls[0].endsWith("/PVX_English.html") && QFile::exists(test::System().OpenedUrls[0]));
  for (const bool minimised : {true, false}) {
    App().ExecuteCommand(TCommand::MinimiseOrRestore);
    EXPECT_EQ(Window().isMinimized(), minimised);
  }
  ASSERT_TRUE(PictureRuns());
  App().ExecuteCommand(TCommand::Snapshot);
  EXPECT_TRUE(App().Snapshots().Count() == 1 && test::Dialogs().Warnings.empty());
  Answer<app::TDialogAbout>([&] { App().ExecuteCommand(TCommand::About); },
                            [&](auto&) { App().HandleMessage(ipc::kMsgCommand, CodeOf(TCommand::Exit), 0); });
  EXPECT_TRUE(WaitUntil([&] { return !App().MainWindow(); }) && SettingsWritten());
}

// The next-source command goes round the tuner's tables and the card's other inputs; the
// audio-mode command steps through the TV sound modes the card takes, each kept with the channel.
TEST_F(LiveTV, SourceAndAudioModeCommandsGoRoundAndAnEmptyTableHasNoChannelPreview) {
  EXPECT_EQ(SourcesRound(App(), 6), (std::vector<int>{1, 2, 11, 12, 13, 0}));
  EXPECT_TRUE(PictureRuns());
  // Seven Sports carries four sound modes, not a third language; SAP (mode 2) is skipped in
  // NTSC-M and NTSC-J, not in PAL-B/G. Each row's steps go on from the last.
  for (int code : {10007, 10020}) App().ExecuteCommand(code);
  const std::pair<int, std::vector<int>> standards[] = {
      {0, {1, 3, 0, 1, 3}}, {1, {0, 1, 3, 0}}, {2, {1, 2, 3, 0}}};
  for (const auto& [standard, expected] : standards) {
    test::ProgramChannels().SetCountryPlan(test::ProgramChannels().TableIndex(), standard);
    std::vector<int> modes;
    for (size_t step = 0; step < expected.size(); ++step) {
      App().ExecuteCommand(TCommand::TVAudioMode);
      modes.push_back(test::ProgramChannels().AudioMode());
      EXPECT_EQ(test::ProgramChannels().ChannelRecord(false, test::ProgramChannels().CurrentChannel())->AudioMode, modes.back());
    }
    EXPECT_EQ(modes, expected) << "standard " << standard;
  }
  // Without valid channels there is no channel preview.
  test::ProgramChannels().RestoreTables({}, test::ProgramChannels().CableChannels());
  App().ExecuteCommand(TCommand::ChannelPreview);
  EXPECT_EQ(test::ProgramMain().Mode(), amTV);
  EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>{{GetErrorMessage(1006)}});
}

// --- FM radio and the control panels ------------------------------------------------------------

constexpr quint32 MHz(double mhz) { return quint32(mhz * 1000000 + 0.5); }

class FMRadio : public Shell {
 protected:
  // Starts afresh and logs the FM frequencies the tuner is set to.
  void StartLoggingTunes() {
    app_.reset();
    ASSERT_TRUE(Start());
    Engine().OnFMTuned = [this](engine::TCaptureInfo&, quint32 hertz, bool) {
      tuned.push_back(hertz);
      if (onTuned) onTuned();
    };
  }
  panels::TFormMainPanel& TV() { return *App().Panels()->TV(); }
  panels::TFormFMMainPanel& FM() { return *App().Panels()->FM(); }
  // A click in the middle of a panel's item, as the mouse gives it, and the command it runs.
  void Click(panels::TSkinPanel& panel, const panels::TUIItemRecord& item) {
    QTest::mouseClick(panel.Skin(), Qt::LeftButton, {}, item.Rect().center()), Settle();
  }
  void ClickTV(int item) { Click(TV(), App().Panels()->UI().TVItems[size_t(item)]); }
  void ClickFM(int item) { Click(FM(), App().Panels()->UI().FMItems[size_t(item)]); }
  static QString Label(QWidget& panel, const char* name) { return panel.findChild<QLabel*>(name)->text(); }

  std::vector<quint32> tuned;
  std::function<void()> onTuned;
};

TEST_F(FMRadio, EachWayInAndOutSwitchesPanelsWindowAndTunerAndBringsTheChannelBack) {
  ASSERT_TRUE(Start());
  auto inFM = [] { return test::ProgramMain().Mode() == amFMRadio; };
  const std::function<void()> ways[] = {
      [&] { App().ExecuteCommand(6000); }, [&] { Window().FormKeyUp(Qt::Key_F2, {}); },
      // A sender learns that the window took the message.
      [&] { EXPECT_EQ(App().HandleMessage(inFM() ? ipc::kMsgLeaveFM : ipc::kMsgEnterFM, 0, 0), 1); }};
  for (const auto& way : ways) {
    App().ExecuteCommand(203), test::ProgramChannels().SelectChannel(7);  // memory 7: the source to come back to
    const int memory = test::ProgramChannels().CurFM();
    Window().SetFullScreen(true), way(), Settle();
    EXPECT_TRUE(inFM() && Engine().RadioMode());
    EXPECT_TRUE(FM().isVisible() && !TV().isVisible() && !Window().isVisible());
    // The radio is heard; the TV screen left full screen and keeps its OSD off.
    EXPECT_FALSE(App().AudioAdjustInfo()->LineMuted() || Window().IsFullScreen() || Window().OSD()->IsOSDEnabled());
    EXPECT_EQ(Engine().Tuner().FMFrequency(), test::ProgramChannels().FMRecord(memory)->Frequency);
    for (int code : {10001, 10002, 10020}) App().ExecuteCommand(code);  // typed: FM memory 12
    EXPECT_EQ(Engine().Tuner().FMFrequency(), test::ProgramChannels().FMRecord(12)->Frequency);
    way(), Settle();
    EXPECT_TRUE(test::ProgramMain().Mode() == amTV && !Engine().RadioMode() && !App().AudioAdjustInfo()->LineMuted());
    EXPECT_TRUE(TV().isVisible() && !FM().isVisible() && Window().isVisible() && Window().OSD()->IsOSDEnabled());
    EXPECT_EQ(std::pair(int(test::ProgramChannels().CurrentTable()), test::ProgramChannels().CurrentChannel()), std::pair(2, 7));
    EXPECT_TRUE(PictureRuns());
  }
  // Only from live TV at rest: not while recording, not during a scan.
  const auto refused = [&] {
    App().ExecuteCommand(6000), App().HandleMessage(ipc::kMsgEnterFM, 0, 0), Settle();
    EXPECT_FALSE(Engine().RadioMode());
  };
  test::ForceMode(test::ProgramMain(), amCapture), refused();
  test::ForceMode(test::ProgramMain(), amTV), test::DuringAScan(refused);
}

TEST_F(FMRadio, SeekFindsTheNextStationEitherWayOrGoesRoundAnEmptyBandBackToItsStart) {
  StartLoggingTunes();
  App().ExecuteCommand(6000);
  const std::tuple<double, int, double> rows[] = {
      {88.1, 6001, 95.3}, {95.3, 6002, 88.1}, {104.6, 6001, 80.0}, {80.0, 6002, 104.6},
      {88.15, 6002, 80.0},  // off the centre of 88.1: that station is the one being left
      {100.0, 6003, 100.05}, {100.0, 6004, 99.95}, {100.0, 5003, 100.05}};  // steps (and the right arrow), not seeks
  for (const auto& [from, command, found] : rows) {
    ASSERT_TRUE(Engine().SetFMFrequency(MHz(from)));
    App().ExecuteCommand(command);
    EXPECT_EQ(Engine().Tuner().FMFrequency(), MHz(found)) << from << " " << command;
  }
  platform::devices::DefaultVirtualCard()->SetStations({});
  ASSERT_TRUE(Engine().SetFMFrequency(MHz(95.3)));
  tuned.clear();
  App().ExecuteCommand(6002);
  // 76.0 .. 108.0 MHz in 100 kHz steps: 321 points, each once, from 95.2 down, the start last.
  ASSERT_EQ(std::set<quint32>(tuned.begin(), tuned.end()).size(), 321u);
  EXPECT_EQ(std::tuple(tuned.size(), tuned.front(), tuned.back()), std::tuple(321u, MHz(95.2), MHz(95.3)));
}

TEST_F(FMRadio, AnyCommandDuringASeekEndsItWithoutTuningFurther) {
  for (const auto& [command, after] : {std::pair{6000, amTV}, {1002, amFMRadio}, {1, amClosed}}) {
    StartLoggingTunes();
    App().ExecuteCommand(6000);
    ASSERT_TRUE(Engine().SetFMFrequency(MHz(88.1)));
    tuned.clear();
    onTuned = [&, command] { if (tuned.size() == 5) App().ExecuteCommand(command); };
    App().ExecuteCommand(6001);
    EXPECT_EQ(std::pair(tuned.size(), App().MainWindow() ? test::ProgramMain().Mode() : amClosed),
              std::pair(size_t(5), after)) << command;
    onTuned = nullptr;
  }
}

// While a seek runs the FM panel says "Seeking…" with each frequency tried; found, cut short by a
// step (which runs after it) or round an empty band, it shows the radio again.
TEST_F(FMRadio, ThePanelShowsASeekWhileItRunsAndTheRadioAfterIt) {
  ASSERT_TRUE(Start());
  App().ExecuteCommand(TCommand::TVOrFM);
  const auto shown = [&] { return Label(FM(), "LabelDVCRState") + ' ' + Label(FM(), "LabelCurretPos"); };
  int seeking = 0;  // tunings the panel showed as the seek's
  bool cut = false;
  Engine().OnFMTuned = [&, relay = Engine().OnFMTuned](engine::TCaptureInfo& e, quint32 hertz, bool locked) {
    relay(e, hertz, locked);
    seeking += shown() == "Seeking… " + util::MHzText(hertz);
    if (cut && seeking == 3) cut = false, App().ExecuteCommand(TCommand::FrequencyUp);
  };
  const struct { double from; TCommand seek; bool cut, empty; int tunings; QString after; } rows[] = {
      {80.0, TCommand::SeekUp, false, false, 81, "FM 88.10 MHz"},
      {88.1, TCommand::SeekDown, false, false, 81, "FM 80.00 MHz"},
      {95.3, TCommand::SeekUp, true, false, 3, "FM 95.65 MHz"},
      {95.3, TCommand::SeekDown, false, true, 321, "FM 95.30 MHz"}};
  for (const auto& row : rows) {
    if (row.empty) platform::devices::DefaultVirtualCard()->SetStations({});
    ASSERT_TRUE(Engine().SetFMFrequency(MHz(row.from)));
    seeking = 0, cut = row.cut;
    App().ExecuteCommand(row.seek);
    EXPECT_EQ(std::pair(seeking, shown()), std::pair(row.tunings, row.after)) << row.from;
  }
}

// FM starts on the memory listened to, or, empty or off the dial (a first start spreads the
// memories from 76 MHz), at 88.0; back from TV it starts on the station last heard. The memory
// keeps what the user stored.
TEST_F(FMRadio, FMStartsOnTheStationLastHeardOrAtTheDialsLowerEnd) {
  // Stored, where FM starts, what the user then does, and where FM starts again after TV.
  const struct { double stored, start; TCommand command; double again; } rows[] = {
      {78.56, 88.0, TCommand::SeekUp, 88.1}, {0, 88.0, TCommand::FrequencyUp, 88.05},
      {108.05, 88.0, TCommand::FrequencyDown, 88.0}, {95.3, 95.3, TCommand::SeekDown, 88.1}};  // 87.95: off the dial
  for (const auto& row : rows) {
    app_.reset();
    ASSERT_TRUE(Start());
    auto* memory = test::ProgramChannels().FMRecord(test::ProgramChannels().CurFM());
    memory->Frequency = MHz(row.stored);
    App().ExecuteCommand(TCommand::TVOrFM);
    EXPECT_EQ(Engine().Tuner().FMFrequency(), MHz(row.start)) << row.stored;
    for (TCommand command : {row.command, TCommand::TVOrFM, TCommand::TVOrFM}) App().ExecuteCommand(command);
    EXPECT_EQ(Engine().Tuner().FMFrequency(), MHz(row.again)) << row.stored;
    EXPECT_EQ(memory->Frequency, MHz(row.stored)) << "the memory is the user's";
  }
}

// A start in FM builds the preview without a picture: TV has it, then and after a rebuild. The
// exit stores whether FM radio was on, for the next start.
TEST_F(FMRadio, StartedInFMItStaysInFMUntilToldToLeaveAndLeavesForTVWithItsPicture) {
  StoreMainSettings([](TMainInfo& m) { m.SetFMEnabled(true); });
  for (const bool leave : {false, true}) {
    app_.reset();
    ASSERT_TRUE(Start({"fm"}));
    EXPECT_TRUE(test::ProgramMain().Mode() == amFMRadio && FM().isVisible() && !Window().isVisible());
    const int memory = test::ProgramChannels().CurFM();
    for (int step = 0; step < 2; ++step) App().ExecuteCommand(TCommand::NextChannel);
    EXPECT_EQ(test::ProgramChannels().CurFM(), memory + 2);
    if (leave) {
      App().ExecuteCommand(6000);
      EXPECT_TRUE(PictureRuns());
      App().ExecuteCommand(1001), App().ExecuteCommand(1002);
      EXPECT_TRUE(PictureRuns());
    }
    App().ExecuteCommand(TCommand::Exit);
    ASSERT_TRUE(WaitUntil([&] { return !App().MainWindow(); }));
    TMainInfo saved;
    ASSERT_TRUE(saved.LoadMainSettings(app::TApplication::MainSettingsPath(), {}));
    EXPECT_EQ(saved.Prefs().StartInFM, !leave) << "still listening to FM at the exit";
    // The channel file keeps the FM memory and the TV table.
    TChannelInfo channels;
    TPreviewInfo preview(channels);
    ASSERT_TRUE(TChannelSettingsFile::Load(app::TApplication::ChannelSettingsPath(), channels, preview));
    EXPECT_EQ(std::pair(channels.CurFM(), int(channels.CurrentTable())), std::pair(memory + 2, 0));
  }
}

TEST_F(FMRadio, TheTVPanelDrivesLiveTVAndTheFMPanelTheRadio) {
  ASSERT_TRUE(Start() && TV().isVisible());
  EXPECT_EQ(Label(TV(), "LabelChannel"), " 4");
  SaveShot(Window(), "main-window"), SaveShot(TV(), "tv-panel");
  for (int item : {12, 13, 22}) ClickTV(item);  // "1", "2", Enter
  EXPECT_TRUE(WaitUntil([&] { return test::ProgramChannels().CurrentChannel() == 12; }));
  EXPECT_EQ(Label(TV(), "LabelChannel"), "12");
  // Escape abandons a typed number: the panel shows the channel that plays again.
  ClickTV(14);
  EXPECT_TRUE(WaitUntil([&] { return Label(TV(), "LabelChannel") != "12"; }));
  QTest::keyClick(&Window(), Qt::Key_Escape);
  EXPECT_TRUE(WaitUntil([&] { return Label(TV(), "LabelChannel") == "12"; }));

  // The panel keeps its place beside the main window when that moves.
  const QPoint panelAt = TV().pos();
  Window().move(Window().pos() + QPoint(30, 20));
  EXPECT_TRUE(WaitUntil([&] { return TV().pos() == panelAt + QPoint(30, 20); }));
  // A double click on the picture fills the screen and a second one comes back: the panel is
  // where it was.
  for (int i = 0; i < 2; ++i) QTest::mouseDClick(Window().VideoWindow(), Qt::LeftButton, {}, QPoint(40, 40));
  EXPECT_TRUE(WaitUntil([&] { return !Window().IsFullScreen() && TV().isVisible(); }));
  EXPECT_EQ(TV().pos(), panelAt + QPoint(30, 20));

  // Minimised, the main window takes its tool panel along, and brings it back.
  ClickTV(0);
  EXPECT_TRUE(Window().isMinimized() && !TV().isVisible());
  Window().showNormal();
  EXPECT_TRUE(WaitUntil([&] { return TV().isVisible(); }));

  ClickTV(11);  // FM mode, with the panels and window of every way in (EachWayInAndOut...)
  ASSERT_EQ(test::ProgramMain().Mode(), amFMRadio);
  EXPECT_TRUE(Label(FM(), "LabelCurretPos").endsWith("MHz"));
  ASSERT_TRUE(Engine().SetFMFrequency(88100000));
  EXPECT_EQ(Label(FM(), "LabelCurretPos"), "88.10 MHz");
  SaveShot(FM(), "fm-panel");

  // Recording the radio from the panel: into the wave folder, and Stop comes back to FM.
  // The folder typed without the closing separator.
  test::EditPrefs(test::ProgramMain(), [&](TMainPreferences& p) { p.WaveFolder = test::Home() + "wave"; });
  QDir().mkpath(test::ProgramMain().Prefs().WaveFolder);
  ClickFM(31);
  ASSERT_EQ(test::ProgramMain().Mode(), amCapture);
  EXPECT_EQ(Label(FM(), "LabelDVCRState"), "REC");
  // A second and a half of 48 kHz stereo sound.
  ASSERT_TRUE(WaitUntil([&] { return Engine().RecordedBytes() > 3 * 48000 * 2; }));
  ClickFM(28);
  EXPECT_TRUE(test::ProgramMain().Mode() == amFMRadio && !App().AudioAdjustInfo()->LineMuted()) << "heard again";
  // What the file holds is the engine's (its tests record the radio); the folder is the shell's.
  EXPECT_EQ(QFileInfo(Engine().Recorder().CurrentFile).absolutePath(), test::Home() + "wave");

  ClickFM(0);  // minimise: the radio goes to the task bar, the main window stays hidden
  EXPECT_TRUE(FM().isMinimized() && !Window().isVisible());
  FM().showNormal();

  ClickFM(6);  // TV mode
  EXPECT_TRUE(test::ProgramMain().Mode() == amTV && test::ProgramChannels().CurrentChannel() == 12);
  EXPECT_TRUE(TV().isVisible() && !FM().isVisible() && Window().isVisible());
}

TEST(PanelPlaces, ThePanelsGoBesideTheMainWindowOrAgainstTheEdge) {
  const QSize panel(281, 303);
  EXPECT_EQ(app::TVPanelFirstPosition({1920, 1080}, {100, 100, 640, 520}, panel), QPoint(919, 388));
  EXPECT_EQ(app::TVPanelFirstPosition({1024, 768}, {100, 100, 640, 520}, panel), QPoint(743, 232));
  EXPECT_EQ(app::FMPanelPosition({1920, 1080}, {655, 175}), QPoint(632, 720));
  // The FM panel at a start in FM: beside the main window's place, or at the edge.
  EXPECT_EQ(app::FMPanelStartPosition({1920, 1080}, {480, 360}, {655, 175}), QPoint(1353, 360));
  EXPECT_EQ(app::FMPanelStartPosition({1024, 768}, {480, 360}, {655, 175}), QPoint(369, 204));
}

}  // namespace
}  // namespace pvx::test

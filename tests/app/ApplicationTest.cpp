// The whole shell in this process on the virtual card: start-up with its arguments, the
// dispatcher's gates against the running engine, the command message, the end of a recording
// and the exit sequence.

#include "app/Application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <functional>
#include <vector>

#include "app/MainForm.h"
#include "app/MainMenu.h"
#include "app/OSDForm.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "platform/Clock.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "platform/video/TVideoRenderer.h"
#include "settings/ChannelInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MainSettingsFile.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::app::FormOSD;
using pvx::test::WaitUntil;
namespace ipc = pvx::platform::ipc;

namespace {

// Stands in for the scheduled-recording program: records what reaches its window.
class SchedulerWindow {
 public:
  SchedulerWindow()
      : endpoint_(ipc::kSchedulerWindowClass, [this](quint32 m, qint32 w, qint32) {
          if (m == ipc::kMsgScheduledStatus) Status.push_back(w);
          return 0;
        }) {
    endpoint_.Listen();
  }
  std::vector<qint32> Status;

 private:
  ipc::TMessageEndpoint endpoint_;
};

class Shell : public ::testing::Test {
 protected:
  ~Shell() override { app_.reset(); }

  // Phase 1, then the event loop until phase 2 has run.
  bool Start(const QStringList& arguments = {}) { return Initialize(arguments) && FinishStart(); }
  bool Initialize(const QStringList& arguments = {}) {
    app_ = std::make_unique<app::TApplication>(test::Components(), arguments);
    finished_ = ok_ = false;
    QObject::connect(app_.get(), &app::TApplication::Started, [this](bool result) {
      finished_ = true;
      ok_ = result;
    });
    return app_->InitializeApplication();
  }
  bool FinishStart() {
    EXPECT_TRUE(WaitUntil([&] { return finished_; }));
    return ok_;
  }

  app::TApplication& App() { return *app_; }
  engine::TCaptureInfo& Engine() { return *app_->CaptureInfo(); }
  app::TFormMainWindow& Window() { return *app_->MainWindow(); }

  qint64 FramesShown() {
    auto* renderer = Engine().Graph ? dynamic_cast<platform::video::TVideoRenderer*>(
                                          Engine().Graph->FindFilter("VideoWindow"))
                                    : nullptr;
    return renderer ? renderer->FramesRendered() : -1;
  }
  // Live TV runs when new frames keep arriving.
  bool PictureRuns() {
    const qint64 before = FramesShown();
    return before >= 0 && WaitUntil([&] { return FramesShown() >= before + 3; });
  }

  // The label keeps a margin after the text for its outline.
  QString OSDText() { return FormOSD ? FormOSD->LabelOSD()->text().trimmed() : QString(); }
  bool MenuShows(const char* item) {
    return Window().PopupMainMenu()->Item(QLatin1String(item))->isVisible();
  }

  static TMainInfo SavedMainSettings() {
    TMainInfo saved;
    EXPECT_TRUE(saved.LoadMainSettings(app::TApplication::MainSettingsPath(), {}));
    return saved;
  }
  static void StoreMainSettings(const std::function<void(TMainInfo&)>& change) {
    TMainInfo stored;
    change(stored);
    ASSERT_TRUE(stored.SaveMainSettings(app::TApplication::MainSettingsPath(), {}));
  }

  std::unique_ptr<app::TApplication> app_;
  bool finished_ = false, ok_ = false;
};

}  // namespace

TEST_F(Shell, StartsLiveTVAndKeepsTheScreenOnUntilExit) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_TRUE(PictureRuns());
  EXPECT_TRUE(FormOSD && FormOSD->IsOSDEnabled());
  EXPECT_EQ(test::System().ActiveInhibits, QList<quint32>{7});

  App().ShutdownApplication();
  EXPECT_TRUE(test::System().ActiveInhibits.isEmpty());
  EXPECT_TRUE(QFile::exists(app::TApplication::MainSettingsPath()));
  EXPECT_TRUE(QFile::exists(app::TApplication::ChannelSettingsPath()));
  App().ShutdownApplication();  // a second exit (session end, then close) does nothing
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST_F(Shell, WithoutAScreenSaverServiceNothingIsReleased) {
  test::System().InhibitCookie = 0;
  ASSERT_TRUE(Start());
  App().ShutdownApplication();
  EXPECT_TRUE(test::System().ActiveInhibits.isEmpty());
}

// Each probe is a command with a visible effect, and the modes in which its gate opens.
TEST_F(Shell, EveryModeOpensOnlyItsCommandsOnTheRunningEngine) {
  ASSERT_TRUE(Start());
  struct Probe {
    int code;
    std::function<QString()> observe;
    std::vector<TAppMode> opensIn;
  };
  auto channel = [] { return QString::number(ChannelInfo->CurrentChannel()); };
  auto source = [] { return QString("%1/%2").arg(ChannelInfo->VideoSource).arg(ChannelInfo->CurrentTable); };
  auto fullScreen = [this] { return QString::number(Window().IsFullScreen()); };
  auto volume = [this] { return QString::number(App().AudioAdjustInfo()->Volume()); };
  auto mode = [] { return QString::number(MainInfo->Mode); };
  const std::vector<TAppMode> all = {amTV,     amChannelPreview, amCapture,      amScheduledCapture, amPlayback,
                                     amFMRadio, amTimeShifting,   amTimeShiftPlayback, amClosed};
  const std::vector<Probe> probes = {
      {4001, channel, {amTV, amFMRadio}},
      {4002, channel, {amTV, amFMRadio}},
      {200, source, {amTV}},
      {205, source, {amTV}},
      {3, fullScreen, {amTV, amChannelPreview, amCapture, amScheduledCapture, amPlayback, amTimeShifting,
                       amTimeShiftPlayback, amClosed}},
      {401, volume, all},
      {1002, mode, {amCapture, amScheduledCapture, amPlayback, amTimeShifting, amTimeShiftPlayback, amClosed}},
  };
  App().AudioAdjustInfo()->SetVolume(30000);
  for (TAppMode m : all) {
    for (const Probe& probe : probes) {
      // Start each probe from live TV on the antenna, then put the shell in the mode.
      MainInfo->Mode = amTV;
      App().ExecuteCommand(201);
      if (Window().IsFullScreen()) Window().SetFullScreen(false);
      App().AudioAdjustInfo()->SetVolume(30000);
      MainInfo->Mode = m;
      const QString before = probe.observe();
      App().ExecuteCommand(probe.code);
      const bool opens = std::find(probe.opensIn.begin(), probe.opensIn.end(), m) != probe.opensIn.end();
      EXPECT_EQ(probe.observe() != before, opens) << "command " << probe.code << " in mode " << int(m);
    }
  }
  MainInfo->Mode = amTV;
  ASSERT_TRUE(PictureRuns());
  // A scan in progress leaves only the scan command among the tuner commands.
  ChannelInfo->Scanning = true;
  const QString before = channel();
  App().ExecuteCommand(4001);
  App().ExecuteCommand(10005);
  EXPECT_EQ(App().HandleMessage(ipc::kMsgCommand, 4002, 0), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(channel(), before);
  App().ExecuteCommand(4004);
  EXPECT_TRUE(ChannelInfo->AbortScan);
  ChannelInfo->Scanning = false;
  ChannelInfo->AbortScan = false;
}

TEST_F(Shell, VolumeStepsShowTheirPercentOnTheOSD) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(App().AudioAdjustInfo()->HasMixer());
  App().AudioAdjustInfo()->SetVolume(62000);
  App().ExecuteCommand(401);
  EXPECT_EQ(OSDText(), "Volume 100%");
  EXPECT_EQ(App().AudioAdjustInfo()->Volume(), 65535);
  App().AudioAdjustInfo()->SetVolume(3000);
  App().ExecuteCommand(402);
  EXPECT_EQ(OSDText(), "Volume 0%");
  EXPECT_EQ(App().AudioAdjustInfo()->Volume(), 0);
  App().ExecuteCommand(403);
  EXPECT_EQ(OSDText(), "Mute ON");
  // The check mark follows the mixer's own report of the change.
  EXPECT_TRUE(WaitUntil([&] { return Window().PopupMainMenu()->Item("itemMute")->isChecked(); }));
  App().ExecuteCommand(403);
  EXPECT_EQ(OSDText(), "Mute OFF");
}

TEST_F(Shell, ACommandMessageDuringAWarningOnlyClosesTheWarning) {
  ASSERT_TRUE(Start());
  const int channel = ChannelInfo->CurrentChannel();
  qint32 answer = -1;
  test::Dialogs().WhileWarningOpen = [&] { answer = App().HandleMessage(ipc::kMsgCommand, 4001, 0); };
  ShowErrorCode(1006);
  test::Dialogs().WhileWarningOpen = nullptr;
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(test::Dialogs().CloseWarningCalls, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(ChannelInfo->CurrentChannel(), channel);

  // Without a warning the same message runs the command from the event loop.
  EXPECT_EQ(App().HandleMessage(ipc::kMsgCommand, 4001, 0), 1);
  EXPECT_TRUE(WaitUntil([&] { return ChannelInfo->CurrentChannel() != channel; }));
  // Unknown messages are ignored.
  EXPECT_EQ(App().HandleMessage(9999, 1, 0), 0);
}

TEST_F(Shell, ARefusedScheduledStartTellsTheSchedulerAndKeepsLiveTV) {
  SchedulerWindow scheduler;
  ASSERT_TRUE(Start());
  // Recording is not available on this build: the switch fails, TV stays and plays.
  App().HandleMessage(ipc::kMsgScheduledStart, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status.size() == 1; }));
  EXPECT_EQ(scheduler.Status, std::vector<qint32>{ipc::kScheduledStartRefused});
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_TRUE(PictureRuns());

  // In channel preview the start is refused without trying.
  ASSERT_TRUE(WaitUntil([&] {
    App().ExecuteCommand(8);
    return MainInfo->Mode == amChannelPreview;
  }));
  App().HandleMessage(ipc::kMsgScheduledStart, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status.size() == 2; }));
  EXPECT_EQ(scheduler.Status.back(), ipc::kScheduledStartRefused);
  EXPECT_EQ(MainInfo->Mode, amChannelPreview);
}

TEST_F(Shell, ARecordingThatEndsReturnsToTVAndReportsAFullDisk) {
  SchedulerWindow scheduler;
  ASSERT_TRUE(Start());
  auto progress = [this](bool stop, qint64 freeLess500k) {
    Engine().OnCaptureProgress(Engine(), stop, false, freeLess500k, 1000000, 12);
  };

  // Running figures change nothing.
  MainInfo->Mode = amCapture;
  progress(false, 400000);
  EXPECT_EQ(MainInfo->Mode, amCapture);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());

  // A time limit: back to TV, no message.
  progress(true, 500001);
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  EXPECT_TRUE(PictureRuns());

  // A full disk with the user watching: error 1101.
  MainInfo->Mode = amCapture;
  progress(true, 500000);
  EXPECT_EQ(MainInfo->Mode, amTV);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("Disk will be full"));

  // A full disk during an unattended recording: the scheduler is told instead.
  MainInfo->Mode = amScheduledCapture;
  Engine().Unattended = true;
  progress(true, 12);
  Engine().Unattended = false;
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(WaitUntil([&] { return !scheduler.Status.empty(); }));
  EXPECT_EQ(scheduler.Status, std::vector<qint32>{ipc::kScheduledDiskFull});
}

TEST_F(Shell, ATimeShiftBufferThatBecomesReadyShowsPlay) {
  ASSERT_TRUE(Start());
  MainInfo->Mode = amTimeShifting;
  Window().UpdateForMode(amTimeShifting);
  EXPECT_FALSE(MenuShows("itemPlay"));
  Engine().OnTimeShiftReady(Engine(), true);
  EXPECT_TRUE(MenuShows("itemPlay"));
  Engine().OnTimeShiftReady(Engine(), false);
  EXPECT_FALSE(MenuShows("itemPlay"));
  MainInfo->Mode = amTV;
}

TEST_F(Shell, StartingInFMThatCannotStartEndsAndStartsInTVNextTime) {
  StoreMainSettings([](TMainInfo& m) {
    m.FMEnabled = true;
    m.StartInFM = true;
  });
  EXPECT_FALSE(Start({"Fm"}));
  EXPECT_EQ(App().MainWindow(), nullptr) << "the exit sequence ran";
  EXPECT_FALSE(SavedMainSettings().StartInFM);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST_F(Shell, StartInFMNeedsFMEnabledAndTheArgument) {
  // The stored flag alone does not start FM radio.
  StoreMainSettings([](TMainInfo& m) {
    m.FMEnabled = true;
    m.StartInFM = true;
  });
  ASSERT_TRUE(Start());
  EXPECT_FALSE(Engine().NoPreviewRender);
  EXPECT_EQ(MainInfo->Mode, amTV);
  app_.reset();

  // FM radio switched off for this run (the flag is not stored).
  ASSERT_TRUE(Initialize({"fm"}));
  MainInfo->FMEnabled = false;
  ASSERT_TRUE(FinishStart());
  EXPECT_FALSE(Engine().NoPreviewRender);
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_TRUE(PictureRuns());
}

TEST_F(Shell, ACardWithoutTunerNeverStartsInFM) {
  platform::devices::TVirtualCardConfig config;
  config.HasTuner = false;
  config.HasFM = false;
  platform::devices::InstallVirtualCard(config);
  ASSERT_TRUE(Start({"fm"}));
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(Engine().NoPreviewRender);
  EXPECT_FALSE(MainInfo->FMEnabled);
  EXPECT_EQ(ChannelInfo->VideoSource, 1);  // composite
  EXPECT_FALSE(Window().PopupMainMenu()->Item("itemNextChannel")->isVisible());
}

TEST_F(Shell, TheSchedulersArgumentStartsItsRecordingOnceRunning) {
  SchedulerWindow scheduler;
  ASSERT_TRUE(Start({"SREC_TV"}));
  // The recording cannot start on this build, so the scheduler hears that it did not.
  EXPECT_TRUE(WaitUntil([&] { return !scheduler.Status.empty(); }));
  EXPECT_EQ(scheduler.Status, std::vector<qint32>{ipc::kScheduledStartRefused});
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_TRUE(PictureRuns());
}

TEST_F(Shell, WithoutTheMediaComponentsTheProgramStopsBeforeReadingSettings) {
  test::System().MediaLevel = 0;
  test::System().MissingMedia = {"x264enc"};
  app_ = std::make_unique<app::TApplication>(test::Components());
  EXPECT_FALSE(app_->InitializeApplication());
  ASSERT_EQ(test::Dialogs().Boxes.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Boxes[0].text.startsWith(
      "Your DirectX Version is V0.0. Sorry, we need DirectX 8.0 above. \rPlease Insatll DirectX 9.0"));
  app_.reset();
  EXPECT_FALSE(QFile::exists(app::TApplication::MainSettingsPath()));
}

TEST_F(Shell, TypedChannelsTuneFromCommandsAndKeys) {
  ASSERT_TRUE(Start());
  // Eleven is one command: the Enter follows the two digits.
  App().ExecuteCommand(10011);
  EXPECT_TRUE(WaitUntil([] { return ChannelInfo->CurrentChannel() == 11; }));
  for (int code : {10002, 10005, 10020}) App().ExecuteCommand(code);
  EXPECT_TRUE(WaitUntil([] { return ChannelInfo->CurrentChannel() == 25; }));
  // Keys typed in the main window take the same way.
  QTest::keyClicks(&Window(), "7");
  QTest::keyClick(&Window(), Qt::Key_Return);
  EXPECT_TRUE(WaitUntil([] { return ChannelInfo->CurrentChannel() == 7; }));
  // Without Enter the entry commits a second after the last key.
  QTest::keyClicks(&Window(), "4");
  test::Clock().Advance(999);
  QCoreApplication::processEvents();
  EXPECT_EQ(ChannelInfo->CurrentChannel(), 7);
  test::Clock().Advance(1);
  EXPECT_TRUE(WaitUntil([] { return ChannelInfo->CurrentChannel() == 4; }));
  EXPECT_TRUE(PictureRuns());
}

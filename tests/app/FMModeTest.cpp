// FM radio in the running shell on the virtual card: in and out through every way in, seek
// over the stations, a seek cut short, recording the radio, and starting in FM.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <set>

#include "ShellFixture.h"
#include "app/FMCommands.h"
#include "platform/media/MediaTestSupport.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"
#include "support/FakeDialogService.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::test::WaitUntil;
namespace ipc = pvx::platform::ipc;

namespace {

constexpr quint32 MHz(double mhz) { return quint32(mhz * 1000000 + 0.5); }

class FMRadio : public test::Shell {
 protected:
  // Fake panels: what the shell asked of them, and the FM panel's visibility.
  void FakePanels() {
    app::TPanelHooks& p = Window().Panels;
    p.ShowTVPanel = [this] { calls.push_back("ShowTV"); };
    p.HideTVPanel = [this] { calls.push_back("HideTV"); };
    p.ShowFMPanel = [this] { calls.push_back("ShowFM"), fmShown = true; };
    p.HideFMPanel = [this] { calls.push_back("HideFM"), fmShown = false; };
    p.FMPanelVisible = [this] { return fmShown; };
  }
  // What a remote control sends, run from the event loop as the program runs it.
  void Remote(int code) {
    ASSERT_EQ(App().HandleMessage(ipc::kMsgCommand, code, 0), 1);
    ASSERT_TRUE(WaitUntil([&] { return !App().Dispatcher().Busy(); }));
    QCoreApplication::processEvents();
  }
  // Every FM tuning from now on.
  void RecordTunings() {
    tuned.clear();
    Engine().OnFMTuned = [this](engine::TCaptureInfo&, quint32 hertz, bool) {
      tuned.push_back(hertz);
      if (onTuned) onTuned();
    };
  }
  std::vector<std::string> calls;
  bool fmShown = false;
  std::vector<quint32> tuned;
  std::function<void()> onTuned;
};

TEST_F(FMRadio, EachWayInAndOutSwitchesPanelsWindowAndTunerAndBringsTheChannelBack) {
  ASSERT_TRUE(Start());
  FakePanels();
  using Way = std::function<void()>;
  const struct {
    const char* name;
    Way enter, leave;
  } ways[] = {
      {"command 6000", [&] { App().ExecuteCommand(6000); }, [&] { App().ExecuteCommand(6000); }},
      {"F2", [&] { Window().FormKeyUp(Qt::Key_F2, {}); }, [&] { Window().FormKeyUp(Qt::Key_F2, {}); }},
      {"messages", [&] { App().HandleMessage(ipc::kMsgEnterFM, 0, 0); }, [&] { App().HandleMessage(ipc::kMsgLeaveFM, 0, 0); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    App().ExecuteCommand(203);  // memory channel 7: the stored source to come back to
    ChannelInfo->SelectChannel(7);
    ChannelInfo->CurFM = 3;
    calls.clear();
    way.enter();
    ASSERT_TRUE(WaitUntil([&] { return MainInfo->Mode == amFMRadio && !App().Dispatcher().Busy(); }));
    EXPECT_FALSE(Window().isVisible());
    EXPECT_TRUE(Engine().RadioMode());
    EXPECT_EQ(Engine().Tuner().FMFrequency(), ChannelInfo->FMRecord(3)->Frequency) << "FM memory 3 is tuned";
    EXPECT_EQ(calls, (std::vector<std::string>{"HideTV", "ShowFM"}));
    calls.clear();
    way.leave();
    ASSERT_TRUE(WaitUntil([&] { return MainInfo->Mode == amTV && !App().Dispatcher().Busy(); }));
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(Engine().RadioMode());
    EXPECT_EQ(calls, (std::vector<std::string>{"HideFM", "ShowTV"}));
    EXPECT_EQ(ChannelInfo->CurrentTable, TChannelInfo::kMemory);
    EXPECT_EQ(ChannelInfo->CurrentChannel(), 7);
    EXPECT_TRUE(PictureRuns());
  }
  // Only from live TV at rest: not while recording, not during a scan.
  for (auto busy : {+[] { MainInfo->Mode = amCapture; }, +[] { ChannelInfo->Scanning = true; }}) {
    busy();
    App().ExecuteCommand(6000);
    App().HandleMessage(ipc::kMsgEnterFM, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !App().Dispatcher().Busy(); }));
    QCoreApplication::processEvents();
    EXPECT_NE(MainInfo->Mode, amFMRadio);
    EXPECT_FALSE(Engine().RadioMode());
    ChannelInfo->Scanning = false;
    MainInfo->Mode = amTV;
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST_F(FMRadio, SeekFindsTheNextStationEitherWayWrappingOnceRoundTheBand) {
  ASSERT_TRUE(Start());
  App().ExecuteCommand(6000);
  ASSERT_EQ(MainInfo->Mode, amFMRadio);
  const struct {
    double from;
    int command;
    double found;
  } rows[] = {
      {88.1, 6001, 95.3}, {95.3, 6002, 88.1}, {104.6, 6001, 80.0}, {80.0, 6002, 104.6},
      {88.15, 6002, 80.0},  // off the centre of 88.1: that station is the one being left
      {100.0, 5003, 100.05}, {100.0, 6004, 99.95},  // steps, not seeks
  };
  for (const auto& row : rows) {
    ASSERT_TRUE(Engine().SetFMFrequency(MHz(row.from)));
    App().ExecuteCommand(row.command);
    EXPECT_EQ(Engine().Tuner().FMFrequency(), MHz(row.found)) << row.from << " " << row.command;
  }
}

TEST_F(FMRadio, SeekOverAnEmptyBandTunesEveryPointOnceAndReturns) {
  test::WriteFile(test::Home() + "stations.ini", "[tv1]\nname=Only TV\nfrequency=55250000\n");
  ASSERT_TRUE(Start());
  App().ExecuteCommand(6000);
  ASSERT_TRUE(Engine().SetFMFrequency(MHz(95.3)));
  RecordTunings();
  App().ExecuteCommand(6002);
  // 76.0 .. 108.0 MHz in 100 kHz steps, each point once, the start last.
  ASSERT_EQ(tuned.size(), 321u);
  EXPECT_EQ(tuned.front(), MHz(95.2));
  EXPECT_EQ(tuned.back(), MHz(95.3));
  EXPECT_EQ(std::set<quint32>(tuned.begin(), tuned.end()).size(), 321u);
  EXPECT_EQ(*std::min_element(tuned.begin(), tuned.end()), MHz(76.0));
  EXPECT_EQ(*std::max_element(tuned.begin(), tuned.end()), MHz(108.0));
  EXPECT_EQ(Engine().Tuner().FMFrequency(), MHz(95.3));
}

TEST_F(FMRadio, AnyCommandDuringASeekEndsItWithoutTuningFurther) {
  const struct {
    int command;
    TAppMode after;  // amClosed: the program has gone
  } rows[] = {{6000, amTV}, {1002, amFMRadio}, {1, amClosed}};
  for (const auto& row : rows) {
    app_.reset();
    ASSERT_TRUE(Start());
    App().ExecuteCommand(6000);
    ASSERT_TRUE(Engine().SetFMFrequency(MHz(88.1)));
    RecordTunings();
    onTuned = [&] {
      if (tuned.size() == 5) App().ExecuteCommand(row.command);
    };
    App().ExecuteCommand(6001);
    EXPECT_EQ(tuned.size(), 5u) << row.command;
    if (row.after == amClosed)
      EXPECT_EQ(App().MainWindow(), nullptr);
    else
      EXPECT_EQ(MainInfo->Mode, row.after);
  }
}

TEST_F(FMRadio, RecordsTheRadioIntoTheWaveFolderAndStopReturnsToFM) {
  ASSERT_TRUE(Start());
  FakePanels();
  MainInfo->WaveFolder = test::Home() + "Waves/";
  QDir().mkpath(MainInfo->WaveFolder);
  App().ExecuteCommand(6000);
  for (const auto& [audioFormat, sound] : {std::pair{0, test::SoundText("pcm_s16le", 48000, 2)},
                                           std::pair{1, test::SoundText("mp3", 48000, 2)}}) {
    Engine().AudioFormat = quint8(audioFormat);
    Remote(1001);
    ASSERT_EQ(MainInfo->Mode, amCapture);
    QElapsedTimer t;
    t.start();
    WaitUntil([&] { return t.elapsed() >= 2000; }, 3000);
    Remote(1002);
    EXPECT_EQ(MainInfo->Mode, amFMRadio) << "the FM panel shows";
    const QString file = Engine().Recorder().CurrentFile;
    EXPECT_EQ(QFileInfo(file).absolutePath() + "/", MainInfo->WaveFolder);
    const test::TProbe probe = test::Probe(file);
    ASSERT_TRUE(probe.ok) << probe.error.toStdString();
    EXPECT_TRUE(probe.video.isEmpty());
    EXPECT_EQ(probe.Sound(), sound);
    EXPECT_GT(probe.Duration(), 1.0);
  }
}

TEST_F(FMRadio, StartingInFMHidesTheWindowUntilTVAndTheExitRemembersIt) {
  StoreMainSettings([](TMainInfo& m) { m.FMEnabled = true; });
  ASSERT_TRUE(Start({"fm"}));
  FakePanels();
  fmShown = true;  // as the continuation leaves it
  EXPECT_EQ(MainInfo->Mode, amFMRadio);
  EXPECT_FALSE(Window().isVisible());
  App().ExecuteCommand(6000);
  EXPECT_TRUE(PictureRuns()) << "the TV picture is rendered once FM is left";
  App().ExecuteCommand(1001);  // and after anything that builds the preview again
  App().ExecuteCommand(1002);
  EXPECT_TRUE(PictureRuns());
  App().ExecuteCommand(6000);
  App().ExecuteCommand(4001);  // the next FM memory
  App().ExecuteCommand(1);
  TMainInfo saved;
  ASSERT_TRUE(saved.LoadMainSettings(app::TApplication::MainSettingsPath(), {}));
  EXPECT_TRUE(saved.StartInFM);
  // The channel file keeps the TV channel to come back to and the FM memory listened to.
  TChannelInfo channels;
  TPreviewInfo preview(channels);
  ASSERT_TRUE(TChannelSettingsFile::Load(app::TApplication::ChannelSettingsPath(), channels, preview));
  EXPECT_EQ(channels.CurrentTable, TChannelInfo::kAntenna);
  EXPECT_EQ(channels.CurFM, 5);

  // The panel goes beside the main window's place, or to the screen's edge without room.
  EXPECT_EQ(app::FMPanelStartPosition({1920, 1080}, {480, 360}, {655, 175}), QPoint(1353, 360));
  EXPECT_EQ(app::FMPanelStartPosition({1024, 768}, {480, 360}, {655, 175}), QPoint(369, 204));
}

}  // namespace

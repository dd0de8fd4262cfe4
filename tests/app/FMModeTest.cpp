// FM radio in the running shell on the virtual card: in and out by every way in, seek over the
// stations, a seek cut short, recording the radio, and starting in FM.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <set>

#include "ShellFixture.h"
#include "app/FMCommands.h"
#include "platform/media/MediaTestSupport.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "settings/ChannelInfo.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::test::WaitUntil;
namespace ipc = pvx::platform::ipc;

namespace {

constexpr quint32 MHz(double mhz) { return quint32(mhz * 1000000 + 0.5); }

class FMRadio : public test::Shell {
 protected:
  // Fake panels: what the shell asked of them; the FM panel shows between ShowFM and HideFM.
  void StartWithPanels(const QStringList& arguments = {}) {
    app_.reset();
    ASSERT_TRUE(Start(arguments));
    app::TPanelHooks& p = Window().Panels;
    p.ShowTVPanel = [this] { calls.push_back("ShowTV"); };
    p.HideTVPanel = [this] { calls.push_back("HideTV"); };
    p.ShowFMPanel = [this] { calls.push_back("ShowFM"), fmShown = true; };
    p.HideFMPanel = [this] { calls.push_back("HideFM"), fmShown = false; };
    p.FMPanelVisible = [this] { return fmShown; };
    Engine().OnFMTuned = [this](engine::TCaptureInfo&, quint32 hertz, bool) {
      tuned.push_back(hertz);
      if (onTuned) onTuned();
    };
  }
  // Runs from the event loop, as the program runs a message.
  void Settle() {
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitUntil([&] { return !App().Dispatcher().Busy(); }));
  }
  std::vector<std::string> calls;
  bool fmShown = false;
  std::vector<quint32> tuned;
  std::function<void()> onTuned;
};

TEST_F(FMRadio, EachWayInAndOutSwitchesPanelsWindowAndTunerAndBringsTheChannelBack) {
  StartWithPanels();
  const std::function<void()> ways[] = {[&] { App().ExecuteCommand(6000); },
                                        [&] { Window().FormKeyUp(Qt::Key_F2, {}); },
                                        // A sender learns that the window took the message.
                                        [&] { EXPECT_EQ(App().HandleMessage(fmShown ? ipc::kMsgLeaveFM : ipc::kMsgEnterFM, 0, 0), 1); }};
  for (const auto& way : ways) {
    App().ExecuteCommand(203);  // memory channel 7: the source to come back to
    ChannelInfo->SelectChannel(7);
    ChannelInfo->CurFM = 3;
    calls.clear();
    way();
    Settle();
    EXPECT_TRUE(MainInfo->Mode == amFMRadio && !Window().isVisible() && Engine().RadioMode());
    EXPECT_EQ(Engine().Tuner().FMFrequency(), ChannelInfo->FMRecord(3)->Frequency);
    for (int code : {10001, 10002, 10020}) App().ExecuteCommand(code);  // typed: FM memory 12
    EXPECT_EQ(Engine().Tuner().FMFrequency(), ChannelInfo->FMRecord(12)->Frequency);
    way();
    Settle();
    EXPECT_TRUE(MainInfo->Mode == amTV && Window().isVisible() && !Engine().RadioMode());
    EXPECT_EQ(calls, (std::vector<std::string>{"HideTV", "ShowFM", "HideFM", "ShowTV"}));
    EXPECT_EQ(std::pair(int(ChannelInfo->CurrentTable), ChannelInfo->CurrentChannel()), std::pair(2, 7));
    EXPECT_TRUE(PictureRuns());
  }
  // Only from live TV at rest: not while recording, not during a scan.
  for (const bool scanning : {false, true}) {
    ChannelInfo->Scanning = scanning;
    MainInfo->Mode = scanning ? amTV : amCapture;
    App().ExecuteCommand(6000);
    App().HandleMessage(ipc::kMsgEnterFM, 0, 0);
    Settle();
    EXPECT_FALSE(Engine().RadioMode());
    ChannelInfo->Scanning = false, MainInfo->Mode = amTV;
  }
}

TEST_F(FMRadio, SeekFindsTheNextStationEitherWayOrGoesRoundAnEmptyBandBackToItsStart) {
  StartWithPanels();
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
    StartWithPanels();
    App().ExecuteCommand(6000);
    ASSERT_TRUE(Engine().SetFMFrequency(MHz(88.1)));
    tuned.clear();
    onTuned = [&, command] { if (tuned.size() == 5) App().ExecuteCommand(command); };
    App().ExecuteCommand(6001);
    EXPECT_EQ(tuned.size(), 5u) << command;
    EXPECT_EQ(App().MainWindow() ? MainInfo->Mode : amClosed, after) << command;
    onTuned = nullptr;
  }
}

TEST_F(FMRadio, StartedInFMItRecordsTheRadioAndLeavesForTVWithItsPicture) {
  StoreMainSettings([](TMainInfo& m) { m.FMEnabled = true; });
  StartWithPanels({"fm"});
  fmShown = true;  // the panel start-up put up
  EXPECT_TRUE(MainInfo->Mode == amFMRadio && !Window().isVisible());
  MainInfo->WaveFolder = test::Home();
  for (const auto& [format, sound] : {std::pair{0, test::SoundText("pcm_s16le", 48000, 2)}, {1, test::SoundText("mp3", 48000, 2)}}) {
    test::ChangeSettings(Engine(), [&](settings::TCaptureSettings& s) { s.AudioFormat = quint8(format); });
    App().ExecuteCommand(1001);
    QElapsedTimer t;
    t.start();
    WaitUntil([&] { return t.elapsed() >= 2000; }, 3000);
    App().ExecuteCommand(1002);
    EXPECT_EQ(MainInfo->Mode, amFMRadio) << "the FM panel shows";
    const QString file = Engine().Recorder().CurrentFile;
    EXPECT_EQ(QFileInfo(file).absolutePath() + "/", test::Home());
    const test::TProbe probe = test::Probe(file);
    EXPECT_TRUE(probe.ok && probe.video.isEmpty() && probe.Duration() > 1.0) << file.toStdString();
    EXPECT_EQ(probe.Sound(), sound);
  }
  // A start in FM built the preview without a picture: TV has it, then and after a rebuild.
  App().ExecuteCommand(6000);
  EXPECT_TRUE(PictureRuns());
  App().ExecuteCommand(1001);
  App().ExecuteCommand(1002);
  EXPECT_TRUE(PictureRuns());
  // Where the FM panel goes at such a start: beside the main window's place, or at the edge.
  EXPECT_EQ(app::FMPanelStartPosition({1920, 1080}, {480, 360}, {655, 175}), QPoint(1353, 360));
  EXPECT_EQ(app::FMPanelStartPosition({1024, 768}, {480, 360}, {655, 175}), QPoint(369, 204));
}

}  // namespace

// FM radio and the control panels in the running shell on the virtual card: in and out by every
// way in, seek over the stations, a seek cut short, starting in FM, and the panels' buttons
// driving live TV, the radio and an FM recording.

#include <QDir>
#include <QFileInfo>
#include <set>

#include "ShellFixture.h"
#include "app/FMCommands.h"
#include "engine/AudioAdjustInfo.h"
#include "panels/FormFMMainPanel.h"
#include "panels/UIInfo.h"
#include "platform/media/MediaTestSupport.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"
#include "support/ModelEdits.h"

namespace pvx::test {
namespace {

using namespace settings;

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
    QTest::mouseClick(panel.Skin(), Qt::LeftButton, {}, item.Rect().center());
    Settle();
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
    App().ExecuteCommand(203);  // memory channel 7: the source to come back to
    test::ProgramChannels().SelectChannel(7);
    const int memory = test::ProgramChannels().CurFM();
    Window().SetFullScreen(true);
    way();
    Settle();
    EXPECT_TRUE(inFM() && Engine().RadioMode());
    EXPECT_TRUE(FM().isVisible() && !TV().isVisible() && !Window().isVisible());
    // The radio is heard; the TV screen left full screen and keeps its OSD off.
    EXPECT_FALSE(App().AudioAdjustInfo()->LineMuted() || Window().IsFullScreen() || Window().OSD()->IsOSDEnabled());
    EXPECT_EQ(Engine().Tuner().FMFrequency(), test::ProgramChannels().FMRecord(memory)->Frequency);
    for (int code : {10001, 10002, 10020}) App().ExecuteCommand(code);  // typed: FM memory 12
    EXPECT_EQ(Engine().Tuner().FMFrequency(), test::ProgramChannels().FMRecord(12)->Frequency);
    way();
    Settle();
    EXPECT_TRUE(test::ProgramMain().Mode() == amTV && !Engine().RadioMode() && !App().AudioAdjustInfo()->LineMuted());
    EXPECT_TRUE(TV().isVisible() && !FM().isVisible() && Window().isVisible() && Window().OSD()->IsOSDEnabled());
    EXPECT_EQ(std::pair(int(test::ProgramChannels().CurrentTable()), test::ProgramChannels().CurrentChannel()), std::pair(2, 7));
    EXPECT_TRUE(PictureRuns());
  }
  // Only from live TV at rest: not while recording, not during a scan.
  const auto refused = [&] {
    App().ExecuteCommand(6000);
    App().HandleMessage(ipc::kMsgEnterFM, 0, 0);
    Settle();
    EXPECT_FALSE(Engine().RadioMode());
  };
  test::ForceMode(test::ProgramMain(), amCapture);
  refused();
  test::ForceMode(test::ProgramMain(), amTV);
  test::DuringAScan(refused);
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
    EXPECT_EQ(tuned.size(), 5u) << command;
    EXPECT_EQ(App().MainWindow() ? test::ProgramMain().Mode() : amClosed, after) << command;
    onTuned = nullptr;
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
      App().ExecuteCommand(1001);
      App().ExecuteCommand(1002);
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
  ASSERT_TRUE(Start());
  ASSERT_TRUE(TV().isVisible());
  EXPECT_EQ(Label(TV(), "LabelChannel"), " 4");
  for (int item : {12, 13, 22}) ClickTV(item);  // "1", "2", Enter
  EXPECT_TRUE(WaitUntil([&] { return test::ProgramChannels().CurrentChannel() == 12; }));
  EXPECT_EQ(Label(TV(), "LabelChannel"), "12");

  // The panel keeps its place beside the main window when that moves.
  const QPoint panelAt = TV().pos();
  Window().move(Window().pos() + QPoint(30, 20));
  EXPECT_TRUE(WaitUntil([&] { return TV().pos() == panelAt + QPoint(30, 20); }));

  // Minimised, the main window takes its tool panel along, and brings it back.
  ClickTV(0);
  EXPECT_TRUE(Window().isMinimized() && !TV().isVisible());
  Window().showNormal();
  EXPECT_TRUE(WaitUntil([&] { return TV().isVisible(); }));

  ClickTV(11);  // FM mode
  ASSERT_EQ(test::ProgramMain().Mode(), amFMRadio);
  EXPECT_TRUE(FM().isVisible() && !TV().isVisible() && !Window().isVisible());
  EXPECT_TRUE(Label(FM(), "LabelCurretPos").endsWith("MHz"));
  ASSERT_TRUE(Engine().SetFMFrequency(88100000));
  EXPECT_EQ(Label(FM(), "LabelCurretPos"), "88.1MHz");

  // Recording the radio from the panel: into the wave folder, and Stop comes back to FM.
  test::EditPrefs(test::ProgramMain(), [&](settings::TMainPreferences& p) {
    p.WaveFolder = test::Home() + "wave";
  });  // typed without the closing separator
  QDir().mkpath(test::ProgramMain().Prefs().WaveFolder);
  ClickFM(31);
  ASSERT_EQ(test::ProgramMain().Mode(), amCapture);
  EXPECT_EQ(Label(FM(), "LabelDVCRState"), "REC");
  // A second and a half of 48 kHz stereo sound.
  ASSERT_TRUE(WaitUntil([&] { return Engine().RecordedBytes() > 3 * 48000 * 2; }));
  ClickFM(28);
  EXPECT_EQ(test::ProgramMain().Mode(), amFMRadio);
  EXPECT_FALSE(App().AudioAdjustInfo()->LineMuted()) << "the radio is heard again";
  const QString file = Engine().Recorder().CurrentFile;
  EXPECT_EQ(QFileInfo(file).absolutePath(), test::Home() + "wave");
  const test::TProbe probe = test::Probe(file);
  EXPECT_TRUE(probe.ok && probe.picture.isEmpty() && probe.duration > 1.0) << file.toStdString();

  ClickFM(0);  // minimise: the radio goes to the task bar, the main window stays hidden
  EXPECT_TRUE(FM().isMinimized() && !Window().isVisible());
  FM().showNormal();

  ClickFM(6);  // TV mode
  EXPECT_EQ(test::ProgramMain().Mode(), amTV);
  EXPECT_TRUE(TV().isVisible() && !FM().isVisible() && Window().isVisible());
  EXPECT_EQ(test::ProgramChannels().CurrentChannel(), 12);
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

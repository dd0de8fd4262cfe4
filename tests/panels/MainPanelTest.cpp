#include <gtest/gtest.h>

#include <QTest>

#include "engine/AudioAdjustInfo.h"
#include "panels/FormMainPanel.h"
#include "panels/PanelTestSupport.h"
#include "platform/Clock.h"
#include "platform/TTimer.h"
#include "platform/mixer/TVirtualMixer.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "support/TestEnvironment.h"
#include "support/TextWalk.h"

namespace pvx::panels {
namespace {

using namespace settings;
using test::kGreen, test::kGrey, test::kWhite;

class MainPanelTest : public ::testing::Test {
 protected:
  MainPanelTest() {
    env.UI = &ui, env.Main = &main, env.Channels = &channels;
    main.SetMode(amTV);
    channels.SetVideoSource(TChannelInfo::kTuner), channels.SetTable(TChannelInfo::kAntenna);
    ui.ExecuteCommand = [this](int code) { commands.push_back(code); };
    env.Audio = &audio;
    env.ExecuteCommand = ui.ExecuteCommand;
    env.KeyPress = [this](QChar c) { keys << QString(c); };
    env.KeyUp = [this](int key, Qt::KeyboardModifiers) { keys << QString::number(key); };
    env.MainPopupMenu = [this] { return &mainMenu; };
    env.PIPPlaying = [this] { return pip; };
    env.TimeShiftReady = [this] { return ready; };
    env.Recording = env.SleepTimerRunning = [this] { return running; };
    env.SeekPlayer = [this](int fraction) { seeks.push_back(fraction); };
  }
  ~MainPanelTest() override { panel.reset(); }
  TFormMainPanel& Show() {
    panel = std::make_unique<TFormMainPanel>(test::FlatArt({281, 303}), env);
    panel->move(100, 100), panel->ShowCapabilities(true), panel->show();
    return *panel;
  }
  void Mode(TAppMode mode) { main.SetMode(mode), panel->UpdateForMode(mode); }
  QColor Look(QPoint p) const { return panel->Shown().pixelColor(p); }
  QLabel* Label(const char* name) const { return panel->findChild<QLabel*>(name); }
  QString Text(const char* name) const { return Label(name)->text(); }
  QString State() const { return Text("LabelDVCRState") + "|" + Text("LabelDuration") + "|" + Text("LabelCurretPos"); }
  QAction* Action(const char* name) const { return panel->PopupMenuInputSource()->findChild<QAction*>(name); }
  void Click(QPoint from, QPoint to) {
    panel->SkinMouseDown(from, Qt::LeftButton), panel->SkinMouseMove(to, Qt::LeftButton);
    panel->SkinMouseUp(to, Qt::LeftButton);
  }

  TMainInfo main;
  TChannelInfo channels;
  TUIInfo ui;
  engine::TAudioAdjustInfo audio{std::make_unique<platform::mixer::TVirtualMixer>()};
  TPanelEnvironment env;
  QMenu mainMenu;
  bool pip = false, ready = false, running = false;
  std::vector<int> commands, seeks;
  QStringList keys;
  std::unique_ptr<TFormMainPanel> panel;
};

TEST_F(MainPanelTest, ItemsAreEnabledByModeSourceMixerAndPlayers) {
  const QString keys = "12 13 14 15 16 17 18 19 20 21 22 23 24 25";
  const struct { TAppMode mode; quint8 source; bool mixer, pip, ready; QString enabled; } rows[] = {
      {amTV, TChannelInfo::kTuner, true, false, false, "0 1 2 3 4 5 6 7 8 9 11 " + keys + " 26 27 28 29 34 35 36 39"},
      {amTV, TChannelInfo::kComposite, true, false, false, "0 1 2 3 4 5 7 8 11 26 27 28 29 34 35 36 39"},
      {amTV, TChannelInfo::kTuner, false, false, false, "0 1 2 3 4 5 6 7 8 9 11 " + keys + " 29 34 35 36"},
      {amPlayback, TChannelInfo::kTuner, true, false, false, "0 1 2 4 7 26 27 28 30 31 32 33 36 38 39"},
      {amPlayback, TChannelInfo::kTuner, false, true, false, "0 1 2 4 7 9 " + keys + " 30 31 32 33 36 38"},
      {amTimeShiftPlayback, TChannelInfo::kTuner, false, false, false, "0 1 2 4 7 30 31 32 33 36 38"},
      {amTimeShifting, TChannelInfo::kTuner, true, false, true, "0 1 2 4 26 27 28 29 31 36 39"},
      {amTimeShifting, TChannelInfo::kTuner, false, false, false, "0 1 2 4 31 36"},
      {amCapture, TChannelInfo::kTuner, true, false, false, "0 1 2 4 26 27 28 31 36 39"},
      {amChannelPreview, TChannelInfo::kTuner, false, false, false, "0 1 2 4 36"},
  };
  for (const auto& row : rows) {
    main.SetMode(row.mode), channels.SetVideoSource(row.source), pip = row.pip, ready = row.ready;
    env.Audio = row.mixer ? &audio : nullptr;
    auto& p = Show();
    QStringList enabled;
    for (int i = 0; i < TUIInfo::kTVCount; ++i) {
      if (p.Item(i).Enabled) enabled << QString::number(i);
      if (i <= TUIInfo::kTVPositionBar && !p.Item(i).IsEmpty() && (i <= 36 || !p.Item(i).Enabled)) {
        EXPECT_EQ(Look(p.Item(i).Rect().center()), p.Item(i).Enabled ? kWhite : kGrey) << row.mode << ":" << i;
      }
    }
    EXPECT_EQ(enabled.join(' '), row.enabled) << row.mode;
    EXPECT_EQ(Action("itemFM")->isVisible(), row.mode == amTV) << row.mode;
  }
}

TEST_F(MainPanelTest, TheDisplayAndTheSlidersFollowTheModeAndThePlayedPositionStaysWhileTheBufferPlays) {
  auto& p = Show();
  Mode(amTimeShifting);
  p.ShowCaptureProgress(true, 65, 250, 1000);
  EXPECT_EQ(State(), "Time-Shifting|25.00 %|0:01:05");
  Mode(amTimeShiftPlayback);
  p.ShowPlayPosition(true, 10, 100);
  p.ShowCaptureProgress(true, 70, 500, 1000);  // the played position stays
  EXPECT_EQ(State(), "Time-Shifting|50.00 %|0:00:10/0:01:40");
  Mode(amPlayback);
  p.ShowPlayPosition(false, 5, 3725);
  p.ShowTableChange(TChannelInfo::kCable);  // outside live TV the state tells the mode
  EXPECT_EQ(State(), "Play|1:02:05|0:00:05");
  Mode(amTV);
  QStringList states;
  const int tables[] = {TChannelInfo::kMemory, TChannelInfo::kFM, TChannelInfo::kAntenna, -1};
  for (int table : tables) p.ShowTableChange(table), states << Text("LabelDVCRState");
  EXPECT_EQ(states, QStringList({"Memory", "Memory", "Antenna", "Antenna"}));
  EXPECT_EQ(Text("LabelDuration") + "|" + Text("LabelCurretPos"), " 0MB|0:00:00");

  // The sliders show the mixer and the player, and set the volume and seek.
  QList<QColor> indicator;
  p.ShowVolume(32768, false), indicator << Look({200, 172});
  p.ShowVolume(32768, true), indicator << Look({200, 172});
  Mode(amCapture), indicator << Look({200, 172});  // a mode change keeps the light
  EXPECT_EQ(indicator, QList<QColor>({kGrey, kWhite, kWhite}));
  Click({173, 115}, {173, 115});
  EXPECT_EQ(audio.Volume(), 16384);
  Mode(amPlayback);
  p.ShowPlayPosition(false, 50, 100);
  EXPECT_EQ(QList<QColor>({Look({100, 104}), Look({145, 104})}), QList<QColor>({kGreen, kWhite}));
  Mode(amPlayback);  // the mode again keeps the played part; live TV and back empties it
  EXPECT_EQ(Look({100, 104}), kGreen);
  Mode(amTV);
  Mode(amPlayback);
  EXPECT_EQ(Look({100, 104}), kWhite);
  Click({85, 104}, {300, 104});
  EXPECT_EQ(seeks, std::vector<int>({16384, 65536, 65536}));
}

// A digit does nothing while a file plays (the table above); beside a picture-in-picture the
// channel keys work.
TEST_F(MainPanelTest, BesideAPictureInPictureTheChannelKeysWorkWhileAFilePlays) {
  main.SetMode(amPlayback);
  auto& p = Show();
  pip = true;
  Mode(amPlayback);
  Click({40, 115}, {40, 115});
  EXPECT_EQ(commands, std::vector<int>{10001});
  p.ShowSourceChange();  // channel preview still wants live TV
  EXPECT_FALSE(p.Item(6).Enabled);
}

// Without FM the source pop-up has no FM entry (with it, the table above shows it).
TEST_F(MainPanelTest, TheSourceButtonOpensItsPopUpBelowRightOfItself) {
  main.SetFMEnabled(false);
  auto& p = Show();
  Click({50, 175}, {50, 175});
  ASSERT_TRUE(p.PopupMenuInputSource()->isVisible());
  EXPECT_EQ(p.PopupMenuInputSource()->pos(), p.mapToGlobal(QPoint(78, 183)));
  EXPECT_FALSE(Action("itemFM")->isVisible());
  Action("itemCable")->trigger();
  EXPECT_EQ(commands, std::vector<int>({202}));
}

TEST_F(MainPanelTest, LanguageTextsReachHintsSourceCaptionsAndTheState) {
  pvx::test::WriteFile(pvx::test::Home() + "Language/Lang.cfg", "German\n");
  pvx::test::WriteFile(pvx::test::Home() + "Language/German.lng",
                       "[language]=German\nSetup=Einstellungen@Einstellungen öffnen\nCable=Kabel\nAux=Kamera\n");
  TMultiLangInfo lang(pvx::test::Home() + "Language/Lang.cfg");
  env.Language = &lang;
  channels.SetTable(TChannelInfo::kCable);
  auto& p = Show();
  p.SkinMouseMove({90, 175}, Qt::NoButton);
  EXPECT_EQ(p.HotHint(), QString::fromUtf8("Einstellungen öffnen"));
  EXPECT_EQ(Action("itemCable")->text() + "|" + Text("LabelDVCRState"), "Kabel|Kabel");
  channels.SetVideoSource(TChannelInfo::kCamera);
  p.ShowSourceChange();
  EXPECT_EQ(Text("LabelDVCRState"), "Kamera");
  Mode(amTV);
  EXPECT_FALSE(Label("LabelChannel")->isVisible() || Label("LabelTVChannelAudio")->isVisible() ||
               p.Item(12).Enabled);
}

// The panel and its source menu in each shipped language: nothing left in English.
TEST_F(MainPanelTest, NoTextIsLeftInEnglish) {
  TMultiLangInfo lang(pvx::test::SourceData() + "Language/Lang.cfg");
  env.Language = settings::MultiLangInfo = &lang;  // cleared after the test
  QMap<QString, QString> english;
  for (const char* language : {"English", "German", "Chinese(simplified)"}) {
    lang.SetLanguage(language);
    Show();
    QMap<QString, QString> texts = pvx::test::ReadableTexts(*panel);
    texts.insert(pvx::test::ReadableTexts(*panel->PopupMenuInputSource()));
    if (english.isEmpty()) {
      english = texts;
      continue;
    }
    const QStringList own = {"Mono", "Stereo", "S-Video", "MB", "OKA", "PVX"};
    EXPECT_EQ(pvx::test::LeftInEnglish(english, texts, own).join('\n').toStdString(), "") << language;
  }
}

TEST_F(MainPanelTest, KeysMenusClockAndFloating) {
  auto& p = Show();
  for (TAppMode mode : {amTV, amChannelPreview}) main.SetMode(mode), QTest::keyClick(&p, Qt::Key_5);
  EXPECT_EQ(keys, QStringList({"5", QString::number(Qt::Key_5)}));
  mainMenu.addAction("Exit");
  QContextMenuEvent click(QContextMenuEvent::Mouse, {10, 10}, p.Skin()->mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(p.Skin(), &click);
  EXPECT_TRUE(mainMenu.isVisible());
  running = true;  // recording, with the sleep timer set: "REC" and "Sleep" blink
  pvx::test::Clock().Advance(1000);
  EXPECT_FALSE(Label("LabelDVCRState")->isVisible() || !Label("LabelSleep")->isVisible());
  p.SetFloating(true);
  EXPECT_TRUE(p.isVisible() && (p.windowFlags() & Qt::WindowStaysOnTopHint));
  p.SetFloating(false);
  EXPECT_FALSE(p.isVisible() || p.TimerShowTime().Enabled());
}

}  // namespace
}  // namespace pvx::panels

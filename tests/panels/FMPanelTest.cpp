#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <set>

#include "engine/AudioAdjustInfo.h"
#include "engine/EngineFixture.h"
#include "panels/FMPanelRules.h"
#include "panels/FormFMMainPanel.h"
#include "panels/PanelTestSupport.h"
#include "platform/mixer/TVirtualMixer.h"
#include "settings/ChannelInfo.h"
#include "settings/MultiLangInfo.h"
#include "util/FrequencyFormat.h"

namespace pvx::panels {
namespace {

using namespace settings;
using test::kGreen, test::kGrey, test::kWhite;

TEST(FMPanelRules, TheMHzTextTheStartTheDialAndTheBars) {
  // One way everywhere: two decimals, a space, "MHz"; the 10 kHz digit rounded half up.
  const std::pair<quint32, QString> texts[] = {{98500000, "98.50 MHz"}, {100000000, "100.00 MHz"},
                                               {87655000, "87.66 MHz"}, {87654999, "87.65 MHz"}, {0, "0.00 MHz"}};
  for (const auto& [hertz, text] : texts) EXPECT_EQ(util::MHzText(hertz), text) << hertz;
  // Stored, tuner band: the station when the dial (88-108 MHz) shows it, else the dial's lower end.
  const std::tuple<quint32, qint32, qint32, quint32> starts[] = {
      {95300000, 76000000, 108000000, 95300000}, {78560000, 76000000, 108000000, 88000000},
      {89000000, 90000000, 108000000, 90000000}, {80000000, 65000000, 74000000, 65000000}};  // narrowed bands
  for (const auto& [stored, low, high, start] : starts) EXPECT_EQ(FMStartFrequency(stored, low, high), start) << stored;

  const TUIItemRecord dial{70, 112, 281, 115, false, {}}, flat{70, 112, 70, 115, false, {}};
  // The dial's end pixels and its middle: FMPanel.TheDialTunesTheCardAndTheKnobFollowsTheStation.
  const struct { int x; qint32 low, high; quint32 hertz; } clicks[] = {
      {-40, 76000000, 108000000, 76000000}, {900, 76000000, 108000000, 108000000},
      {175, 76000000, 108000000, 92000000}, {177, 76000000, 108000000, 92300000},  // 107 of 210: 16.30
      {175, 76000000, 76000000, 76000000},   // a card without a band
      {175, 90000000, 76000000, 90000000},   // an upside-down band
  };
  for (const auto& c : clicks) EXPECT_EQ(DialFrequency(c.x, dial, c.low, c.high), c.hertz) << c.x << " " << c.high;
  EXPECT_EQ(DialFrequency(175, flat, 76000000, 108000000), 76000000u);

  const struct { quint32 hertz; qint32 low, high; int offset; } knobs[] = {
      {88100000, 76000000, 108000000, qRound((88.1 - 76) / 32 * 211)}, {76000000, 76000000, 108000000, 1},
      {108000000, 76000000, 108000000, 211}, {4000000000u, 76000000, 108000000, 211},
      {90000000, 90000000, 90000000, 1}, {90000000, 100000000, 76000000, 1},
  };
  for (const auto& k : knobs) EXPECT_EQ(DialKnobOffset(k.hertz, dial, k.low, k.high), k.offset) << k.hertz;
  EXPECT_EQ(DialKnobOffset(90000000, flat, 76000000, 108000000), 0);
  EXPECT_EQ(QList<int>({SliderFill(32768, 141), SliderFill(-1, 141)}), QList<int>({70, 0}));
  // A file without a length has nothing played; a position past the end fills the bar.
  EXPECT_EQ(QList<int>({PositionFill(30, 0, 111), PositionFill(90, 60, 111)}), QList<int>({0, 111}));
}

class FMPanel : public pvx::test::EngineFixture {
 protected:
  FMPanel() {
    ui.ExecuteCommand = [this](int code) { ran.push_back(code); };
    main_.SetMode(amFMRadio);
  }
  ~FMPanel() override { panel.reset(); }
  TFormFMMainPanel& Make(bool mixer, engine::TCaptureInfo* capture = nullptr) {
    std::vector<platform::mixer::TVirtualMixerDevice> cards;
    using platform::mixer::TVirtualMixer, platform::mixer::TMixerDestinationType;
    const auto speakers = TVirtualMixer::Destination(TMixerDestinationType::Speakers, "Volume", {"Line In"});
    if (mixer) cards = {{"Card", {speakers}}};
    audio = std::make_unique<engine::TAudioAdjustInfo>(std::make_unique<TVirtualMixer>(cards));
    TPanelEnvironment env;
    env.UI = &ui, env.Main = &main_, env.Channels = &channels, env.Language = language;
    env.Capture = capture, env.Audio = audio.get();
    env.ExecuteCommand = [this](int code) { menuRan.push_back(code); };
    env.KeyPress = [this](QChar c) { typed += c; };
    env.KeyUp = [this](int k, Qt::KeyboardModifiers) { keys.push_back(k); };
    env.SeekPlayer = [this](int fraction) { seeks.push_back(fraction); };
    panel = std::make_unique<TFormFMMainPanel>(test::FlatArt({655, 175}), env);
    audio->OnVolumeChange = [this](auto&, qint32 v, bool m) { panel->ShowVolume(v, m); };
    if (capture) capture->OnFMTuned = [this](auto&, quint32 hz, bool locked) { panel->ShowFMTuned(hz, locked); };
    panel->show();
    return *panel;
  }
  QColor At(QPoint p) const { return panel->Shown().pixelColor(p); }
  QColor LookOf(int item) const { return At(panel->Item(item).Rect().center()); }
  void Click(QPoint p) { panel->SkinMouseDown(p, Qt::LeftButton), panel->SkinMouseUp(p, Qt::LeftButton); }
  // The shell's relay of a mode change.
  void Enter(TAppMode mode) { main_.SetMode(mode), panel->UpdateForMode(mode); }
  QString VisibleMenu() const {
    QStringList names;
    for (QAction* a : panel->PopupFMMainMenu()->actions()) names << (a->isVisible() ? a->objectName() : "");
    return names.join(' ').simplified();
  }

  TUIInfo ui;
  TChannelInfo channels;
  const TMultiLangInfo* language = nullptr;
  std::unique_ptr<engine::TAudioAdjustInfo> audio;
  std::unique_ptr<TFormFMMainPanel> panel;
  std::vector<int> ran, menuRan, keys, seeks;
  QString typed;
};

TEST_F(FMPanel, EachModeEnablesItsKeysAndShowsItsMenu) {
  const struct { TAppMode mode; bool mixer; std::set<int> enabled; const char* state; QString menu; } rows[] = {
      {amFMRadio, true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                         23, 24, 25, 26, 31, 33, 35, 36}, "FM",
       "itemFrequencyUp itemFrequencyDown itemN1 itemPreviousChannel itemNextChannel itemMemoChannel itemRecallChannel "
       "itemN2 itemCapture itemPlay N5 itemMute itemConfig itemTVMode N4 itemSchedule itemAbout itemExit"},
      {amFMRadio, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 26, 31, 36},
       "FM", ""},
      {amCapture, true, {0, 1, 2, 3, 23, 24, 25, 28, 33, 35}, "REC",
       "itemStop N5 itemMute N4 itemSchedule itemAbout itemExit"},
      {amPlayback, false, {0, 1, 2, 3, 27, 28, 29, 30, 34}, "Play",
       "itemPause itemStop itemForward itemBackward itemFastSpeed itemSlowspeed N5 itemMute N4 itemSchedule "
       "itemAbout itemExit"},
  };
  for (const auto& row : rows) {
    Make(row.mixer);
    audio->SetLineMute(true);
    panel->UpdateForMode(row.mode);
    EXPECT_TRUE(row.mode != amFMRadio || !audio->LineMuted()) << "the radio's line sounds";
    EXPECT_EQ(panel->LabelDVCRState->text(), row.state);
    EXPECT_TRUE(row.menu.isEmpty() || VisibleMenu() == row.menu) << VisibleMenu().toStdString();
    for (int i = 0; i < TUIInfo::kFMCount; ++i) {
      const bool on = row.enabled.count(i) > 0;
      EXPECT_EQ(panel->Item(i).Enabled, on) << "mode " << int(row.mode) << " item " << i;
      EXPECT_TRUE(i >= 33 || panel->Item(i).IsEmpty() || LookOf(i) == (on ? kWhite : kGrey)) << i;
    }
  }
  panel->UpdateForMode(amTV);  // not a mode of the radio: nothing changes
  EXPECT_EQ(panel->LabelDVCRState->text(), "Play");
}

TEST_F(FMPanel, CaptureTurnsTheStateToABlinkingRecWithStopUsable) {
  Make(true);
  ui.ExecuteCommand = [this](int code) { ran.push_back(code), Enter(amCapture); };
  Click({606, 95});
  EXPECT_TRUE(ran == std::vector<int>{1001} && panel->LabelDVCRState->text() == "REC");
  panel->ShowCaptureProgress(3725);
  EXPECT_EQ(panel->LabelCurretPos->text(), "1:02:05");
  QList<bool> shown;
  for (int tick = 0; tick < 2; ++tick) {
    panel->TimerShowTime.Fire();
    shown << panel->LabelDVCRState->isVisible();
  }
  EXPECT_EQ(shown, QList<bool>({false, true}));
  Enter(amFMRadio);
  panel->TimerShowTime.Fire();
  EXPECT_TRUE(panel->LabelDVCRState->isVisible()) << "steady outside a recording";
  EXPECT_TRUE(QRegularExpression("^\\d+:\\d\\d:\\d\\d$").match(panel->LabelTime->text()).hasMatch());
}

TEST_F(FMPanel, TheDialTunesTheCardAndTheKnobFollowsTheStation) {
  auto& card = Open();
  Make(true, &card).UpdateForMode(amFMRadio);
  panel->SkinMouseDown({70, 113}, Qt::LeftButton);
  EXPECT_TRUE(card.Tuner().FMFrequency() == 76000000u && panel->LabelCurretPos->text() == "76.00 MHz");
  panel->SkinMouseMove({400, 140}, Qt::LeftButton);
  panel->SkinMouseUp({175, 140}, Qt::LeftButton);
  EXPECT_EQ(card.Tuner().FMFrequency(), 92000000u);
  Click({280, 113});  // the dial's last pixel
  EXPECT_EQ(card.Tuner().FMFrequency(), 108000000u);
  ASSERT_TRUE(card.SetFMFrequency(88100000));
  EXPECT_EQ(panel->LabelCurretPos->text(), "88.10 MHz");
  const int middle = 70 + qRound(12.1 / 32 * 211);
  for (int dx : {-6, 0, 6}) EXPECT_EQ(At({middle + dx, 114}), kWhite) << dx;
  for (int dx : {-7, 7}) EXPECT_EQ(At({middle + dx, 114}), kGrey) << dx;
  EXPECT_EQ(At({281, 114}), kGrey) << "the old knob is gone";
  QStringList channel;
  panel->ShowChannel(12), channel << panel->LabelChannel->text();
  panel->ShowEntryText("3"), channel << panel->LabelChannel->text();
  EXPECT_EQ(channel, QStringList({"12", "3"}));
}

TEST_F(FMPanel, VolumeMuteAndThePlayedPartFollowTheModels) {
  Make(true).UpdateForMode(amFMRadio);
  panel->SkinMouseDown({301, 44}, Qt::LeftButton);
  panel->SkinMouseUp({372, 44}, Qt::LeftButton);  // half of the 141-pixel slider
  EXPECT_EQ(audio->Volume(), 71 * 65536 / 141);
  // The mixer tells of the change a moment later.
  ASSERT_TRUE(pvx::test::WaitUntil([&] { return At({301 + 71, 44}) == kGrey; }));
  EXPECT_EQ(At({301 + 69, 44}), kWhite);
  panel->ShowVolume(audio->Volume(), true);
  EXPECT_TRUE(LookOf(33) == kWhite && panel->MenuItem("itemMute")->isChecked()) << "the indicator is lit";

  Enter(amPlayback);
  panel->ShowPlayPosition(30, 60);
  EXPECT_EQ(panel->LabelCurretPos->text(), "0:00:30");
  EXPECT_EQ(QList<QColor>({At({80, 143}), At({188, 157})}), QList<QColor>({kGreen, kWhite}));
  panel->ShowPlayPosition(100, 0);
  EXPECT_TRUE(panel->LabelCurretPos->text() == "0:01:40" && At({80, 150}) == kWhite);
  const TUIItemRecord& bar = panel->Item(TUIInfo::kFMPositionBar);
  panel->SkinMouseDown({bar.Left, bar.Top}, Qt::LeftButton);
  panel->SkinMouseUp({900, bar.Top}, Qt::LeftButton);
  EXPECT_EQ(seeks, (std::vector<int>{0, 65536}));
  panel->SetRunning(false);
  EXPECT_EQ(QList<QColor>({LookOf(26), LookOf(27)}), QList<QColor>({kWhite, kGrey})) << "Play, not Pause";
}

TEST_F(FMPanel, KeysReachTheNumberEntryInEveryModeTheMenuSendsCodesAndTakesTheLanguage) {
  for (TAppMode mode : {amFMRadio, amChannelPreview}) {
    main_.SetMode(mode);
    Make(false);
    QTest::keyClick(panel.get(), '5');
  }
  EXPECT_TRUE(typed == "55" && keys == (std::vector<int>{Qt::Key_5, Qt::Key_5}));
  panel->MenuItem("itemFrequencyUp")->trigger();
  panel->MenuItem("itemExit")->trigger();
  EXPECT_EQ(menuRan, (std::vector<int>{6003, 1}));
  EXPECT_FALSE(panel->MenuItem("itemFindAvaliableUp")->isVisible());

  // The language renames the menu and the hints; a right click opens the menu.
  const QString folder = pvx::test::Home() + "Language/";
  pvx::test::WriteFile(folder + "Lang.cfg", "X\n");
  pvx::test::WriteFile(folder + "X.lng",
                       "[language]=German\nFMFreqUp=Frequenz hoch@Eine Stufe hoeher\nExit=Beenden\n");
  TMultiLangInfo lang(folder + "Lang.cfg");
  language = &lang;
  Make(false);
  Enter(amFMRadio);
  EXPECT_EQ(QStringList({panel->MenuItem("itemFrequencyUp")->text(), panel->MenuItem("itemExit")->text(),
                         panel->MenuItem("itemPlay")->text()}),
            QStringList({"Frequenz hoch", "Beenden", "Play"}));
  panel->SkinMouseMove({157, 130}, Qt::NoButton);
  EXPECT_EQ(panel->HotHint(), "Eine Stufe hoeher");
  QContextMenuEvent click(QContextMenuEvent::Mouse, {400, 20}, panel->Skin()->mapToGlobal(QPoint(400, 20)));
  QApplication::sendEvent(panel->Skin(), &click);
  EXPECT_TRUE(panel->PopupFMMainMenu()->isVisible());
  panel->PopupFMMainMenu()->hide();
}

}  // namespace
}  // namespace pvx::panels

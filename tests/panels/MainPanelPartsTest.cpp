// The TV panel's parts on their own: the display's labels and the two sliders' drawing.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QWidget>

#include "panels/MainPanelDisplay.h"
#include "panels/MainPanelSliders.h"
#include "panels/PanelTestSupport.h"
#include "support/TestEnvironment.h"

namespace pvx::panels {
namespace {

using namespace settings;
using test::kGreen, test::kGrey, test::kWhite;

class MainPanelDisplayTest : public ::testing::Test {
 protected:
  MainPanelDisplayTest() { parent.resize(281, 303); }
  QLabel* Label(const char* name) const { return parent.findChild<QLabel*>(name); }
  QString Text(const char* name) const { return Label(name)->text(); }
  QString Counters() const { return Text("LabelDuration") + "|" + Text("LabelCurretPos"); }
  // What a recording left behind, to see which texts a call replaces.
  void Fill() { display.ShowStateText("old"), display.ShowPlayTimes(false, 1, 2); }

  QWidget parent;
  TMainPanelDisplay display{&parent, Qt::red};
};

// Each label's place, face, alignment and visibility, as approved.
TEST_F(MainPanelDisplayTest, TheLabelsSitAsApproved) {
  EXPECT_TRUE(pvx::test::LooksAsStored(parent.grab().toImage(), "tv-display"));
}

// Live TV, playback and time-shifting through the panel: MainPanelTest.
TEST_F(MainPanelDisplayTest, EachModeShowsItsStateKeepsTheCountersAndCaptureProgressFillsThem) {
  const struct { TAppMode mode; QString state, counters; } rows[] = {
      {amCapture, "REC", "0:00:02|0:00:01"},
      {amScheduledCapture, "REC", "0:00:02|0:00:01"},
      {amChannelPreview, "old", "0:00:02|0:00:01"},  // no text of its own: nothing changes
      {amFMRadio, "old", "0:00:02|0:00:01"},
  };
  for (const auto& row : rows) {
    Fill();
    display.ShowMode(row.mode, "Cable");
    EXPECT_EQ(Text("LabelDVCRState") + "|" + Counters(), row.state + "|" + row.counters) << row.mode;
  }
  // Capture progress fills the counters; the time-shift share, the played position and the play
  // times through the panel: MainPanelTest.
  const struct { bool timeShift, keepPosition; qint64 elapsed, bytes, third; QString counters; } fills[] = {
      {false, false, 3665, 12500000, 0, "12.50 MB|1:01:05"},
      {false, true, 65, 0, 0, "0.00 MB|0:01:05"},  // a recording always shows its time
      {true, false, 66, 0, 1000, "|0:01:06"},          // nothing written yet
      {true, false, 66, 5000000, 0, "5.00 MB|0:01:06"},  // a full disk: no base for a share
      {true, false, 66, 5000000, -5, "5.00 MB|0:01:06"},
      {true, false, 66, 9000000, 1000000000, "9.00 MB|0:01:06"},  // under 1 % of a large limit
      {true, false, 66, 10000000, 1000000000, "1.00 %|0:01:06"},
      {false, false, -3, 1000000, 0, "1.00 MB|0:00:00"},  // no negative time
  };
  for (const auto& row : fills) {
    Fill();
    display.ShowCaptureProgress(row.timeShift, row.keepPosition, row.elapsed, row.bytes, row.third);
    EXPECT_EQ(Counters(), row.counters) << row.elapsed << " " << row.third;
  }
}

TEST_F(MainPanelDisplayTest, TheStateFontFollowsTheLanguageWithinTheDisplay) {
  const struct { int points, pixels; } rows[] = {{1, 9}, {6, 9}, {9, 12}, {10, 13}, {30, 13}};
  for (const auto& row : rows) {
    display.SetStateFontSize(row.points);
    EXPECT_EQ(Label("LabelDVCRState")->font().pixelSize(), row.pixels) << row.points;
  }
}

// The labels, in their colour, let the mouse through to the skin; the standard and "Sleep" start
// hidden, and "Sleep" blinks with "REC".
TEST_F(MainPanelDisplayTest, TheTickSetsTheClockAndBlinksRecAndSleep) {
  parent.show();
  for (QLabel* label : parent.findChildren<QLabel*>())
    EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents) &&
                label->palette().color(QPalette::WindowText) == QColor(Qt::red))
        << label->objectName().toStdString();
  EXPECT_TRUE(Label("LabelVideoStandard")->isHidden() && Label("LabelSleep")->isHidden());
  const QDateTime noon(QDate(2024, 5, 1), QTime(12, 3, 4));
  QStringList seen;
  const struct { bool recording, sleep; } ticks[] = {{true, true}, {true, true}, {true, false}, {false, false}};
  for (const auto& tick : ticks) {
    display.Tick(noon, tick.recording, tick.sleep);
    seen << QStringLiteral("%1%2").arg(Label("LabelDVCRState")->isVisible()).arg(Label("LabelSleep")->isVisible());
  }
  EXPECT_EQ(seen << Text("LabelTime"), QStringList({"01", "10", "00", "10", "12:03:04"}));
  display.SetSleepShown(true);
  EXPECT_TRUE(Label("LabelSleep")->isVisible());
}

TEST_F(MainPanelDisplayTest, ChannelsTakeALeadingSpaceBelowTenAndTheChannelAndSoundShowOnlyWhenAsked) {
  QStringList seen;
  for (int channel : {7, 12, 125}) display.ShowChannel(channel), seen << Text("LabelChannel");
  display.ShowChannelText("10-"), seen << Text("LabelChannel");
  EXPECT_EQ(seen, QStringList({" 7", "12", "125", "10-"}));
  parent.show();
  display.SetChannelShown(false), display.SetTVAudioShown(false);
  display.ShowTVAudioText("Stereo"), display.ShowVideoStandardText("PAL");
  EXPECT_FALSE(Label("LabelChannel")->isVisible() || Label("LabelTVChannelAudio")->isVisible());
  EXPECT_EQ(Text("LabelTVChannelAudio") + "|" + Text("LabelVideoStandard"), "Stereo|PAL");
  display.SetChannelShown(true), display.SetTVAudioShown(true);
  EXPECT_TRUE(Label("LabelChannel")->isVisible() && Label("LabelTVChannelAudio")->isVisible());
}

class MainPanelSlidersTest : public ::testing::Test {
 protected:
  MainPanelSlidersTest() {
    for (int i : {TUIInfo::kTVPositionBar, TUIInfo::kTVVolumeSlider}) ui.TVItems[size_t(i)].Enabled = true;
  }
  const TUIItemRecord& Volume() const { return ui.TVItems[TUIInfo::kTVVolumeSlider]; }
  const TUIItemRecord& Bar() const { return ui.TVItems[TUIInfo::kTVPositionBar]; }
  QColor Indicator() const { return panel.LookOf(TUIInfo::kTVMuteIndicator); }
  // The lit or played width, read off the row through the middle of an item.
  int Lit(const TUIItemRecord& item, int y, const QColor& lit) const {
    int x = item.Left;
    while (x < item.Right && panel.Look({x, y}) == lit) ++x;
    return x - item.Left;
  }

  TUIInfo ui;
  test::TTestPanel panel{ui};
  TMainPanelSliders sliders{panel};
};

TEST_F(MainPanelSlidersTest, TheVolumeLightsItsShareOfTheSliderAndMutingTheIndicator) {
  const int width = Volume().Right - Volume().Left, y = Volume().Rect().center().y();
  const struct { qint32 volume; int lit; } rows[] = {
      {0, 0}, {32768, width / 2}, {65535, width - 1}, {65536, width}, {70000, width}, {-1, 0}, {-65536, 0},
  };
  for (const auto& row : rows) {
    sliders.SetVolume(row.volume, false);
    sliders.DrawVolume();
    EXPECT_EQ(Lit(Volume(), y, kWhite), row.lit) << row.volume;
  }
  // Muting lights the indicator on the next drawing.
  QList<QColor> indicator;
  sliders.SetVolume(32768, true), indicator << Indicator();
  sliders.DrawVolume(), indicator << Indicator();
  sliders.SetVolume(32768, false), sliders.Redraw(), indicator << Indicator();
  EXPECT_EQ(indicator, QList<QColor>({kGrey, kWhite, kGrey}));
}

TEST_F(MainPanelSlidersTest, ThePositionBarShowsThePlayedShareWithTheKnobAtItsEndAndDisabledNothing) {
  const int width = Bar().Right - Bar().Left, y = Bar().Top;
  const struct { qint64 position, duration; int played; } rows[] = {
      {5, 0, 0},  // no length yet: an empty bar
      {50, 100, width / 2},
      {100, 100, width},
      {150, 100, width},  // kept inside the bar
      {-5, 100, 0},
  };
  for (const auto& row : rows) {
    sliders.SetPosition(row.position, row.duration);
    sliders.DrawPosition();
    const int end = Bar().Left + row.played;
    // The knob covers three pixels either side of the end, above and over the bar's top row; the
    // unplayed part follows it.
    EXPECT_EQ(panel.Look({end, y}), kGreen) << row.position;
    if (end + 4 < Bar().Right) {
      EXPECT_EQ(panel.Look({end + 4, y}), kWhite) << row.position;
    }
    // Below the knob's rows: the played part, or nothing.
    const QPoint played = row.played > 4 ? QPoint(end - 4, Bar().Bottom - 1) : QPoint(Bar().Left + 4, Bar().Bottom - 1);
    EXPECT_EQ(panel.Look(played), row.played > 4 ? kGreen : kWhite) << row.position;
  }
  // Disabled items show the disabled look whatever their values.
  sliders.SetVolume(65535, true), sliders.SetPosition(50, 100);
  sliders.Redraw();
  EXPECT_EQ(panel.Look(Volume().Rect().center()), kWhite);
  for (int i : {TUIInfo::kTVPositionBar, TUIInfo::kTVVolumeSlider}) ui.TVItems[size_t(i)].Enabled = false;
  sliders.Redraw();
  const QList<QColor> looks{panel.Look(Volume().Rect().center()), Indicator(),
                            panel.Look({Bar().Left, Bar().Bottom - 1}), panel.Look({Bar().Right - 1, Bar().Top})};
  EXPECT_EQ(looks, QList<QColor>({kGrey, kGrey, kGrey, kGrey}));
}

}  // namespace
}  // namespace pvx::panels

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QWidget>

#include "panels/MainPanelDisplay.h"

namespace pvx::panels {
namespace {

using namespace settings;

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

TEST_F(MainPanelDisplayTest, TheLabelsSitOnTheParentInTheirColourAndLetTheMouseThrough) {
  const char* names[] = {"LabelTime", "LabelDuration", "LabelCurretPos", "LabelDVCRState",
                         "LabelVideoStandard", "LabelTVChannelAudio", "LabelChannel", "LabelSleep"};
  for (const char* name : names) {
    QLabel* label = Label(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red)) << name;
    EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents)) << name;
  }
  parent.show();  // the standard and "Sleep" start hidden
  EXPECT_FALSE(Label("LabelVideoStandard")->isVisible() || Label("LabelSleep")->isVisible());
  EXPECT_TRUE(Label("LabelDVCRState")->isVisible());
}

TEST_F(MainPanelDisplayTest, EachModeShowsItsStateAndLiveTVClearsTheCounters) {
  const struct { TAppMode mode; QString state, counters; } rows[] = {
      {amTV, "Cable", " 0MB|0:00:00"},
      {amCapture, "REC", "0:00:02|0:00:01"},
      {amScheduledCapture, "REC", "0:00:02|0:00:01"},
      {amPlayback, "Play", "0:00:02|0:00:01"},
      {amTimeShifting, "Time-Shifting", "0:00:02|0:00:01"},
      {amTimeShiftPlayback, "Time-Shifting", "0:00:02|0:00:01"},
      {amChannelPreview, "old", "0:00:02|0:00:01"},  // no text of its own: nothing changes
      {amFMRadio, "old", "0:00:02|0:00:01"},
  };
  for (const auto& row : rows) {
    Fill();
    display.ShowMode(row.mode, "Cable");
    EXPECT_EQ(Text("LabelDVCRState") + "|" + Counters(), row.state + "|" + row.counters) << row.mode;
  }
}

TEST_F(MainPanelDisplayTest, CaptureProgressAndPlayTimesFillTheCounters) {
  const struct { bool timeShift, keepPosition; qint64 elapsed, bytes, third; QString counters; } rows[] = {
      {false, false, 3665, 12500000, 0, "12.50 MB|1:01:05"},
      {false, true, 65, 0, 0, "0.00 MB|0:01:05"},  // a recording always shows its time
      {true, false, 65, 250, 1000, "25.00 %|0:01:05"},
      {true, true, 65, 500, 1000, "50.00 %|0:00:01"},  // the played position stays
      {true, false, 66, 0, 1000, "|0:01:06"},          // nothing written yet
      {true, false, 66, 500, 0, "|0:01:06"},           // a full disk: no base for a share
      {true, false, 66, 500, -5, "|0:01:06"},
      {false, false, -3, 1000000, 0, "1.00 MB|0:00:00"},  // no negative time
  };
  for (const auto& row : rows) {
    Fill();
    display.ShowCaptureProgress(row.timeShift, row.keepPosition, row.elapsed, row.bytes, row.third);
    EXPECT_EQ(Counters(), row.counters) << row.elapsed << " " << row.third;
  }
  // Play times: position and length apart, or together beside what the capture shows.
  display.ShowPlayTimes(true, 10, 100);
  EXPECT_EQ(Counters(), "1.00 MB|0:00:10/0:01:40");
  display.ShowPlayTimes(false, 5, 3725);
  EXPECT_EQ(Counters(), "1:02:05|0:00:05");
}

TEST_F(MainPanelDisplayTest, TheStateFontFollowsTheLanguageWithinTheDisplay) {
  const struct { int points, pixels; } rows[] = {{1, 9}, {6, 9}, {9, 12}, {10, 13}, {30, 13}};
  for (const auto& row : rows) {
    display.SetStateFontSize(row.points);
    EXPECT_EQ(Label("LabelDVCRState")->font().pixelSize(), row.pixels) << row.points;
  }
}

TEST_F(MainPanelDisplayTest, TheTickSetsTheClockAndBlinksRecAndSleep) {
  parent.show();
  const QDateTime noon(QDate(2024, 5, 1), QTime(12, 3, 4));
  QStringList seen;
  const struct { bool recording, sleep; } ticks[] = {{true, true}, {true, true}, {true, false}, {false, false}};
  for (const auto& tick : ticks) {
    display.Tick(noon, tick.recording, tick.sleep);
    seen << QStringLiteral("%1%2").arg(Label("LabelDVCRState")->isVisible()).arg(Label("LabelSleep")->isVisible());
  }
  EXPECT_EQ(seen, QStringList({"01", "10", "00", "10"}));
  EXPECT_EQ(Text("LabelTime"), "12:03:04");
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

}  // namespace
}  // namespace pvx::panels

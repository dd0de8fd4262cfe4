#include <gtest/gtest.h>

#include "panels/MainPanelSliders.h"
#include "panels/PanelTestSupport.h"

namespace pvx::panels {
namespace {

using test::kGreen, test::kGrey, test::kWhite;

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
  sliders.SetVolume(32768, true);
  EXPECT_EQ(Indicator(), kGrey);
  sliders.DrawVolume();
  EXPECT_EQ(Indicator(), kWhite);
  sliders.SetVolume(32768, false), sliders.Redraw();
  EXPECT_EQ(Indicator(), kGrey);
}

TEST_F(MainPanelSlidersTest, ThePositionBarShowsThePlayedShareWithTheKnobAtItsEnd) {
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
}

TEST_F(MainPanelSlidersTest, DisabledItemsShowTheDisabledLookWhateverTheirValues) {
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

#include <gtest/gtest.h>

#include <QtEndian>
#include <stdexcept>

#include "panels/PanelTestSupport.h"
#include "panels/SkinPanel.h"

namespace pvx::panels {
namespace {

class TestPanel final : public TSkinPanel {
 public:
  explicit TestPanel(TUIInfo& ui)
      : TSkinPanel(test::FlatArt({281, 303}), ui.TVItems.data(), TUIInfo::kTVCount, 38, TUIInfo::kTVMuteIndicator) {}
  std::vector<int> ran;
  std::vector<std::pair<int, bool>> slid;
  QColor LookOf(int item) { return Shown().pixelColor(Item(item).Rect().center()); }

 protected:
  bool IsSliderItem(int index) const override { return index == 38 || index == 39; }
  void SliderInput(int index, QPoint p, bool released) override {
    slid.push_back({SliderValue(Item(index), p), released});
  }
  void RunItem(int index) override { ran.push_back(index); }
  void RedrawAll() override {}
};

class SkinPanelTest : public ::testing::Test {
 protected:
  SkinPanelTest() {
    for (int i : {12, 13, 37, 39}) ui.TVItems[size_t(i)].Enabled = true;
    panel.move(100, 100);
  }
  TUIInfo ui;
  TestPanel panel{ui};
  const QPoint one{40, 115}, two{60, 115}, three{90, 115}, nothing{10, 10};
};

TEST_F(SkinPanelTest, AButtonRunsOnlyWhenReleasedOverItself) {
  panel.SkinMouseDown(one, Qt::LeftButton);
  EXPECT_EQ(panel.LookOf(12), QColor(Qt::blue));
  panel.SkinMouseUp(two, Qt::LeftButton);
  EXPECT_TRUE(panel.ran.empty());
  EXPECT_EQ(panel.LookOf(12), QColor(Qt::white));

  panel.SkinMouseDown(one, Qt::LeftButton);
  panel.SkinMouseUp(one + QPoint(3, 2), Qt::LeftButton);
  EXPECT_EQ(panel.ran, std::vector<int>{12});
  panel.SkinMouseDown(one, Qt::RightButton);  // other buttons do nothing
  panel.SkinMouseUp(one, Qt::RightButton);
  EXPECT_EQ(panel.ran.size(), 1u);
}

TEST_F(SkinPanelTest, HoverLooksAndHintsFollowTheMouse) {
  panel.SkinMouseMove(one, Qt::NoButton);
  EXPECT_EQ(panel.LookOf(12), QColor(Qt::green));
  EXPECT_EQ(panel.HotHint(), "1");
  panel.SkinMouseMove(three, Qt::NoButton);  // a disabled key: no hover, no hint
  EXPECT_EQ(panel.LookOf(12), QColor(Qt::white));
  EXPECT_EQ(panel.LookOf(14), QColor(Qt::gray));
  EXPECT_EQ(panel.HotHint(), "");
  panel.SkinMouseMove({200, 170}, Qt::NoButton);  // the mute indicator never becomes hot
  EXPECT_EQ(panel.HotItem(), 14);
}

TEST_F(SkinPanelTest, TheBackgroundAndDisabledButtonsDragThePanel) {
  for (QPoint start : {nothing, three}) {
    const QPoint before = panel.pos();
    panel.SkinMouseDown(start, Qt::LeftButton);
    panel.SkinMouseMove(start + QPoint(25, -7), Qt::LeftButton);
    panel.SkinMouseUp(start + QPoint(25, -7), Qt::LeftButton);
    EXPECT_EQ(panel.pos(), before + QPoint(25, -7));
  }
  const QPoint before = panel.pos();
  panel.SkinMouseDown(one, Qt::LeftButton);  // an enabled button holds still
  panel.SkinMouseMove(one + QPoint(25, 0), Qt::LeftButton);
  EXPECT_EQ(panel.pos(), before);
  EXPECT_TRUE(panel.ran.empty());
}

TEST_F(SkinPanelTest, SlidersFollowWhilePressedAndTheIndicatorRunsOnRelease) {
  panel.SkinMouseDown({148, 115}, Qt::LeftButton);
  panel.SkinMouseMove({198, 115}, Qt::LeftButton);
  panel.SkinMouseUp({400, 115}, Qt::LeftButton);
  EXPECT_EQ(panel.slid, (std::vector<std::pair<int, bool>>{{0, false}, {32768, false}, {65536, true}}));
  panel.SkinMouseDown({200, 170}, Qt::LeftButton);
  panel.SkinMouseUp({10, 10}, Qt::LeftButton);
  EXPECT_EQ(panel.ran, std::vector<int>{37});
}

TEST(SkinPanel, SliderValuesAreSixteenSixteenFractions) {
  const TUIItemRecord horizontal{148, 109, 248, 120};
  const TUIItemRecord vertical{0, 0, 10, 40};
  EXPECT_EQ(TSkinPanel::SliderValue(horizontal, {100, 0}), 0);
  EXPECT_EQ(TSkinPanel::SliderValue(horizontal, {173, 0}), 16384);
  EXPECT_EQ(TSkinPanel::SliderValue(horizontal, {300, 0}), 65536);
  EXPECT_EQ(TSkinPanel::SliderValue(vertical, {0, 40}, true), 0);
  EXPECT_EQ(TSkinPanel::SliderValue(vertical, {0, 10}, true), 49152);
}

QByteArray Stream(std::initializer_list<qint32> values) {
  QByteArray bytes;
  for (qint32 v : values) {
    char b[4];
    qToLittleEndian(v, b);
    bytes.append(b, 4);
  }
  return bytes;
}

TEST(ShapeRegion, TheDataStreamRoundTripsAndRefusesBrokenBlocks) {
  TShapeRegion region{{QRect(0, 0, 10, 2), QRect(2, 2, 6, 3)}};
  const QByteArray stream = region.WriteData();
  EXPECT_EQ(stream, Stream({64, 32, 1, 2, 32, 0, 0, 10, 5, 0, 0, 10, 2, 2, 2, 8, 5}));
  TShapeRegion back;
  ASSERT_TRUE(back.ReadData(stream));
  EXPECT_EQ(back.Rects, region.Rects);

  const struct {
    QByteArray bytes;
    bool ok;
  } rows[] = {
      {Stream({0}), true},                                        // no region
      {Stream({80, 32, 1, 2, 32, 0, 0, 10, 5}), false},           // longer than the stream
      {Stream({48, 32, 1, 2, 32, 0, 0, 10, 5, 0, 0, 10, 2}), false},  // two rectangles, room for one
      {Stream({48, 40, 1, 1, 16, 0, 0, 10, 5, 0, 0, 10, 2}), false},  // not a region header
      {Stream({20, 32, 1, 0, 0, 0}), false},                      // shorter than a header
      {QByteArray("\x01", 1), false},
  };
  for (const auto& row : rows) {
    TShapeRegion r{{QRect(1, 1, 1, 1)}};
    EXPECT_EQ(r.ReadData(row.bytes), row.ok) << row.bytes.toHex().toStdString();
    EXPECT_TRUE(r.IsEmpty());
  }
}

TEST(ShapeImage, OnlyAFormCanHoldIt) {
  QWidget form;
  QWidget* inner = new QWidget(&form);
  try {
    TShapeImage image(inner);
    FAIL() << "accepted a panel";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Please Drop ShapeImage on a Form");
  }
  auto* image = new TShapeImage(&form);
  EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
  image->SetMask(TShapeRegion{});  // no region: the window stays rectangular
  EXPECT_TRUE(form.mask().isEmpty());
  image->SetMask(TShapeRegion{{QRect(0, 0, 5, 5)}});
  EXPECT_EQ(form.mask(), QRegion(0, 0, 5, 5));
}

}  // namespace
}  // namespace pvx::panels

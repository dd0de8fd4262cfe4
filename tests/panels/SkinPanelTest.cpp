// The skin panel over the item tables: hit tests, commands, hints and looks, the slider values,
// and the shaped window's region.

#include <gtest/gtest.h>

#include <QStringList>
#include <QtEndian>
#include <stdexcept>

#include "panels/PanelTestSupport.h"
#include "panels/SkinPanel.h"
#include "panels/UIInfo.h"

namespace pvx::panels {
namespace {

class SkinPanelTest : public ::testing::Test {
 protected:
  SkinPanelTest() {
    for (int i : {12, 13, 37, 39}) ui.TVItems[size_t(i)].Enabled = true;
    panel.move(100, 100);
  }
  TUIInfo ui;
  test::TTestPanel panel{ui};
  const QPoint one{40, 115}, two{60, 115}, three{90, 115}, nothing{10, 10};
};

TEST_F(SkinPanelTest, AButtonRunsOnlyWhenReleasedOverItselfAndSlidersFollowWhilePressed) {
  panel.SkinMouseDown(one, Qt::LeftButton);
  EXPECT_EQ(panel.LookOf(12), test::kBlue);
  panel.SkinMouseUp(two, Qt::LeftButton);
  EXPECT_TRUE(panel.ran.empty() && panel.LookOf(12) == test::kWhite);

  panel.SkinMouseDown(one, Qt::LeftButton);
  panel.SkinMouseUp(one + QPoint(3, 2), Qt::LeftButton);
  EXPECT_EQ(panel.ran, std::vector<int>{12});
  panel.SkinMouseDown(one, Qt::RightButton);  // other buttons do nothing
  panel.SkinMouseUp(one, Qt::RightButton);
  EXPECT_EQ(panel.ran.size(), 1u);

  panel.SkinMouseDown({148, 115}, Qt::LeftButton);
  panel.SkinMouseMove({198, 115}, Qt::LeftButton);
  panel.SkinMouseUp({400, 115}, Qt::LeftButton);
  EXPECT_EQ(panel.slid, (std::vector<std::pair<int, bool>>{{0, false}, {32768, false}, {65536, true}}));
  panel.SkinMouseDown({200, 170}, Qt::LeftButton);  // the indicator runs on release anywhere
  panel.SkinMouseUp({10, 10}, Qt::LeftButton);
  EXPECT_EQ(panel.ran, (std::vector<int>{12, 37}));
}

TEST_F(SkinPanelTest, HoverLooksAndHintsFollowTheMouseAndTheBackgroundAndDisabledButtonsDrag) {
  panel.SkinMouseMove(one, Qt::NoButton);
  EXPECT_TRUE(panel.LookOf(12) == test::kGreen && panel.HotHint() == "1");
  panel.SkinMouseMove(three, Qt::NoButton);  // a disabled key: no hover, no hint
  EXPECT_EQ(QList<QColor>({panel.LookOf(12), panel.LookOf(14)}), QList<QColor>({test::kWhite, test::kGrey}));
  EXPECT_EQ(panel.HotHint(), "");
  panel.SkinMouseMove({200, 170}, Qt::NoButton);  // the mute indicator never becomes hot
  EXPECT_EQ(panel.HotItem(), 14);

  // The background and disabled buttons drag the panel; an enabled button holds still.
  for (const auto& [start, drags] : {std::pair{nothing, true}, {three, true}, {one, false}}) {
    const QPoint before = panel.pos();
    panel.SkinMouseDown(start, Qt::LeftButton);
    panel.SkinMouseMove(start + QPoint(25, -7), Qt::LeftButton);
    panel.SkinMouseUp(start + QPoint(25, -7), Qt::LeftButton);
    EXPECT_EQ(panel.pos(), drags ? before + QPoint(25, -7) : before) << start.x();
  }
  EXPECT_TRUE(panel.ran.empty());
}

TEST(SkinPanel, SliderValuesAreSixteenSixteenFractionsKeptInTheRange) {
  const TUIItemRecord horizontal{148, 109, 248, 120, false, {}}, vertical{0, 0, 10, 40, false, {}};
  const TUIItemRecord flat{148, 109, 148, 120, false, {}};
  const auto value = &TSkinPanel::SliderValue;
  EXPECT_EQ(QList<int>({value(horizontal, {100, 0}, false), value(horizontal, {173, 0}, false),
                        value(horizontal, {300, 0}, false), value(vertical, {0, 40}, true),
                        value(vertical, {0, 10}, true), value(flat, {150, 0}, false)}),
            QList<int>({0, 16384, 65536, 0, 49152, 0}));
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

// The indicator, the background and the dial through the panels: SkinPanelTest, FMPanelTest.
TEST(UIInfo, TheFirstItemHoldingThePointWins) {
  const TUIInfo ui;
  const struct { char table; int x, y, expected; } rows[] = {
      {'t', 200, 163, 28},  // mute button over the indicator
      {'t', 53, 108, 40},   // right edge of "1" is outside it
      {'t', 55, 108, 13},   // left edge of "2" is inside it
      {'t', 30, 124, 40},   // bottom edge of "1"
      {'t', 0, 0, 40},      // the empty rectangles hold nothing
      {'f', 281, 113, 38},  // just past the dial
      {'f', 0, 0, 38},
      {'m', 13, 5, 2},  // the gap between the two
      {'m', 14, 5, 1},
      {'m', 0, 0, 0},
  };
  for (const auto& r : rows) {
    const int got = r.table == 't' ? ui.HitTestTV(r.x, r.y) : r.table == 'f' ? ui.HitTestFM(r.x, r.y)
                                                                                : ui.HitTestMenu(r.x, r.y);
    EXPECT_EQ(got, r.expected) << r.table << " " << r.x << "," << r.y;
  }
}

TEST(UIInfo, ItemsRunTheirCommandsOnlyWhenTheyHaveOneAndTakeTheLanguagesHints) {
  TUIInfo ui;
  std::vector<int> ran;
  ui.ExecuteCommand = [&](int code) { ran.push_back(code); };
  // The source; iEPG, without a command; the mute indicator; the position bar, past the command
  // items; no item.
  for (int item : {3, 10, 37, 38, 40}) ui.ExecuteTVItem(item);
  for (int item : {6, 33, 34}) ui.ExecuteFMItem(item);
  for (int item : {1, 2}) ui.ExecuteMenuItem(item);
  EXPECT_EQ(ran, (std::vector<int>{200, 403, 6000, 403, 3}));

  // Language texts replace the hints of every item naming the key.
  ui.ApplyLanguage([](const QString& key) {
    if (key == "Minimize") return QStringLiteral("Minimieren");
    if (key == "Play") return QStringLiteral("Wiedergabe");
    return QString();
  });
  // Minimize and Play in every table; "Exit", which the language lacks, and the "1" key, which has
  // no language key, keep their built-in hints.
  EXPECT_EQ(QStringList({ui.TVItems[0].Hint, ui.FMItems[0].Hint, ui.MenuItems[0].Hint, ui.TVItems[29].Hint,
                         ui.FMItems[26].Hint, ui.TVItems[1].Hint, ui.TVItems[12].Hint}),
            QStringList({"Minimieren", "Minimieren", "Minimieren", "Wiedergabe", "Wiedergabe", "Close",
                         "1"}));
  EXPECT_TRUE(!ui.TVItems[0].Enabled && ui.MenuItems[0].Enabled);
}

}  // namespace
}  // namespace pvx::panels

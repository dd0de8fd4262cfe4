// The channel-preview grid in the main window, with the mode switch wired as start-up does.

#include <gtest/gtest.h>

#include <QTest>

#include "FormTestSupport.h"
#include "platform/Clock.h"
#include "platform/video/TVideoWindow.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using platform::video::TVideoWindow;
using settings::TAppMode;
using test::Pump;

namespace {

// Five channels (numbers 21 to 25) on a 3 x 3 grid.
class ChannelPreview : public test::WindowTest {
 protected:
  ChannelPreview() {
    app::TPreviewSource source;
    source.Count = [] { return 5; };
    source.Dimension = [] { return 3; };
    source.Interval = [] { return 2; };
    source.Name = [](int cell) { return QString::number(21 + cell); };
    source.Tune = [this](int cell) { tuned.push_back(cell); };
    source.Select = [this](int cell) { selected.push_back(cell); };
    source.FirstPage = [] {};
    source.NextPage = [this] { ++nextPages; };
    form->PreviewSource = source;
    info.EnterMode = [this](TAppMode, TAppMode to) {
      return to != settings::amChannelPreview || form->EnterChannelPreview();
    };
    info.LeaveMode = [this](TAppMode from, TAppMode) {
      if (from == settings::amChannelPreview) form->LeaveChannelPreview();
      return true;
    };
    video = new TVideoWindow(form.get());
    form->SetVideoWindow(video);
    video->show();
    form->show();
    form->setGeometry(100, 80, 480, 360);
    Pump();
    before = form->geometry();
  }
  QRect CellRect(int cell) { return form->PreviewGrid()->Cell(cell)->geometry(); }
  int Selected() { return form->PreviewGrid()->Selected(); }
  void Key(Qt::Key key) { QTest::keyClick(form.get(), key); }
  // Back in live TV, the window gets its bounds once message 4026 has run.
  void ExpectRestored() {
    EXPECT_EQ(info.Mode, settings::amTV);
    Pump();
    EXPECT_EQ(form->geometry(), before);
    EXPECT_EQ(form->PreviewGrid(), nullptr);
  }

  TVideoWindow* video;
  std::vector<int> tuned, selected;
  int nextPages = 0;
  QRect before;
};

}  // namespace

TEST_F(ChannelPreview, FiveChannelsOnAThreeByThreeGridVisitedInTurn) {
  video->ShowFrame(QImage(QSize(8, 6), QImage::Format_RGB32));
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  auto* grid = form->PreviewGrid();
  EXPECT_EQ(form->geometry(), QRect(0, 0, 1024, 768));
  EXPECT_EQ(grid->CellCount(), 5);
  EXPECT_EQ(form->minimumSize(), QSize(600, 400));
  // W = 1024 - 20 = 1004, H = 768 - 27 = 741: steps of 334 and 247, cells 10 smaller.
  EXPECT_EQ(CellRect(2), QRect(683, 22, 324, 237));
  EXPECT_EQ(CellRect(4), QRect(349, 269, 324, 237));
  EXPECT_EQ(grid->Label(4)->geometry(), QRect(349, 269, 324, 47));
  EXPECT_EQ(grid->Label(4)->font().pointSize(), 23);
  // The first step ran at once: the live video on the first cell, its channel tuned.
  EXPECT_EQ(tuned, std::vector<int>{0});
  EXPECT_EQ(video->geometry(), CellRect(0));
  EXPECT_EQ(grid->Label(0)->text(), "21");
  test::Clock().Advance(2000);
  EXPECT_EQ(video->geometry(), CellRect(1));
  EXPECT_FALSE(grid->Cell(0)->pixmap().isNull()) << "the cell the video left keeps a still";
  test::Clock().Advance(4 * 2000);
  EXPECT_EQ(tuned, (std::vector<int>{0, 1, 2, 3, 4, 0}));
  EXPECT_EQ(nextPages, 1);
}

TEST_F(ChannelPreview, KeyboardNavigationStaysOnExistingCells) {
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  // Each key and the cell selected after it; moves onto empty grid positions do nothing.
  const std::pair<Qt::Key, int> steps[] = {
      {Qt::Key_Down, 0}, {Qt::Key_Left, 0}, {Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Down, 2},
      {Qt::Key_Right, 3}, {Qt::Key_Left, 2}, {Qt::Key_Left, 1}, {Qt::Key_Down, 4}, {Qt::Key_Right, 4},
      {Qt::Key_Down, 4}, {Qt::Key_Up, 1}};
  for (const auto& [key, cell] : steps) {
    Key(key);
    EXPECT_EQ(Selected(), cell) << key;
  }
  // The frame is drawn in aqua around the selected cell.
  const QRect frame = form->PreviewGrid()->SelectionFrame();
  EXPECT_EQ(frame, CellRect(1).adjusted(-2, -2, 2, 2));
  EXPECT_EQ(form->grab().toImage().pixelColor(frame.center().x(), frame.top()), QColor(0, 255, 255));
}

TEST_F(ChannelPreview, EnterLeavesWithTheSelectedCellAndStopsTheSteps) {
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  Key(Qt::Key_Return);  // nothing selected: stays
  EXPECT_EQ(info.Mode, settings::amChannelPreview);
  form->SelectPreviewCell(3);
  Key(Qt::Key_Return);
  EXPECT_EQ(selected, std::vector<int>{3});
  EXPECT_TRUE(form->OSD()->IsOSDEnabled());
  ExpectRestored();
  EXPECT_EQ(video->geometry(), QRect(10, 17, 460, 333));
  test::Clock().Advance(10000);
  EXPECT_EQ(tuned, std::vector<int>{0});
}

TEST_F(ChannelPreview, ClickSelectsAndDoubleClickLeavesWithTheCell) {
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  QTest::mouseClick(form->PreviewGrid()->Cell(2), Qt::LeftButton);
  EXPECT_EQ(Selected(), 2);
  QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));  // the cell beneath the video
  EXPECT_EQ(Selected(), 0);
  QTest::mouseDClick(form->PreviewGrid()->Cell(4), Qt::LeftButton);
  EXPECT_EQ(selected, std::vector<int>{4});
  ExpectRestored();
}

TEST_F(ChannelPreview, EscapeLeavesAndFullScreenIsLeftOnTheWayIn) {
  form->SetAspect(1);
  Pump();
  before = form->geometry();
  form->SetFullScreen(true);
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  EXPECT_FALSE(form->IsFullScreen());
  EXPECT_EQ(form->Aspect(), 0);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(selected.empty());
  EXPECT_EQ(form->Aspect(), 1);
  ExpectRestored();
  // Without a channel there is no preview.
  form->PreviewSource.Count = [] { return 0; };
  EXPECT_FALSE(info.SetMode(settings::amChannelPreview));
  EXPECT_EQ(form->PreviewGrid(), nullptr);
}

TEST(ChannelPreviewGrid, LabelsOfCustomCells) {
  using Grid = app::TChannelPreviewGrid;
  const std::tuple<int, int, QString> rows[] = {{Grid::kAntenna, 12, "12"},       {Grid::kCable, 40, "40"},
                                                {Grid::kComposite, 0, "Composite"}, {Grid::kSVideo, 0, "S-Video"},
                                                {Grid::kCamera, 0, "Video Aux"},    {Grid::kNone, 0, "Not defined"}};
  for (const auto& [kind, channel, label] : rows) EXPECT_EQ(Grid::CellLabel(kind, channel), label);
}

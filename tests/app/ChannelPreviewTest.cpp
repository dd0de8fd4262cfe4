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
  }
  QRect CellRect(int cell) { return form->PreviewGrid()->Cell(cell)->geometry(); }
  int Selected() { return form->PreviewGrid()->Selected(); }
  void Key(Qt::Key key) { QTest::keyClick(form.get(), key); }

  TVideoWindow* video;
  std::vector<int> tuned, selected;
  int nextPages = 0;
};

}  // namespace

// Into the preview and out again by Enter, a double click and Escape; after each step the
// window, the grid, the live cell and the channels tuned and picked go into the golden text.
TEST_F(ChannelPreview, VisitsTheChannelsInTurnAndLeavesWithThePickedOne) {
  auto rect = test::RectText;
  auto list = [](const std::vector<int>& v) {
    QStringList s;
    for (int i : v) s << QString::number(i);
    return s.join(',');
  };
  QString entered;  // what the last entry into the preview returned
  auto state = [&] {
    QString text = entered + QString::asprintf("  mode %d window %s min %s aspect %d full %d osd %d\n", info.Mode(),
                                               qPrintable(rect(form->geometry())), qPrintable(rect({{}, form->minimumSize()})),
                                               form->Aspect(), form->IsFullScreen(), form->OSD()->IsOSDEnabled());
    text += QStringLiteral("  video %1 tuned %2 picked %3 pages %4\n").arg(rect(video->geometry()), list(tuned), list(selected)).arg(nextPages);
    if (auto* grid = form->PreviewGrid())
      for (int cell = 0; cell < grid->CellCount(); ++cell)
        text += QStringLiteral("  cell %1 %2%3%4 label %5 \"%6\" %7pt\n")
                    .arg(cell)
                    .arg(rect(grid->Cell(cell)->geometry()), grid->Selected() == cell ? " selected" : "",
                         grid->Cell(cell)->pixmap().isNull() ? "" : " still", rect(grid->Label(cell)->geometry()),
                         grid->Label(cell)->text())
                    .arg(grid->Label(cell)->font().pointSize());
    entered.clear();
    return text;
  };
  auto enter = [&] { entered = QStringLiteral("  entered %1\n").arg(int(info.SetMode(settings::amChannelPreview))); };
  video->ShowFrame(QImage(QSize(8, 6), QImage::Format_RGB32));
  const test::Steps steps = {
      {"into the preview", enter},
      {"two seconds on", [&] { test::Clock().Advance(2000); }},
      {"a round and a page on", [&] { test::Clock().Advance(4 * 2000); }},
      {"enter with nothing selected stays", [&] { Key(Qt::Key_Return); }},
      {"enter on cell 3 leaves", [&] { form->SelectPreviewCell(3), Key(Qt::Key_Return); }},
      {"no steps after leaving", [&] { test::Clock().Advance(10000); }},
      {"into the preview again", enter},
      {"a click selects cell 2", [&] { QTest::mouseClick(form->PreviewGrid()->Cell(2), Qt::LeftButton); }},
      {"a click on the video selects its cell", [&] { QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3)); }},
      {"a double click on cell 4 leaves", [&] { QTest::mouseDClick(form->PreviewGrid()->Cell(4), Qt::LeftButton); }},
      {"full screen at 4:3", [&] { form->SetAspect(1), form->SetFullScreen(true); }},
      {"the preview leaves full screen", enter},
      {"escape leaves without a pick", [&] { Key(Qt::Key_Escape); }},
      {"without channels no preview", [&] { form->PreviewSource.Count = [] { return 0; }, enter(); }},
  };
  // Back in live TV, the window gets its bounds once message 4026 has run: the walk lets it.
  test::ExpectGolden(test::Walk(steps, state), "app/ChannelPreviewSteps.txt");
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

TEST(ChannelPreviewGrid, LabelsOfCustomCells) {
  using Grid = app::TChannelPreviewGrid;
  const std::tuple<int, int, QString> rows[] = {{Grid::kAntenna, 12, "12"},       {Grid::kCable, 40, "40"},
                                                {Grid::kComposite, 0, "Composite"}, {Grid::kSVideo, 0, "S-Video"},
                                                {Grid::kCamera, 0, "Video Aux"},    {Grid::kNone, 0, "Not defined"}};
  for (const auto& [kind, channel, label] : rows) EXPECT_EQ(Grid::CellLabel(kind, channel), label);
}

#include <gtest/gtest.h>

#include <QTest>

#include "FormTestSupport.h"
#include "app/OSDForm.h"
#include "platform/Clock.h"
#include "platform/video/TVideoWindow.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using app::ShowOSD;
using app::TFormOSD;

namespace {

// A shown main window with the OSD switched on.
class OSD : public test::WindowTest {
 protected:
  OSD() {
    form->show();
    form->OSD()->EnableOSD(true);
  }
  TFormOSD& osd() { return *form->OSD(); }
  QLabel& label() { return *osd().LabelOSD(); }
};

// Host values for the placement rules alone.
class TFixedHost final : public app::IOSDHost {
 public:
  bool fullScreen = false;
  QRect bounds;
  QSize screen{1024, 768};
  bool IsFullScreen() const override { return fullScreen; }
  bool IsOverlayFullScreen() const override { return false; }
  QRect Bounds() const override { return bounds; }
  QMargins BorderSizes() const override { return {10, 17, 10, 10}; }
  QSize ScreenSize() const override { return screen; }
  bool StillShown() const override { return false; }
  bool PlayerExists() const override { return false; }
};

}  // namespace

TEST(OSDForm, ASeeThroughWindowThatTakesNoInput) {
  QWidget owner;
  TFixedHost host;
  TFormOSD osd(&owner, &host);
  test::ExpectGolden(test::FormLayoutText(osd), "app/FormOSD.txt");
  EXPECT_TRUE(osd.windowFlags() & Qt::WindowTransparentForInput);
  // Only the outlined text covers the picture; the corners stay see-through.
  osd.resize(200, 40);
  osd.ShowText("88");
  QImage shot(osd.size(), QImage::Format_ARGB32_Premultiplied);
  shot.fill(Qt::transparent);
  osd.render(&shot, {}, {}, QWidget::DrawChildren);
  int yellow = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      if (c.red() > 200 && c.green() > 200 && c.blue() < 80 && c.alpha() == 255) ++yellow;
    }
  EXPECT_GT(yellow, 0);
  EXPECT_EQ(shot.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(shot.pixelColor(shot.width() - 1, shot.height() - 1).alpha(), 0);
}

// Full screen, screen, window and top or bottom; then the bounds, alignment and font size.
TEST(OSDForm, PlacementRules) {
  const auto right = Qt::AlignRight, centre = Qt::AlignHCenter;
  const std::tuple<bool, QSize, QRect, bool, QRect, Qt::Alignment, int> rows[] = {
      {true, {1024, 768}, {}, true, {512, 10, 512, 51}, right, 36},
      {true, {800, 600}, {}, false, {200, 456, 400, 40}, centre, 24},
      {false, {1024, 768}, {100, 50, 480, 360}, true, {130, 87, 420, 20}, right, 12},
      {false, {1024, 768}, {100, 50, 480, 360}, false, {130, 50 + 360 - 10 - 60, 420, 20}, centre, 12},
      {false, {1024, 768}, {0, 0, 640, 480}, false, {30, 410, 580, 26}, centre, 16},
  };
  for (const auto& [fullScreen, screen, window, atTop, bounds, alignment, fontSize] : rows) {
    TFixedHost host;
    host.fullScreen = fullScreen, host.screen = screen, host.bounds = window;
    const app::TOSDPlacement place = TFormOSD::PlaceOSD(host, atTop);
    EXPECT_EQ(place.Bounds, bounds);
    EXPECT_EQ(place.Alignment & Qt::AlignHorizontal_Mask, alignment);
    EXPECT_EQ(place.FontSize, fontSize);
  }
}

// Texts shown, timed out, and hidden by moving or resizing the window; after each step the OSD
// window and its label go into the golden text.
TEST_F(OSD, ShowsPlacesAndHidesItsTexts) {
  auto state = [&] {
    return QString::asprintf("  %s %s showing %d timer %d font %dpt %s \"%s\"\n", osd().isVisible() ? "visible" : "hidden",
                             qPrintable(test::RectText(osd().geometry())), osd().Showing(), osd().TimerShowOSD.Enabled(),
                             label().font().pointSize(), label().alignment() & Qt::AlignRight ? "right" : "centred",
                             qPrintable(label().text()));
  };
  auto show = [](const char* text, bool atTop) { return [=] { ShowOSD(text, atTop); }; };
  const test::Steps steps = {
      {"full screen, at the bottom", [&] { form->SetFullScreen(true), ShowOSD("Volume 50%", false); }},
      {"windowed, at the bottom", [&] { form->SetFullScreen(false), ShowOSD("Mute ON", false); }},
      {"1.5 seconds on", [] { test::Clock().Advance(1500); }},
      {"a new text restarts the two seconds", show("Mute OFF", false)},
      {"two seconds less a millisecond on", [] { test::Clock().Advance(1999); }},
      {"the last millisecond", [] { test::Clock().Advance(1); }},
      {"at the top", show("Live", true)},
      {"the window resized", [&] { form->resize(520, 400); }},
      {"at the top again", show("Live", true)},
      {"the window dragged", [&] {
         test::SendMouse(form.get(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
         test::SendMouse(form.get(), QEvent::MouseMove, {70, 60}, Qt::NoButton, Qt::LeftButton);
       }},
  };
  test::ExpectGolden(test::Walk(steps, state), "app/OSDSteps.txt");
}

TEST_F(OSD, TextsThatAreNotShown) {
  auto* window = form.get();
  platform::video::TVideoWindow video(window);
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"disabled", [&] { osd().EnableOSD(false); }},
      {"main window hidden", [&] { window->hide(); }},
      {"channel preview", [&] { info.SetMode(settings::amChannelPreview); }},
      {"still snapshot", [&] { window->EngineStillShown = [] { return true; }; }},
      {"a player exists", [&] { window->SetPlayer(true); }},
      {"no overlay", [&] { window->SetVideoWindow(&video), info.NoOverlay = true; }},
      {"TV panel in the way", [&] { osd().CoveringWindows = [] { return QList<QRect>{{300, 60, 200, 200}}; }; }},
  };
  const QRect bounds = window->geometry();
  for (const auto& [why, arrange] : rows) {
    SCOPED_TRACE(why);
    arrange();
    ShowOSD("Live", true);
    EXPECT_FALSE(osd().isVisible());
    // Back to a state where the text shows.
    osd().EnableOSD(true);
    window->show();
    window->setGeometry(bounds);
    info.SetMode(settings::amTV);
    info.NoOverlay = false;
    window->EngineStillShown = nullptr;
    window->SetPlayer(false);
    osd().CoveringWindows = nullptr;
    ShowOSD("Live", true);
    EXPECT_TRUE(osd().isVisible());
    osd().HideOSD();
  }
  ShowOSD("", true);
  EXPECT_FALSE(osd().isVisible());
}

TEST_F(OSD, KeysOnTheOSDGoToTheMainWindowOutsideChannelPreview) {
  QString typed;
  int released = 0;
  osd().KeyPress = [&](QChar c) { typed += c; };
  osd().KeyUp = [&](int key, Qt::KeyboardModifiers) { released = key; };
  QTest::keyClick(&osd(), Qt::Key_5, Qt::NoModifier);
  EXPECT_EQ(typed, "5");
  EXPECT_EQ(released, Qt::Key_5);
  info.SetMode(settings::amChannelPreview);
  QTest::keyClick(&osd(), Qt::Key_6, Qt::NoModifier);
  EXPECT_EQ(typed, "5");
}

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <vector>

#include "FormTestSupport.h"
#include "app/BorderArtwork.h"
#include "app/MenuImage.h"
#include "platform/video/TVideoWindow.h"

using namespace pvx;
using app::TCommand;
using platform::video::TVideoWindow;
using settings::TAppMode;
using test::Pump;
using test::SendMouse;

namespace {

class MainWindow : public test::WindowTest {
 protected:
  MainWindow() { form->ExecuteCommand = [this](TCommand code) { commands.push_back(code); }; }

  QAction* Item(const char* name) { return form->PopupMainMenu()->Item(QLatin1String(name)); }
  QWidget* Child(const char* name) { return form->findChild<QWidget*>(QLatin1String(name)); }
  void ExpectShown(std::initializer_list<const char*> names, bool shown) {
    for (const char* name : names) EXPECT_EQ(Item(name)->isVisible(), shown) << name;
  }

  std::vector<TCommand> commands;
};

}  // namespace

TEST_F(MainWindow, LayoutAndMenuAsDesigned) {
  test::ExpectGolden(test::FormLayoutText(*form), "app/MainWindow.txt");
  test::ExpectGolden(test::MenuText(*form->PopupMainMenu()), "app/PopupMainMenu.txt");
  // Borders take no input: a press on them reaches the window and drags it.
  EXPECT_TRUE(Child("ImageBoarderTop")->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(MainWindow, BordersFollowTheSizeAndTheVideoFillsTheSpaceBetweenThem) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  form->show();
  form->resize(600, 400);
  Pump();
  EXPECT_EQ(Child("ImageBoarderBottom")->geometry(), QRect(0, 390, 600, 10));
  EXPECT_EQ(video.geometry(), QRect(10, 17, 580, 373));
}

TEST_F(MainWindow, AspectLockMakesTheHeightFollowTheWidth) {
  form->show();
  const struct {
    int aspect;
    QSize minimum, proposal;
  } rows[] = {{0, {200, 200}, {640, 10}}, {1, {200, 150}, {640, 480}}, {2, {200, 112}, {640, 360}}};
  for (const auto& row : rows) {
    form->SetAspect(row.aspect);
    EXPECT_EQ(form->minimumSize(), row.minimum) << row.aspect;
    EXPECT_EQ(form->FormCanResize({640, 10}), row.proposal) << row.aspect;
  }
  form->SetAspect(1);
  form->resize(640, 200);
  Pump();
  EXPECT_EQ(form->size(), QSize(640, 480));
  EXPECT_TRUE(Item("item4_3")->isChecked());
  form->resize(100, 100);  // dragging the width below the minimum
  Pump();
  EXPECT_EQ(form->size(), QSize(200, 150));
  form->SetAspect(0);
  form->resize(640, 500);
  Pump();
  EXPECT_EQ(form->size(), QSize(640, 500));
  EXPECT_FALSE(Item("item4_3")->isChecked());
}

TEST_F(MainWindow, AlwaysOnTopIsStoredCheckedAndAppliedOnShowing) {
  info.AlwaysOnTop = true;
  form->show();
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  Item("itemAlwaysontop")->trigger();  // the menu item toggles it
  EXPECT_FALSE(info.AlwaysOnTop);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Item("itemAlwaysontop")->isChecked());
  EXPECT_TRUE(form->isVisible());
}

TEST_F(MainWindow, FullScreenCoversTheScreenAndLeavingRestoresExactly) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  form->show();
  form->SetAspect(1);
  form->setGeometry(100, 50, 640, 480);
  form->SetAlwaysOnTop(true);
  Pump();
  const QRect before = form->geometry();
  form->SetFullScreen(true);
  Pump();
  EXPECT_EQ(form->geometry(), QRect(-4, -4, 1032, 776));
  EXPECT_EQ(video.geometry(), QRect(0, 0, 1032, 776));
  EXPECT_EQ(form->Aspect(), 0);
  EXPECT_FALSE(info.AlwaysOnTop);
  EXPECT_TRUE(Child("ImageMenu")->isHidden());
  EXPECT_TRUE(Item("itemFullScreen")->isChecked());
  ExpectShown({"itemAlwaysontop", "itemViewingOption"}, false);
  form->SetFullScreen(false);
  Pump();
  EXPECT_EQ(form->geometry(), before);
  EXPECT_EQ(form->Aspect(), 1);
  EXPECT_TRUE(info.AlwaysOnTop);
  EXPECT_FALSE(Child("ImageMenu")->isHidden());
  ExpectShown({"itemAlwaysontop", "itemViewingOption"}, true);
}

TEST_F(MainWindow, FullScreenHandsTheTVPanelItsFloatingState) {
  bool visible = true, floating = true;
  int shownAgain = 0;
  form->Panels.TVPanelExists = [] { return true; };
  form->Panels.TVPanelVisible = [&] { return visible; };
  form->Panels.TVPanelFloating = [&] { return floating; };
  form->Panels.SetTVPanelFloating = [&](bool on) { floating = on; };
  form->Panels.ShowTVPanelNotTopmost = [&] { ++shownAgain, visible = true; };
  form->show();
  form->SetFullScreen(true);
  EXPECT_FALSE(floating);
  form->FormClick();  // a click in full screen toggles it
  EXPECT_TRUE(floating);
  visible = false;
  form->FormClick();  // a hidden panel is not brought back by clicks
  EXPECT_TRUE(floating);
  form->SetFullScreen(false);
  EXPECT_EQ(shownAgain, 1);
}

TEST_F(MainWindow, OverlayFullScreenGoesThroughTheRendererButNotDuringPictureInPicture) {
  TVideoWindow video(form.get()), player(form.get());
  form->SetVideoWindow(&video);
  video.show();
  form->show();
  form->SetOverlayFullScreen(true);
  EXPECT_TRUE(video.IsFullScreen());
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(Item("itemAlwaysontop")->isEnabled());
  form->SetOverlayFullScreen(false);
  EXPECT_FALSE(video.IsFullScreen());
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Item("itemAlwaysontop")->isEnabled());
  info.PIPEnabled = true;
  form->SetPlayer(true, &player);
  form->SetOverlayFullScreen(true);
  EXPECT_FALSE(form->IsOverlayFullScreen());
}

TEST_F(MainWindow, DoubleClickTogglesFullScreenUnlessAStillShows) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  video.show();
  form->show();
  form->move(30, 40);
  Pump();
  const QRect before = form->geometry();
  QTest::mouseDClick(&video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));  // reaches the window
  EXPECT_TRUE(form->IsFullScreen());
  QTest::mouseDClick(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  EXPECT_EQ(form->geometry(), before);
  form->EngineStillShown = [] { return true; };
  QTest::mouseDClick(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  EXPECT_FALSE(form->IsFullScreen());
}

TEST_F(MainWindow, DoubleClickWithPictureInPictureSwapsThePictures) {
  TVideoWindow video(form.get()), player(form.get());
  form->SetVideoWindow(&video);
  info.PIPEnabled = true;
  form->SetPlayer(true, &player);
  const QRect inner(10, 17, 460, 333), inset(10, 17, (480 - 20) / 3, (360 - 34) / 3);
  EXPECT_EQ(player.geometry(), inset);
  form->FormDblClick();
  EXPECT_FALSE(form->IsFullScreen());
  EXPECT_EQ(player.geometry(), inner);
  EXPECT_EQ(video.geometry(), inset);
  form->RefreshPictureSwap();  // keeps the layout
  EXPECT_EQ(player.geometry(), inner);
  form->UpdateForMode(settings::amTV);  // live TV ends a swap
  EXPECT_FALSE(form->IsPictureSwapped());
  EXPECT_EQ(video.geometry(), inner);
  info.Mode = settings::amTimeShiftPlayback;  // time-shifting toggles full screen even so
  form->FormDblClick();
  EXPECT_TRUE(form->IsFullScreen());
  EXPECT_FALSE(form->IsPictureSwapped());
}

TEST_F(MainWindow, DraggingWithTheLeftButtonAloneMovesTheWindow) {
  form->show();
  form->move(100, 100);
  Pump();
  const QPoint start = form->pos();
  SendMouse(form.get(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(form.get(), QEvent::MouseMove, {60, 70}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(form->pos(), start + QPoint(10, 20));
  SendMouse(form.get(), QEvent::MouseButtonRelease, {60, 70}, Qt::LeftButton, Qt::NoButton);
  SendMouse(form.get(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  SendMouse(form.get(), QEvent::MouseMove, {90, 90}, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(form->pos(), start + QPoint(10, 20));
}

TEST_F(MainWindow, MenuImageButtonsRunOnReleaseOverTheSameButton) {
  auto* image = form->findChild<app::TMenuImage*>("ImageMenu");
  const QImage normal = app::TBorderArtwork::Menu(app::TBorderArtwork::Normal).toImage();
  for (auto [point, item] : {std::pair{QPoint(5, 5), 0}, {QPoint(20, 5), 1}, {QPoint(13, 5), 2}, {QPoint(5, 13), 2}})
    EXPECT_EQ(app::TMenuImage::HitTestMenu(point), item);
  SendMouse(image, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
  EXPECT_NE(image->Picture().toImage(), normal);  // the hover look
  SendMouse(form.get(), QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(image->Picture().toImage(), normal);
  SendMouse(image, QEvent::MouseButtonPress, {20, 5}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_NE(image->Picture().toImage(), normal);  // the pressed look
  SendMouse(image, QEvent::MouseButtonRelease, {20, 5}, Qt::LeftButton, Qt::NoButton);
  SendMouse(image, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(image, QEvent::MouseButtonRelease, {20, 5}, Qt::LeftButton, Qt::NoButton);  // elsewhere: nothing
  EXPECT_EQ(image->Picture().toImage(), normal);
  SendMouse(image, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(image, QEvent::MouseButtonRelease, {6, 6}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(commands, (std::vector<TCommand>{TCommand::FullScreen, TCommand::Minimise}));
}

TEST_F(MainWindow, KeysGoToTheKeyMapAndTheNumberEntry) {
  std::vector<std::pair<int, Qt::KeyboardModifiers>> ups;
  QString typed;
  form->KeyUp = [&](int key, Qt::KeyboardModifiers modifiers) {
    if (key != Qt::Key_Shift) ups.emplace_back(key, modifiers);
  };
  form->KeyPress = [&](QChar c) { typed += c; };
  QTest::keyClick(form.get(), Qt::Key_Plus, Qt::ShiftModifier | Qt::KeypadModifier);
  QTest::keyClick(form.get(), Qt::Key_7, Qt::NoModifier);
  ASSERT_EQ(ups.size(), 2u);
  EXPECT_EQ(ups[0], std::make_pair(int(Qt::Key_Plus), Qt::ShiftModifier | Qt::KeypadModifier));
  EXPECT_EQ(typed, "+7");
}

// Walks the items: each sends the command the table names for it, and check marks follow the
// state the command produces, not the click (Real Screen alone toggles its own).
TEST_F(MainWindow, MenuItemsSendTheirCommands) {
  int items = 0;
  for (QAction* action : form->PopupMainMenu()->findChildren<QAction*>()) {
    const std::optional<TCommand> command = app::TMainMenu::CommandOf(action);
    if (!command) continue;
    ++items;
    const bool checked = action->isChecked();
    commands.clear();
    action->trigger();
    EXPECT_EQ(commands, std::vector<TCommand>{*command}) << action->objectName().toStdString();
    EXPECT_EQ(action->isChecked(), checked != (*command == TCommand::RealScreen)) << action->objectName().toStdString();
  }
  EXPECT_EQ(items, 28);
  int cameras = 0;
  form->SelectCamera = [&] { ++cameras; };
  commands.clear();
  for (const char* name : {"itemAuxMode", "item16_9"}) Item(name)->trigger();
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(cameras, 1);
  EXPECT_EQ(form->Aspect(), 2);
}

// The items shown per mode, source and card, and the OSD text the change shows: one menu dump
// per step in the golden file.
TEST_F(MainWindow, MenuAndOSDPerModeAndSource) {
  form->show();
  form->OSD()->EnableOSD(true);
  const std::pair<const char*, std::function<void()>> steps[] = {
      {"live TV", [&] { form->UpdateForMode(settings::amTV); }},
      {"recording", [&] { form->UpdateForMode(settings::amCapture); }},
      {"scheduled recording", [&] { form->UpdateForMode(settings::amScheduledCapture); }},
      {"playback", [&] { form->UpdateForMode(settings::amPlayback); }},
      {"playback paused", [&] { form->SetPlayerRunning(false); }},
      {"time-shifting", [&] { form->UpdateForMode(settings::amTimeShifting); }},
      {"time-shift ready", [&] { form->SetTimeShiftReady(true); }},
      {"time-shift playback", [&] { form->UpdateForMode(settings::amTimeShiftPlayback); }},
      {"fm and closed change nothing", [&] { form->UpdateForMode(settings::amFMRadio), form->UpdateForMode(settings::amClosed); }},
      {"channel preview", [&] { form->UpdateForMode(settings::amChannelPreview); }},
      {"memory channels", [&] { form->UpdateForMode(settings::amTV), form->UpdateForSource(0, 2); }},
      {"composite", [&] { form->UpdateForSource(1, 0); }},
      {"s-video", [&] { form->UpdateForSource(2, 0); }},
      {"cable", [&] { form->UpdateForSource(0, 1); }},
      {"no tuner", [&] { form->UpdateForSource(0, 0), form->SetHasTuner(false); }},
      {"camera, fm off", [&] { form->SetHasCamera(true), info.FMEnabled = false, form->UpdateForMode(settings::amTV); }},
      {"no mixer", [&] { form->SetMuteState(false, false); }},
      {"muted", [&] { form->SetMuteState(true, true); }},
  };
  QString text;
  const QLabel* osd = form->OSD()->LabelOSD();
  for (const auto& [what, step] : steps) {
    step();
    text += QStringLiteral("== %1, OSD \"%2\" %3\n")
                .arg(what, osd->text(), osd->alignment() & Qt::AlignRight ? "at the top" : "at the bottom") +
            test::MenuText(*form->PopupMainMenu());
  }
  test::ExpectGolden(text, "app/MenuPerMode.txt");
}

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <vector>

#include "FormTestSupport.h"
#include "app/BorderArtwork.h"
#include "app/MenuImage.h"
#include "platform/video/TVideoWindow.h"

using namespace pvx;
using commands::TCommand;
using platform::video::TVideoWindow;
using test::SendMouse;

namespace {

class MainWindow : public test::WindowTest {
 protected:
  MainWindow() { form->ExecuteCommand = [this](TCommand code) { commands.push_back(code); }; }

  QAction* Item(const char* name) { return form->PopupMainMenu()->Item(QLatin1String(name)); }
  QWidget* Child(const char* name) { return form->findChild<QWidget*>(QLatin1String(name)); }

  std::vector<TCommand> commands;
};

}  // namespace

TEST_F(MainWindow, LayoutAndMenuAsDesigned) {
  test::ExpectGolden(test::FormLayoutText(*form), "app/MainWindow.txt");
  test::ExpectGolden(test::MenuText(*form->PopupMainMenu()), "app/PopupMainMenu.txt");
  // Borders take no input: a press on them reaches the window and drags it.
  EXPECT_TRUE(Child("ImageBoarderTop")->testAttribute(Qt::WA_TransparentForMouseEvents));
}

// One walk through sizes, aspects, full screen, overlay and picture-in-picture; after each step
// the window, the TV panel, the pictures and the items that follow them go into the golden text.
TEST_F(MainWindow, SizesAspectsFullScreenAndPictureInPicture) {
  TVideoWindow video(form.get()), player(form.get());
  form->SetVideoWindow(&video);
  video.show();
  bool panelVisible = true, panelFloating = true;
  int panelShown = 0;
  form->Panels.TVPanelExists = [] { return true; };
  form->Panels.TVPanelVisible = [&] { return panelVisible; };
  form->Panels.TVPanelFloating = [&] { return panelFloating; };
  form->Panels.SetTVPanelFloating = [&](bool on) { panelFloating = on; };
  form->Panels.ShowTVPanelNotTopmost = [&] { ++panelShown, panelVisible = true; };
  auto rect = test::RectText;
  auto state = [&] {
    QStringList s;
    s << QStringLiteral("window %1%2 min %3 aspect %4 fits 640x10 as %5")
             .arg(rect(form->geometry()), form->isVisible() ? "" : " hidden", rect({{}, form->minimumSize()}))
             .arg(form->Aspect())
             .arg(rect({{}, form->FormCanResize({640, 10})}));
    s << QString::asprintf("full %d overlay %d swapped %d on-top %d flag %d", form->IsFullScreen(), form->IsOverlayFullScreen(),
                           form->IsPictureSwapped(), info.AlwaysOnTop, form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    s << QString::asprintf("tv panel visible %d floating %d shown again %d", panelVisible, panelFloating, panelShown);
    s << "video " + rect(video.geometry()) + (video.IsFullScreen() ? " full" : "") + ", player " + rect(player.geometry());
    s << "bottom " + rect(Child("ImageBoarderBottom")->geometry()) + (Child("ImageMenu")->isHidden() ? " no menu image" : "");
    for (const char* name : {"itemFullScreen", "item4_3", "itemAlwaysontop", "itemViewingOption"})
      s << QStringLiteral("%1%2%3%4").arg(name, Item(name)->isVisible() ? "" : " hidden",
                                         Item(name)->isEnabled() ? "" : " disabled", Item(name)->isChecked() ? " checked" : "");
    return "  " + s.join("\n  ") + '\n';
  };
  auto drag = [&](QPoint to, Qt::KeyboardModifiers modifiers) {
    SendMouse(form.get(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton, modifiers);
    SendMouse(form.get(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, modifiers);
    SendMouse(form.get(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, modifiers);
  };
  auto click = [](QWidget* on, QPoint at) { QTest::mouseDClick(on, Qt::LeftButton, Qt::NoModifier, at); };
  const test::Steps steps = {
      {"shown at 600x400", [&] { form->show(), form->resize(600, 400); }},
      {"aspect 16:9", [&] { form->SetAspect(2); }},
      {"aspect free", [&] { form->SetAspect(0); }},
      {"aspect 4:3, resized to 640x200", [&] { form->SetAspect(1), form->resize(640, 200); }},
      {"dragged below the minimum", [&] { form->resize(100, 100); }},
      {"aspect free, 640x500", [&] { form->SetAspect(0), form->resize(640, 500); }},
      {"dragged by 10,20 with the left button", [&] { drag({60, 70}, Qt::NoModifier); }},
      {"a drag with shift does nothing", [&] { drag({90, 90}, Qt::ShiftModifier); }},
      {"always on top stored, shown again", [&] { form->hide(), info.AlwaysOnTop = true, form->show(); }},
      {"the on-top item toggles it", [&] { Item("itemAlwaysontop")->trigger(); }},
      {"4:3 at 100,50 on top", [&] { form->SetAspect(1), form->setGeometry(100, 50, 640, 480), form->SetAlwaysOnTop(true); }},
      {"full screen", [&] { form->SetFullScreen(true); }},
      {"a click in full screen toggles the panel's floating", [&] { form->FormClick(); }},
      {"a hidden panel is not brought back by a click", [&] { panelVisible = false, form->FormClick(); }},
      {"full screen left", [&] { form->SetFullScreen(false); }},
      {"overlay full screen", [&] { form->SetOverlayFullScreen(true); }},
      {"overlay left", [&] { form->SetOverlayFullScreen(false); }},
      {"double click on the video", [&] { click(&video, {100, 100}); }},
      {"double click on the window", [&] { click(form.get(), {200, 150}); }},
      {"double click while a still shows", [&] { form->EngineStillShown = [] { return true; }, click(form.get(), {200, 150}); }},
      {"a player without picture in picture fills the window", [&] { form->EngineStillShown = nullptr, form->SetPlayer(true, &player); }},
      {"picture in picture", [&] { info.PIPEnabled = true, form->SetPlayer(true, &player); }},
      {"overlay refused during pip", [&] { form->SetOverlayFullScreen(true); }},
      {"double click swaps the pictures", [&] { form->FormDblClick(); }},
      {"a refresh keeps the swap", [&] { form->RefreshPictureSwap(); }},
      {"live TV ends the swap", [&] { form->UpdateForMode(settings::amTV); }},
      {"time-shift playback toggles full screen", [&] { info.SetMode(settings::amTimeShiftPlayback), form->FormDblClick(); }},
      {"back, not on top, full screen and back", [&] {
         form->FormDblClick(), form->SetAlwaysOnTop(false), form->SetFullScreen(true), form->SetFullScreen(false);
       }},
  };
  test::ExpectGolden(test::Walk(steps, state), "app/MainWindowSteps.txt");
}

TEST_F(MainWindow, MenuImageButtonsRunOnReleaseOverTheSameButton) {
  auto* image = form->findChild<app::TMenuImage*>("ImageMenu");
  const QImage normal = app::TBorderArtwork::Menu(app::TBorderArtwork::Normal).toImage();
  // Raised buttons are lit along the top; the pressed one is sunken there.
  const QColor lit(0xc8, 0xcc, 0xd2);
  EXPECT_EQ(normal.pixelColor(6, 0), lit);
  EXPECT_NE(app::TBorderArtwork::Menu(app::TBorderArtwork::Pressed).toImage().pixelColor(6, 0), lit);
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
  const test::Steps steps = {
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
  const QLabel* osd = form->OSD()->LabelOSD();
  test::ExpectGolden(test::Walk(steps,
                                [&] {
                                  return QStringLiteral("OSD \"%1\" %2\n")
                                             .arg(osd->text(), osd->alignment() & Qt::AlignRight ? "at the top" : "at the bottom") +
                                         test::MenuText(*form->PopupMainMenu());
                                }),
                     "app/MenuPerMode.txt");
}

// The main window and what it holds: its sizes and aspects, the menu image, the menu's items and
// commands per mode, the OSD over the picture, and the channel-preview grid with the mode switch
// wired as start-up does. Then the small windows: the sleeping timer (its form and its
// countdown), the warning, About and the logo, the language texts they take, and each of them in
// each shipped language: no caption may be cut off.

#include <QAbstractButton>
#include <QAction>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include "FormTestSupport.h"
#include "app/AboutDialog.h"
#include "app/BorderArtwork.h"
#include "app/LogoForm.h"
#include "app/MenuImage.h"
#include "app/OSDForm.h"
#include "app/WarningForm.h"
#include "platform/Clock.h"
#include "platform/QtDialogService.h"
#include "platform/video/TVideoWindow.h"
#include "playback/FormPlayback.h"
#include "settings/CaptureSettings.h"
#include "settings/ChannelInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/MultiLangInfo.h"
#include "settings/PreviewInfo.h"
#include "snapshots/FormShowImage.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"
#include "support/TestEnvironment.h"
#include "support/TextWalk.h"
#include "tuning/AddFMForm.h"
#include "tuning/AddMemoryForm.h"
#include "tuning/FineTuneDialog.h"
#include "tuning/FormTVSetupWizard.h"
#include "tuning/VideoSourceDialog.h"
#include "ui/settings/ConfigEnvironment.h"
#include "ui/settings/ConfigForm.h"
#include "util/OEMInfo.h"

namespace pvx::test {
namespace {

using app::TFormOSD;
using app::TFormSleepingTimer;
using app::TFormWarning;
using commands::TCommand;
using platform::video::TVideoWindow;
using settings::TAppMode;

class MainWindow : public test::WindowTest {
 protected:
  MainWindow() { form->ExecuteCommand = [this](TCommand code) { commands.push_back(code); }; }

  QAction* Item(const char* name) { return form->PopupMainMenu()->Item(QLatin1String(name)); }
  QWidget* Child(const char* name) { return form->findChild<QWidget*>(QLatin1String(name)); }

  std::vector<TCommand> commands;
};

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

// Five channels (numbers 21 to 25) on the grid's own 3 x 3 cells, two seconds each.
class ChannelPreview : public test::WindowTest {
 protected:
  ChannelPreview() {
    app::TPreviewSource source;
    source.Count = [] { return 5; };
    source.Name = [](int cell) { return QString::number(21 + cell); };
    source.Tune = [this](int cell) { tuned << QString::number(cell); };
    source.Select = [this](int cell) { selected << QString::number(cell); };
    source.NextPage = [this] { ++nextPages; };
    form->PreviewSource = source;
    form->Panels.TVPanelVisible = [this] { return panelShown; };
    form->Panels.HideTVPanel = [this] { panelShown = false; };
    form->Panels.ShowTVPanel = [this] { panelShown = true; };
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
  bool panelShown = true;
  int Selected() { return form->PreviewGrid()->Selected(); }
  void Key(Qt::Key key) { QTest::keyClick(form.get(), key); }

  TVideoWindow* video;
  QStringList tuned, selected;
  int nextPages = 0;
};

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
    s << QString::asprintf("full %d overlay %d swapped %d on-top %d flag %d", form->IsFullScreen(),
                           form->IsOverlayFullScreen(), form->IsPictureSwapped(), info.Prefs().AlwaysOnTop,
                           form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
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
      {"dragged by 10,20 with the left button", [&] { drag(QPoint(60, 70), Qt::NoModifier); }},
      {"a drag with shift does nothing", [&] { drag(QPoint(90, 90), Qt::ShiftModifier); }},
      {"always on top stored, shown again", [&] { form->hide(), info.SetAlwaysOnTop(true), form->show(); }},
      {"the on-top item toggles it", [&] { Item("itemAlwaysontop")->trigger(); }},
      {"4:3 at 100,50 on top",
       [&] { form->SetAspect(1), form->setGeometry(100, 50, 640, 480), form->SetAlwaysOnTop(true); }},
      {"full screen", [&] { form->SetFullScreen(true); }},
      {"a click in full screen toggles the panel's floating", [&] { form->FormClick(); }},
      {"a hidden panel is not brought back by a click", [&] { panelVisible = false, form->FormClick(); }},
      {"full screen left", [&] { form->SetFullScreen(false); }},
      {"overlay full screen", [&] { form->SetOverlayFullScreen(true); }},
      {"a double click leaves the overlay", [&] { form->FormDblClick(); }},
      {"double click on the video", [&] { click(&video, QPoint(100, 100)); }},
      {"double click on the window", [&] { click(form.get(), QPoint(200, 150)); }},
      {"double click while a still shows",
       [&] { form->EngineStillShown = [] { return true; }, click(form.get(), QPoint(200, 150)); }},
      {"a player without picture in picture fills the window",
       [&] { form->EngineStillShown = nullptr, form->SetPlayer(true, &player); }},
      {"picture in picture", [&] { info.SetPIPEnabled(true), form->SetPlayer(true, &player); }},
      {"overlay refused during pip", [&] { form->SetOverlayFullScreen(true); }},
      {"double click swaps the pictures", [&] { form->FormDblClick(); }},
      {"a refresh keeps the swap", [&] { form->RefreshPictureSwap(); }},
      {"live TV ends the swap", [&] { form->UpdateForMode(settings::amTV); }},
      {"time-shift playback toggles full screen",
       [&] { info.SetMode(settings::amTimeShiftPlayback), form->FormDblClick(); }},
      {"back, not on top, full screen and back",
       [&] {
         form->FormDblClick(), form->SetAlwaysOnTop(false), form->SetFullScreen(true), form->SetFullScreen(false);
       }},
  };
  test::ExpectGolden(test::Walk(steps, state), "app/MainWindowSteps.txt");
}

TEST_F(MainWindow, MenuImageButtonsRunOnReleaseOverTheSameButtonAndARightClickOpensTheMenu) {
  form->resize(320, 240);
  EXPECT_TRUE(LooksAsStored(form->grab().toImage(), "main-window-frame"));  // borders and buttons as approved
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
  // Borders take no input: a press on them reaches the window and drags it.
  EXPECT_TRUE(Child("ImageBoarderTop")->testAttribute(Qt::WA_TransparentForMouseEvents));
  // A right click opens the menu where it was made.
  QContextMenuEvent click(QContextMenuEvent::Mouse, {10, 10}, form->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::sendEvent(form.get(), &click);
  EXPECT_TRUE(form->PopupMainMenu()->isVisible());
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
  // Bound to a dispatcher without their handlers, items are disabled and say why.
  app::TCommandDispatcher dispatcher;
  dispatcher.Register(TCommand::Exit, [] {});
  dispatcher.Unavailable(TCommand::Setup, "no dialog");
  form->PopupMainMenu()->BindHandlers(dispatcher);
  EXPECT_TRUE(Item("itemExit")->isEnabled());
  EXPECT_FALSE(Item("itemConfig")->isEnabled() || Item("itemAbout")->isEnabled());
  EXPECT_EQ(Item("itemConfig")->toolTip(), "no dialog");
  EXPECT_EQ(Item("itemAbout")->toolTip(), "Not available in this version");
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
      {"fm and closed change nothing",
       [&] { form->UpdateForMode(settings::amFMRadio), form->UpdateForMode(settings::amClosed); }},
      {"channel preview", [&] { form->UpdateForMode(settings::amChannelPreview); }},
      {"memory channels", [&] { form->UpdateForMode(settings::amTV), form->UpdateForSource(0, 2); }},
      {"composite", [&] { form->UpdateForSource(1, 0); }},
      {"s-video", [&] { form->UpdateForSource(2, 0); }},
      {"cable", [&] { form->UpdateForSource(0, 1); }},
      {"no tuner", [&] { form->UpdateForSource(0, 0), form->SetHasTuner(false); }},
      {"camera, fm off",
       [&] { form->SetHasCamera(true), info.SetFMEnabled(false), form->UpdateForMode(settings::amTV); }},
      {"no mixer", [&] { form->SetMuteState(false, false); }},
      {"muted", [&] { form->SetMuteState(true, true); }},
  };
  const QLabel* osd = form->OSD()->LabelOSD();
  auto state = [&] {
    const char* where = osd->alignment() & Qt::AlignRight ? "at the top" : "at the bottom";
    return QStringLiteral("OSD \"%1\" %2\n").arg(osd->text(), where) + test::MenuText(*form->PopupMainMenu());
  };
  test::ExpectGolden(test::Walk(steps, state), "app/MenuPerMode.txt");
}

// --- the OSD ---------------------------------------------------------------------------------

// The mouse goes through the OSD; its keys go to the main window outside the channel preview.
TEST_F(OSD, ASeeThroughWindowWhoseKeysGoToTheMainWindowOutsideChannelPreview) {
  EXPECT_TRUE(osd().windowFlags() & Qt::WindowTransparentForInput);
  // Only the outlined text covers the picture; the corners stay see-through.
  osd().resize(200, 40);
  osd().ShowText("88");
  QImage shot(osd().size(), QImage::Format_ARGB32_Premultiplied);
  shot.fill(Qt::transparent);
  osd().render(&shot, {}, {}, QWidget::DrawChildren);
  int yellow = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) yellow += shot.pixelColor(x, y) == QColor(Qt::yellow);
  EXPECT_GT(yellow, 0);
  EXPECT_EQ(shot.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(shot.pixelColor(shot.width() - 1, shot.height() - 1).alpha(), 0);
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

// Full screen on a screen (the text grows from 601 lines), or the window's bounds; top or bottom.
// The walk below places texts in a 480 x 360 window at the bottom and in a 520 x 400 one.
TEST_F(OSD, PlacementRules) {
  const auto right = Qt::AlignRight, centre = Qt::AlignHCenter;
  const std::tuple<bool, QSize, QRect, bool, QRect, Qt::Alignment, int> rows[] = {
      {true, {1024, 768}, {}, true, {512, 10, 512, 51}, right, 36},
      {true, {800, 600}, {}, false, {200, 456, 400, 40}, centre, 24},
      {true, {800, 601}, {}, false, {200, 457, 400, 40}, centre, 36},
      {false, {1024, 768}, {100, 50, 480, 360}, true, {130, 87, 420, 20}, right, 12},
      {false, {1024, 768}, {0, 0, 640, 480}, false, {30, 410, 580, 26}, centre, 16},
  };
  for (const auto& [fullScreen, screenSize, window, atTop, bounds, alignment, fontSize] : rows) {
    screen = screenSize;
    form->SetFullScreen(fullScreen);
    if (!fullScreen) form->setGeometry(window);
    const app::TOSDPlacement place = TFormOSD::PlaceOSD(*form, atTop);
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
  auto show = [this](const char* text, bool atTop) { return [=, this] { osd().Show(text, atTop); }; };
  const test::Steps steps = {
      {"full screen, at the bottom", [&] { form->SetFullScreen(true), osd().Show("Volume 50%", false); }},
      {"windowed, at the bottom", [&] { form->SetFullScreen(false), osd().Show("Mute ON", false); }},
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

// Each row arranges, on a new window in live TV, a reason for a text not to show.
TEST_F(OSD, TextsThatAreNotShown) {
  osd().Show("Live", true);
  EXPECT_TRUE(osd().isVisible());
  osd().HideOSD();
  osd().Show("", true);
  EXPECT_FALSE(osd().isVisible());
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"disabled", [&] { osd().EnableOSD(false); }},
      {"main window hidden", [&] { form->hide(); }},
      {"channel preview", [&] { info.SetMode(settings::amChannelPreview); }},
      {"still snapshot", [&] { form->EngineStillShown = [] { return true; }; }},
      {"a player exists", [&] { form->SetPlayer(true); }},
      {"TV panel in the way",
       [&] { osd().CoveringWindows = [] { return QList{QRect(300, 60, 200, 200)}; }; }},
      // The last: the preference stays.
      {"no overlay",
       [&] {
         form->SetVideoWindow(new TVideoWindow(form.get()));
         test::EditPrefs(info, [](settings::TMainPreferences& p) { p.NoOverlay = true; });
       }},
  };
  for (const auto& [why, arrange] : rows) {
    SCOPED_TRACE(why);
    form = std::make_unique<app::TFormMainWindow>(&info);
    form->SetScreenSize([this] { return screen; });
    info.SetMode(settings::amTV);
    form->show();
    osd().EnableOSD(true);
    arrange();
    osd().Show("Live", true);
    EXPECT_FALSE(osd().isVisible());
  }
}

// --- the channel preview -------------------------------------------------------------------

// Leaving while a dwell step waits for the tuner (Escape handled in that wait) ends the step
// quietly; the grid goes once the step is done.
TEST_F(ChannelPreview, LeavingDuringATuningsWaitEndsTheStepQuietly) {
  form->PreviewSource.Tune = [this](int cell) {
    if (cell == 1) Key(Qt::Key_Escape), QCoreApplication::processEvents();
  };
  info.SetMode(settings::amChannelPreview);
  test::Clock().Advance(2000);
  EXPECT_EQ(info.Mode(), settings::amTV);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(form->PreviewGrid(), nullptr);
}

// Into the preview and out again by Enter, a double click and Escape; after each step the
// window, the grid, the live cell and the channels tuned and picked go into the golden text.
TEST_F(ChannelPreview, VisitsTheChannelsInTurnAndLeavesWithThePickedOne) {
  auto rect = test::RectText;
  QString entered;  // what the last entry into the preview returned
  auto state = [&] {
    QString text = entered + QString::asprintf("  mode %d window %s min %s aspect %d full %d osd %d\n", info.Mode(),
                                               qPrintable(rect(form->geometry())), qPrintable(rect({{}, form->minimumSize()})),
                                               form->Aspect(), form->IsFullScreen(), form->OSD()->IsOSDEnabled());
    text += QStringLiteral("  video %1 tuned %2 picked %3 pages %4\n")
                .arg(rect(video->geometry()), tuned.join(','), selected.join(','))
                .arg(nextPages);
    if (auto* grid = form->PreviewGrid())
      for (int cell = 0; cell < grid->CellCount(); ++cell)
        text += QStringLiteral("  cell %1 %2%3%4 label %5 \"%6\" %7pt\n")
                    .arg(cell)
                    .arg(rect(grid->Cell(cell)->geometry()), grid->Selected() == cell ? " selected" : "",
                         grid->Cell(cell)->pixmap().isNull() ? "" : " still", rect(grid->Label(cell)->geometry()),
                         grid->Label(cell)->text())
                    .arg(grid->Label(cell)->font().pointSize());
    QList<QLabel*> empty = form->findChildren<QLabel*>(QRegularExpression("^PreviewEmpty"));
    empty.removeIf([](QLabel* place) { return place->isHidden(); });
    if (!empty.isEmpty())
      text += QStringLiteral("  %1 places say \"%2\", the first %3\n")
                  .arg(empty.size()).arg(empty[0]->text(), rect(empty[0]->geometry()));
    text += QStringLiteral("  panel %1\n").arg(panelShown ? "shown" : "hidden");
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
  // A click on a cell is the grid's alone: a press the window had seen picks no other cell.
  SendMouse(form.get(), QEvent::MouseButtonPress, CellRect(4).center(), Qt::LeftButton, Qt::LeftButton);
  QTest::mouseClick(form->PreviewGrid()->Cell(0), Qt::LeftButton);
  EXPECT_EQ(Selected(), 0);
}

TEST(ChannelPreviewGrid, LabelsOfCustomCells) {
  using Grid = app::TChannelPreviewGrid;
  const std::tuple<int, int, QString> rows[] = {{Grid::kAntenna, 12, "12"},       {Grid::kCable, 40, "40"},
                                                {Grid::kComposite, 0, "Composite"}, {Grid::kSVideo, 0, "S-Video"},
                                                {Grid::kCamera, 0, "Video Aux"},    {Grid::kNone, 0, "Not defined"}};
  for (const auto& [kind, channel, label] : rows) EXPECT_EQ(Grid::CellLabel(kind, channel), label);
}

// --- the small windows ---------------------------------------------------------------------

constexpr int kMinute = 60000;

class SleepingTimer : public ::testing::Test {
 protected:
  SleepingTimer() {
    countdown.Main = &info;
    countdown.CloseMainWindow = [this] { ++closes; };
    countdown.ShowSleepLabel = [this](bool visible) { sleepLabel = visible; };
  }

  // Sets the track bar (unless negative) and presses a button, or closes with the close box.
  void Run(int minutes, const char* button) {
    test::Answer<TFormSleepingTimer>([&] { countdown.Execute(nullptr); }, [=](TFormSleepingTimer& dialog) {
      if (minutes >= 0) dialog.findChild<QSlider*>("TrackBarSleepingTimer")->setValue(minutes);
      if (button && QByteArray(button) == "Escape") return QTest::keyClick(&dialog, Qt::Key_Escape);
      button ? QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton) : void(dialog.close());
    });
  }

  settings::TMainInfo info;
  app::TSleepCountdown countdown;
  int closes = 0;
  bool sleepLabel = false;
};

// Nothing stored, it starts at the design position, 30 (Translated.txt shows it).
TEST_F(SleepingTimer, FormStartsAtTheStoredMinutesAndShowsWhereTheBarIs) {
  test::EditPrefs(info, [&](settings::TMainPreferences& p) { p.SleepMinutes = 90; });
  TFormSleepingTimer form(&info);
  EXPECT_EQ(Child<QSlider>(form, "TrackBarSleepingTimer")->value(), 90);
  EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "90");
  Child<QSlider>(form, "TrackBarSleepingTimer")->setValue(120);
  EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "120");
}

// The countdown through the dialog's answers and the clock; after each step the stored minutes,
// the timer, the sleep label, the closes and the power-offs go into the golden text.
TEST_F(SleepingTimer, CountdownThroughTheAnswersAndTheClock) {
  auto advance = [](int ms) { return [ms] { test::Clock().Advance(ms); }; };
  auto run = [this](int minutes, const char* button) { return [=, this] { Run(minutes, button); }; };
  const test::Steps steps = {
      {"45 minutes", run(45, "BitBtnOK")},
      {"moved to 100, cancelled", run(100, "BitBtnCancel")},
      {"45 minutes again, then Escape, as Cancel", [&] { Run(45, "BitBtnOK"), Run(-1, "Escape"); }},
      {"45 minutes again", run(45, "BitBtnOK")},
      {"zero", run(0, "BitBtnOK")},
      {"301 minutes on", advance(301 * kMinute)},
      {"20 minutes", run(20, "BitBtnOK")},
      {"15 minutes on", advance(15 * kMinute)},
      {"moved to 200, closed with the close box", run(200, nullptr)},
      {"20 minutes less a millisecond on", advance(20 * kMinute - 1)},
      {"the last millisecond", advance(1)},
      {"45 minutes once more", run(45, "BitBtnOK")},
      {"45 minutes less a millisecond on", advance(45 * kMinute - 1)},
      {"the last millisecond", advance(1)},
      {"45 minutes more", advance(45 * kMinute)},
  };
  auto state = [&] {
    const int interval = countdown.TimerSleeping.Enabled() ? countdown.TimerSleeping.Interval() : 0;
    return QString::asprintf("  minutes %d timer %d label %d closes %d power-offs %d\n",
                             info.Prefs().SleepMinutes, interval, sleepLabel, closes,
                             test::System().PowerOffCalls);
  };
  test::ExpectGolden(test::Walk(steps, state), "app/SleepCountdown.txt");
  // A minute before each of the two power-offs, the desktop was told.
  EXPECT_EQ(test::System().Notifications,
            QStringList(2, "Sleeping Timer: OKA PVX closes in one minute and the computer switches off."));
}

// Captions with a key take the language's text (before an "@"), with its font size.
TEST(Forms, TakeTheLanguageTexts) {
  test::WriteFile(test::Home() + "Language/Lang.cfg", "X\n");
  test::WriteFile(test::Home() + "Language/X.lng",
                  "[language]=German\nFullScreen=Vollbild@Vollbild\nAspectRatio=Seitenverhältnis\n"
                  "FMMemorized=Kanal merken\nExit=Beenden\nSleepTimer=Schlummer@Schlummer\n"
                  "Shutdown=Ausschalten in:\nMinute=Minuten\nOK=Gut@Schließen\nCancel=Abbrechen\n"
                  "Warning=Warnung\n");
  settings::TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  settings::TMainInfo info;
  // The language global is cleared after the test.
  settings::MultiLangInfo = &lang;
  const TFormSleepingTimer sleeping(&info);
  const app::TFormMainWindow main(&info);
  test::ExpectGolden(test::FormLayoutText(TFormWarning({"x"})) + test::FormLayoutText(sleeping) +
                         test::MenuText(*main.PopupMainMenu()),
                     "app/Translated.txt");
}

// One warning at a time, and its closing by a command message, are the settings' (SettingsModelsTest)
// and the dialog service's.
TEST(WarningForm, ErrorCodeOpensTheWindowAndOkClosesIt) {
  EXPECT_TRUE(TFormWarning({"x"}).findChild<QPlainTextEdit*>("MemoErrorDesc")->isReadOnly());

  platform::SetDialogs(nullptr);  // the real Qt service with the real window
  app::InstallWarningForm();
  QString shown;
  test::Answer<TFormWarning>([] { settings::ShowErrorCode(1024, 1025); }, [&](TFormWarning& form) {
    shown = form.findChild<QPlainTextEdit*>("MemoErrorDesc")->toPlainText();
    EXPECT_TRUE(settings::IsWarningOpen());
    QTest::mouseClick(Child<QPushButton>(form, "BitBtnOK"), Qt::LeftButton);
  });
  EXPECT_EQ(shown, "Set audio format is failed, use default.\nSet video format is failed, use default.");
  EXPECT_FALSE(settings::IsWarningOpen());
  EXPECT_EQ(platform::DefaultDialogs().OpenWarning(), nullptr);
}

TEST(AboutDialog, ShowsTheProductTextsAndOpensItsLinks) {
  test::WriteFile(
      test::Home() + "PInfo.cfg",
      "Vision TV\nVision\n(c) Vision\nV 2.0 \nhttps://vision.example/\nmailto:a@vision.example\n");
  util::TOEMInfo info;
  app::TDialogAbout dialog(info);
  test::ExpectGolden(test::FormLayoutText(dialog), "app/DialogAbout.txt");
  dialog.LabelWWWClick();
  dialog.LabelEmailClick();
  EXPECT_EQ(test::System().OpenedUrls, QStringList({"https://vision.example/", "mailto:a@vision.example"}));
  // Without PInfo.cfg: the build's version, and no link rather than an invented one.
  app::TDialogAbout plain{util::TOEMInfo(QString())};
  EXPECT_TRUE(Child<QLabel>(plain, "LabelWWW")->isHidden() && Child<QLabel>(plain, "LabelEmail")->isHidden());
  EXPECT_TRUE(Child<QLabel>(plain, "LabelVersion")->text().contains(QRegularExpression("^\\d+\\.\\d+\\.\\d+ \\(20\\d\\d-\\d\\d-\\d\\d\\)$")));
}

TEST(LogoForm, ShowsTheShippedBitmapOnTopAndAnUnreadableOneNotAtAll) {
  app::TFormLogo logo;
  logo.ShowLogo();
  EXPECT_TRUE(logo.HasLogo() && logo.isVisible() && logo.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Child<QLabel>(logo, "Image1")->pixmap().isNull());

  test::WriteFile(test::Home() + "QLOGO.BMP", "not a bitmap");
  app::TFormLogo unreadable;
  unreadable.ShowLogo();
  EXPECT_FALSE(unreadable.HasLogo() || unreadable.isVisible());
}

// --- captions in every shipped language -------------------------------------------------------

// The captions of the visible controls that do not fit the room they were given.
QStringList CutOff(const QWidget& form) {
  QStringList cut;
  for (const QWidget* w : form.findChildren<QWidget*>()) {
    const auto* label = qobject_cast<const QLabel*>(w);
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const auto* box = qobject_cast<const QGroupBox*>(w);
    QString text = label ? label->text() : button ? button->text() : box ? box->title() : QString();
    if (!w->isVisibleTo(&form) || text.isEmpty() || (label && Qt::mightBeRichText(text))) continue;
    text.remove('&');
    int room = w->width(), needed = w->fontMetrics().horizontalAdvance(text);
    if (label) {
      room = label->contentsRect().width() - 2 * label->margin() - 2 * label->indent();
      if (label->wordWrap()) needed = label->heightForWidth(label->width()) > label->height() ? room + 1 : 0;
    } else if (box) {
      needed += 16;
    } else if (qobject_cast<const QPushButton*>(w)) {
      // A push button's hint has the style's minimum width in it; the text needs its own
      // width, the icon's and the frame's.
      needed += (button->icon().isNull() ? 0 : button->iconSize().width() + 4) + 8;
    } else {
      needed = button->sizeHint().width();
    }
    if (needed > room)
      cut << QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(w->objectName(), text).arg(needed).arg(room);
  }
  return cut;
}

// Shows the form, lets its layout settle and checks every caption on each of its pages, saving
// each (test::SaveShot).
void ExpectFits(const char* name, QWidget& form, int pages = 1, const std::function<void(int)>& turn = {}) {
  for (int p = 0; p < pages; ++p) {
    if (turn) turn(p);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(CutOff(form).join('\n').toStdString(), "") << name << " page " << p + 1;
    test::SaveShot(form, QStringLiteral("%1-%2-%3").arg(name).arg(settings::MultiLangInfo->LanguageIndex).arg(p + 1));
  }
}

using TVisit = std::function<void(const char* name, QWidget& form, int pages, const std::function<void(int)>& turn)>;

// Every window of the program in each shipped language, English first.
void ForEachWindowInEachLanguage(const TVisit& visit) {
  settings::TMultiLangInfo lang(SourceData() + "Language/Lang.cfg");
  settings::TChannelInfo channels;
  settings::TMainInfo main;
  settings::TPreviewInfo preview(channels);
  settings::TCaptureSettings recording;
  // The language global is cleared after the test.
  settings::MultiLangInfo = &lang;
  snapshots::TSnapshotInfo snapshots;
  snapshots.Images = {QImage(64, 48, QImage::Format_RGB32)};
  snapshots.Images.front().fill(Qt::darkCyan);
  const util::TOEMInfo oem;
  settings::TSourceMapCell cell{};
  auto once = [&](const char* name, QWidget&& form) { visit(name, form, 1, {}); };
  for (const char* language : {"English", "German", "Chinese(simplified)"}) {
    SCOPED_TRACE(language);
    lang.SetLanguage(language);
    ASSERT_GE(lang.LanguageIndex, 0);
    once("warning", app::TFormWarning(QStringList{settings::GetErrorMessage(1020)}));
    once("warning-copy-protected", app::TFormWarning(QStringList{settings::GetErrorMessage(1107)}));
    once("sleeptimer", app::TFormSleepingTimer(&main));
    once("about", app::TDialogAbout(oem));
    once("playback", playback::TFormPlayback(nullptr));
    once("videosource", tuning::TFormVideoSource(cell, true, 5));
    once("addmemory", tuning::TFormAddMemoryChannel(channels));
    once("addfm", tuning::TFormAddFMFrequency(channels, 98100000));
    once("showimage", snapshots::TFormShowImage(snapshots.Images.front()));
    once("finetune", tuning::TDialogFineTune(nullptr, 189250000, 189250000));
    tuning::TFormTVSetupWizard wizard(channels, false, {});
    visit("wizard", wizard, 3, [&](int p) { wizard.SetPage(p + 1); });
    snapshots::TFormSnapshotList list(snapshots, nullptr);
    list.Fill();
    visit("snapshots", list, 1, {});
    // The settings dialog in TV, in TV with a constant-quality format, and in FM radio.
    for (const int kind : {0, 1, 2}) {
      ui::TConfigEnvironment env;
      env.Main = &main, env.Channels = &channels, env.Preview = &preview, env.Language = &lang;
      recording.RecordFormat = kind == 1 ? 12 : 1, recording.VideoBitRateKbps = kind == 1 ? 0 : 4000;
      env.Recording = &recording, env.FMMode = kind == 2;
      ui::TFormConfig config(env);
      QTabWidget* pages = config.PageControlConfig;
      visit(std::array{"settings", "settings-hevc", "settings-fm"}[size_t(kind)], config, pages->count(),
            [&](int p) { pages->setCurrentIndex(p); });
    }
    app::TFormMainWindow window(&main);
    window.ApplyLanguage();
    visit("menu", *window.PopupMainMenu(), 1, {});
  }
}

TEST(LanguageFit, NoCaptionIsCutOffInAnyShippedLanguage) {
  ForEachWindowInEachLanguage([](const char* name, QWidget& form, int pages, const std::function<void(int)>& turn) {
    if (qobject_cast<QMenu*>(&form)) return;  // menus size themselves
    ExpectFits(name, form, pages, turn);
  });
}

// Every text a person reads comes from the language in use; the words a language shares with
// English (and names, units and formats) are its own.
TEST(LanguageWalk, NoWindowLeavesTextInEnglish) {
  const QMap<QString, QStringList> ownWords = {
      {"German", {"OK", "Pause", "Start", "Stop", "Mono", "Stereo", "Name", "Status", "Video", "Audio", "Info",
                  "Timer", "Zoom", "Normal", "Minute", "Minuten", "Modus", "Region", "Text", "Standard", "Finish"}},
      {"Chinese(simplified)", {"OK"}}};
  // Units, formats and products, the language files' own names in the language list, and the
  // publisher's rights line.
  const QStringList names = {"MHz", "kHz", "Hz", "kbps", "Kbps", "fps", "S-Video", "iEPG", "Wave", "Divx",
                             "Matroska", "Microsoft", "English", "German", "Chinese", "(simplified)",
                             "Copyright (C) OKA. All rights reserved."};
  QMap<QString, QMap<QString, QString>> english;
  ForEachWindowInEachLanguage([&](const char* name, QWidget& form, int pages, const std::function<void(int)>& turn) {
    const QString lang = settings::MultiLangInfo->LanguageName;
    for (int p = 0; p < pages; ++p) {
      if (turn) turn(p);
      const QString at = QStringLiteral("%1 page %2").arg(name).arg(p + 1);
      const QMap<QString, QString> texts = ReadableTexts(form);
      if (lang == "English") {
        english[at] = texts;
        continue;
      }
      EXPECT_EQ(LeftInEnglish(english[at], texts, ownWords.value(lang) + names).join('\n').toStdString(), "")
          << at.toStdString() << " in " << lang.toStdString();
    }
  });
}

}  // namespace
}  // namespace pvx::test

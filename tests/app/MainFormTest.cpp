#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <vector>

#include "app/BorderArtwork.h"
#include "app/MainForm.h"
#include "app/MenuImage.h"
#include "platform/Clock.h"
#include "platform/video/TVideoWindow.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using app::TFormMainWindow;
using platform::video::TVideoWindow;
using settings::TAppMode;

namespace {

void Pump() { QCoreApplication::processEvents(); }

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, modifiers);
  QCoreApplication::sendEvent(widget, &event);
}

template <typename T>
T* Child(QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// A main window with its settings object, shown on a 1024 x 768 screen.
class MainWindow : public ::testing::Test {
 protected:
  MainWindow() {
    settings::MainInfo = &info;
    info.Mode = settings::amTV;
    form = std::make_unique<TFormMainWindow>();
    form->SetScreenSize([] { return QSize(1024, 768); });
    form->ExecuteCommand = [this](int code) { commands.push_back(code); };
  }
  ~MainWindow() override {
    form.reset();
    settings::MainInfo = nullptr;
    settings::MultiLangInfo = nullptr;
  }

  QAction* Item(const char* name) { return form->PopupMainMenu()->Item(QLatin1String(name)); }
  bool Shown(const char* name) { return Item(name)->isVisible(); }

  settings::TMainInfo info;
  std::unique_ptr<TFormMainWindow> form;
  std::vector<int> commands;
};

}  // namespace

// --- window layout ------------------------------------------------------------------------------

TEST_F(MainWindow, BorderlessWithFourBordersAndTheMenuImage) {
  EXPECT_EQ(form->size(), QSize(480, 360));
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_EQ(Child<QWidget>(*form, "ImageBoarderTop")->geometry(), QRect(0, 0, 480, 17));
  EXPECT_EQ(Child<QWidget>(*form, "ImageBoarderBottom")->geometry(), QRect(0, 350, 480, 10));
  EXPECT_EQ(Child<QWidget>(*form, "ImageBoarderLeft")->geometry(), QRect(0, 17, 10, 333));
  EXPECT_EQ(Child<QWidget>(*form, "ImageBoarderRight")->geometry(), QRect(470, 17, 10, 333));
  EXPECT_EQ(Child<QWidget>(*form, "ImageMenu")->geometry(), QRect(11, 0, 28, 14));
  auto* small = Child<QWidget>(*form, "ImageTimeShiftingPreview");
  EXPECT_EQ(small->geometry(), QRect(368, 248, 73, 57));
  EXPECT_TRUE(small->isHidden());
  // Borders take no input: a press on them reaches the window and drags it.
  EXPECT_TRUE(Child<QWidget>(*form, "ImageBoarderTop")->testAttribute(Qt::WA_TransparentForMouseEvents));
  // The artwork is drawn, not loaded.
  EXPECT_FALSE(Child<QLabel>(*form, "ImageBoarderLeft")->pixmap().isNull());
}

TEST_F(MainWindow, BordersFollowTheSizeAndTheVideoFillsTheSpaceBetweenThem) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  form->show();
  form->resize(600, 400);
  Pump();
  EXPECT_EQ(Child<QWidget>(*form, "ImageBoarderBottom")->geometry(), QRect(0, 390, 600, 10));
  EXPECT_EQ(video.geometry(), QRect(10, 17, 580, 373));
  EXPECT_FALSE(video.IsAligned());
}

// --- aspect lock -------------------------------------------------------------------------------

TEST_F(MainWindow, AspectLockMakesTheHeightFollowTheWidth) {
  form->show();
  form->SetAspect(1);
  form->resize(640, 200);
  Pump();
  EXPECT_EQ(form->size(), QSize(640, 480));
  EXPECT_TRUE(Item("item4_3")->isChecked());
  EXPECT_FALSE(Item("itemNoScale")->isChecked());

  form->SetAspect(2);
  Pump();
  EXPECT_EQ(form->size(), QSize(640, 360));
  EXPECT_TRUE(Item("item16_9")->isChecked());

  // Free: any height.
  form->SetAspect(0);
  form->resize(640, 100);
  Pump();
  EXPECT_EQ(form->height(), 200);  // the free minimum
  form->resize(640, 500);
  Pump();
  EXPECT_EQ(form->size(), QSize(640, 500));
}

TEST_F(MainWindow, MinimumSizesPerAspect) {
  struct Row {
    int aspect;
    QSize minimum;
  };
  for (const Row& row : {Row{0, {200, 200}}, Row{1, {200, 150}}, Row{2, {200, 112}}}) {
    form->SetAspect(row.aspect);
    EXPECT_EQ(form->minimumSize(), row.minimum) << row.aspect;
  }
  form->show();
  form->SetAspect(1);
  form->resize(100, 100);  // dragging the width below the minimum
  Pump();
  EXPECT_EQ(form->width(), 200);
  EXPECT_EQ(form->height(), 150);
}

TEST_F(MainWindow, CanResizeProposalsFollowTheAspect) {
  form->SetAspect(1);
  EXPECT_EQ(form->FormCanResize({640, 10}), QSize(640, 480));
  form->SetAspect(2);
  EXPECT_EQ(form->FormCanResize({640, 10}), QSize(640, 360));
  form->SetAspect(0);
  EXPECT_EQ(form->FormCanResize({640, 10}), QSize(640, 10));
}

// --- always on top and full screen ---------------------------------------------------------------

TEST_F(MainWindow, AlwaysOnTopIsStoredAndChecked) {
  form->show();
  form->SetAlwaysOnTop(true);
  EXPECT_TRUE(info.AlwaysOnTop);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Item("itemAlwaysontop")->isChecked());
  Item("itemAlwaysontop")->trigger();  // the menu item toggles it
  EXPECT_FALSE(info.AlwaysOnTop);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Item("itemAlwaysontop")->isChecked());
}

TEST_F(MainWindow, ShowingAppliesTheStoredAlwaysOnTop) {
  info.AlwaysOnTop = true;
  form->show();
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindow, FullScreenCoversTheScreenAndLeavingRestoresExactly) {
  form->show();
  form->SetAspect(1);
  form->setGeometry(100, 50, 640, 480);
  form->SetAlwaysOnTop(true);
  Pump();
  const QRect before = form->geometry();

  form->SetFullScreen(true);
  Pump();
  // Left -4, top -4, right 1028, bottom 772.
  EXPECT_EQ(form->geometry(), QRect(QPoint(-4, -4), QPoint(1027, 771)));
  EXPECT_TRUE(form->IsFullScreen());
  EXPECT_EQ(form->Aspect(), 0);
  EXPECT_FALSE(info.AlwaysOnTop);
  for (const char* name :
       {"ImageBoarderTop", "ImageBoarderBottom", "ImageBoarderLeft", "ImageBoarderRight", "ImageMenu"})
    EXPECT_TRUE(Child<QWidget>(*form, name)->isHidden()) << name;
  EXPECT_TRUE(Item("itemFullScreen")->isChecked());
  EXPECT_FALSE(Shown("itemAlwaysontop"));
  EXPECT_FALSE(Shown("itemViewingOption"));

  form->SetFullScreen(true);  // already: nothing
  EXPECT_EQ(form->geometry(), QRect(-4, -4, 1032, 776));

  form->SetFullScreen(false);
  Pump();
  EXPECT_EQ(form->geometry(), before);
  EXPECT_EQ(form->Aspect(), 1);
  EXPECT_TRUE(info.AlwaysOnTop);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Child<QWidget>(*form, "ImageMenu")->isHidden());
  EXPECT_FALSE(Item("itemFullScreen")->isChecked());
  EXPECT_TRUE(Shown("itemAlwaysontop"));
  EXPECT_TRUE(Shown("itemViewingOption"));
}

TEST_F(MainWindow, FullScreenVideoFillsTheWholeWindow) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  form->SetFullScreen(true);
  Pump();
  EXPECT_EQ(video.geometry(), QRect(0, 0, 1032, 776));
}

TEST_F(MainWindow, FullScreenHandsTheTVPanelItsFloatingState) {
  bool exists = true, visible = true, floating = true;
  form->Panels.TVPanelExists = [&] { return exists; };
  form->Panels.TVPanelVisible = [&] { return visible; };
  form->Panels.TVPanelFloating = [&] { return floating; };
  form->Panels.SetTVPanelFloating = [&](bool on) { floating = on; };
  int shownAgain = 0;
  form->Panels.ShowTVPanelNotTopmost = [&] {
    ++shownAgain;
    visible = true;
  };
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

TEST_F(MainWindow, OverlayFullScreenGoesThroughTheRenderer) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  video.show();
  form->show();
  form->SetOverlayFullScreen(true);
  EXPECT_TRUE(form->IsOverlayFullScreen());
  EXPECT_TRUE(video.IsFullScreen());
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(Shown("itemViewingOption"));
  EXPECT_FALSE(Item("itemAlwaysontop")->isEnabled());
  form->SetOverlayFullScreen(false);
  EXPECT_EQ(form->DisplayMode(), 0);
  EXPECT_FALSE(video.IsFullScreen());
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Item("itemAlwaysontop")->isEnabled());
}

TEST_F(MainWindow, NoOverlayFullScreenWhilePictureInPicturePlays) {
  TVideoWindow video(form.get()), player(form.get());
  form->SetVideoWindow(&video);
  info.PIPEnabled = true;
  form->SetPlayer(true, &player);
  form->SetOverlayFullScreen(true);
  EXPECT_FALSE(form->IsOverlayFullScreen());
  EXPECT_FALSE(video.IsFullScreen());
}

// --- mouse ---------------------------------------------------------------------------------------

TEST_F(MainWindow, DoubleClickTogglesFullScreen) {
  form->show();
  form->move(30, 40);
  Pump();
  const QRect before = form->geometry();
  QTest::mouseDClick(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  EXPECT_TRUE(form->IsFullScreen());
  EXPECT_EQ(form->geometry(), QRect(-4, -4, 1032, 776));
  QTest::mouseDClick(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  EXPECT_FALSE(form->IsFullScreen());
  EXPECT_EQ(form->geometry(), before);
}

TEST_F(MainWindow, DoubleClickOnTheVideoReachesTheWindow) {
  TVideoWindow video(form.get());
  form->SetVideoWindow(&video);
  video.show();
  form->show();
  QTest::mouseDClick(&video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  EXPECT_TRUE(form->IsFullScreen());
}

TEST_F(MainWindow, DoubleClickDoesNothingOverAStillSnapshot) {
  form->EngineStillShown = [] { return true; };
  form->show();
  QTest::mouseDClick(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  EXPECT_FALSE(form->IsFullScreen());
}

TEST_F(MainWindow, DoubleClickWithPictureInPictureSwapsThePictures) {
  TVideoWindow video(form.get()), player(form.get());
  form->SetVideoWindow(&video);
  info.PIPEnabled = true;
  form->SetPlayer(true, &player);
  const QRect inner(10, 17, 460, 333);
  const QRect inset(10, 17, (480 - 20) / 3, (360 - 34) / 3);
  EXPECT_EQ(video.geometry(), inner);
  EXPECT_EQ(player.geometry(), inset);

  form->FormDblClick();
  EXPECT_TRUE(form->IsPictureSwapped());
  EXPECT_FALSE(form->IsFullScreen());
  EXPECT_EQ(player.geometry(), inner);
  EXPECT_EQ(video.geometry(), inset);

  form->FormDblClick();
  EXPECT_FALSE(form->IsPictureSwapped());
  EXPECT_EQ(video.geometry(), inner);

  // Refreshing keeps the layout; switching to live TV ends a swap.
  form->FormDblClick();
  form->RefreshPictureSwap();
  EXPECT_TRUE(form->IsPictureSwapped());
  EXPECT_EQ(player.geometry(), inner);
  form->UpdateForMode(settings::amTV);
  EXPECT_FALSE(form->IsPictureSwapped());
  EXPECT_EQ(video.geometry(), inner);
}

TEST_F(MainWindow, DoubleClickInTimeShiftingTogglesFullScreenEvenWithAPlayer) {
  TVideoWindow player(form.get());
  info.PIPEnabled = true;
  info.Mode = settings::amTimeShiftPlayback;
  form->SetPlayer(true, &player);
  form->FormDblClick();
  EXPECT_TRUE(form->IsFullScreen());
  EXPECT_FALSE(form->IsPictureSwapped());
}

TEST_F(MainWindow, DraggingWithTheLeftButtonMovesTheWindow) {
  form->show();
  form->move(100, 100);
  Pump();
  const QPoint start = form->pos();
  SendMouse(form.get(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(form.get(), QEvent::MouseMove, {60, 70}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(form->pos(), start + QPoint(10, 20));
  SendMouse(form.get(), QEvent::MouseButtonRelease, {60, 70}, Qt::LeftButton, Qt::NoButton);

  // With a modifier held, or in full screen, the window stays.
  const QPoint here = form->pos();
  SendMouse(form.get(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton,
            Qt::ShiftModifier);
  SendMouse(form.get(), QEvent::MouseMove, {90, 90}, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(form->pos(), here);
  SendMouse(form.get(), QEvent::MouseButtonRelease, {90, 90}, Qt::LeftButton, Qt::NoButton);
}

TEST_F(MainWindow, MenuImageButtonsRunOnReleaseOverTheSameButton) {
  auto* image = Child<app::TMenuImage>(*form, "ImageMenu");
  const QImage normal = app::TBorderArtwork::Menu(app::TBorderArtwork::Normal).toImage();
  EXPECT_EQ(app::TMenuImage::HitTestMenu({5, 5}), 0);
  EXPECT_EQ(app::TMenuImage::HitTestMenu({20, 5}), 1);
  EXPECT_EQ(app::TMenuImage::HitTestMenu({13, 5}), 2);
  EXPECT_EQ(app::TMenuImage::HitTestMenu({5, 13}), 2);

  SendMouse(image, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(image->HotItem(), 0);
  EXPECT_NE(image->Picture().toImage(), normal);  // the hover look
  SendMouse(form.get(), QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(image->HotItem(), 2);
  EXPECT_EQ(image->Picture().toImage(), normal);

  SendMouse(image, QEvent::MouseButtonPress, {20, 5}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(image->MenuPressed());
  EXPECT_NE(image->Picture().toImage(), normal);  // the pressed look
  SendMouse(image, QEvent::MouseButtonRelease, {20, 5}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(commands, std::vector<int>{3});

  // Released outside the button: nothing runs, the normal look returns.
  SendMouse(image, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(image, QEvent::MouseButtonRelease, {20, 5}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(commands, std::vector<int>{3});
  EXPECT_FALSE(image->MenuPressed());
  EXPECT_EQ(image->Picture().toImage(), normal);

  SendMouse(image, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(image, QEvent::MouseButtonRelease, {6, 6}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(commands, (std::vector<int>{3, 2}));
}

// --- keys ----------------------------------------------------------------------------------------

TEST_F(MainWindow, KeysGoToTheKeyMapAndTheNumberEntry) {
  std::vector<std::pair<int, Qt::KeyboardModifiers>> ups;
  QString typed;
  form->KeyUp = [&](int key, Qt::KeyboardModifiers modifiers) {
    if (key != Qt::Key_Shift) ups.emplace_back(key, modifiers);
  };
  form->KeyPress = [&](QChar c) { typed += c; };
  QTest::keyClick(form.get(), Qt::Key_F3);
  QTest::keyClick(form.get(), Qt::Key_Plus, Qt::ShiftModifier | Qt::KeypadModifier);
  QTest::keyClick(form.get(), Qt::Key_7, Qt::NoModifier);
  ASSERT_EQ(ups.size(), 3u);
  EXPECT_EQ(ups[0].first, Qt::Key_F3);
  EXPECT_EQ(ups[1].first, Qt::Key_Plus);
  EXPECT_EQ(ups[1].second, Qt::ShiftModifier | Qt::KeypadModifier);
  EXPECT_EQ(typed, "+7");
}

// --- pop-up menu ---------------------------------------------------------------------------------

TEST_F(MainWindow, MenuItemsInOrderWithSeparators) {
  QStringList names;
  for (QAction* action : form->PopupMainMenu()->actions())
    names << (action->isSeparator() ? QString("-") : action->objectName());
  const QStringList expected{"itemFullScreen",
                             "itemAlwaysontop",
                             "itemViewingOption",
                             "-",
                             "itemSwitchSource",
                             "itemPreviousChannel",
                             "itemNextChannel",
                             "itemRecallChannel",
                             "itemMemoChannel",
                             "itemChannelPreview",
                             "-",
                             "itemCapture",
                             "itemPlay",
                             "itemTimeShifting",
                             "itemPause",
                             "itemStop",
                             "itemForward",
                             "itemBackward",
                             "itemFastSpeed",
                             "itemSlowspeed",
                             "itemRealScreen",
                             "itemSnapshot",
                             "itemMute",
                             "-",
                             "itemConfig",
                             "itemFMMode",
                             "itemTVSetupWizard",
                             "itemSleepingTimer",
                             "itemSchedule",
                             "itemIEPG",
                             "-",
                             "itemAbout",
                             "itemExit"};
  EXPECT_EQ(names, expected);

  QStringList aspect, sources;
  for (QAction* action : Item("itemViewingOption")->menu()->actions()) aspect << action->objectName();
  for (QAction* action : Item("itemSwitchSource")->menu()->actions()) sources << action->objectName();
  EXPECT_EQ(aspect, (QStringList{"itemNoScale", "item4_3", "item16_9"}));
  EXPECT_EQ(sources, (QStringList{"itemTunerAntennaMode", "itemTunerCableMode", "itemTunerMemoryMode",
                                  "itemCompositeMode", "itemSVideoMode", "itemAuxMode"}));

  EXPECT_EQ(Item("itemViewingOption")->text(), "Display Aspect Ration");
  EXPECT_EQ(Item("itemTVSetupWizard")->text(), "Reset TV option");
  EXPECT_EQ(Item("itemMemoChannel")->text(), "Memo Channel");
  EXPECT_TRUE(Item("itemNoScale")->isChecked());
  EXPECT_TRUE(Item("itemTunerAntennaMode")->isChecked());
  EXPECT_FALSE(Item("itemIEPG")->isVisible());
}

TEST_F(MainWindow, MenuItemsCallTheirCommands) {
  const std::pair<const char*, int> rows[] = {{"itemFullScreen", 3},
                                              {"itemTunerAntennaMode", 201},
                                              {"itemTunerCableMode", 202},
                                              {"itemTunerMemoryMode", 203},
                                              {"itemCompositeMode", 204},
                                              {"itemSVideoMode", 205},
                                              {"itemPreviousChannel", 4002},
                                              {"itemNextChannel", 4001},
                                              {"itemRecallChannel", 4003},
                                              {"itemMemoChannel", 4005},
                                              {"itemChannelPreview", 8},
                                              {"itemCapture", 1001},
                                              {"itemPlay", 3000},
                                              {"itemTimeShifting", 2000},
                                              {"itemPause", 1003},
                                              {"itemStop", 1002},
                                              {"itemForward", 1004},
                                              {"itemBackward", 1005},
                                              {"itemRealScreen", 2001},
                                              {"itemSnapshot", 1000},
                                              {"itemMute", 403},
                                              {"itemConfig", 7},
                                              {"itemFMMode", 6000},
                                              {"itemTVSetupWizard", 9},
                                              {"itemSleepingTimer", 12},
                                              {"itemSchedule", 10},
                                              {"itemAbout", 13},
                                              {"itemExit", 1}};
  for (const auto& [name, code] : rows) {
    commands.clear();
    Item(name)->trigger();
    EXPECT_EQ(commands, std::vector<int>{code}) << name;
  }
  // Items with no command, or their own action.
  commands.clear();
  int cameras = 0;
  form->SelectCamera = [&] { ++cameras; };
  for (const char* name : {"itemFastSpeed", "itemSlowspeed", "itemIEPG", "itemAuxMode", "item4_3"})
    Item(name)->trigger();
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(cameras, 1);
  EXPECT_EQ(form->Aspect(), 1);
}

TEST_F(MainWindow, CheckMarksFollowTheStateNotTheClick) {
  Item("itemFullScreen")->trigger();  // the dispatcher here does nothing
  EXPECT_FALSE(Item("itemFullScreen")->isChecked());
  Item("itemCompositeMode")->trigger();
  EXPECT_FALSE(Item("itemCompositeMode")->isChecked());
  EXPECT_TRUE(Item("itemTunerAntennaMode")->isChecked());
  // Real Screen toggles its own mark after its command.
  Item("itemRealScreen")->trigger();
  EXPECT_TRUE(Item("itemRealScreen")->isChecked());
}

TEST_F(MainWindow, LanguageTextsReplaceTheCaptions) {
  test::WriteFile(test::Home() + "Language/Lang.cfg", "X\n");
  test::WriteFile(test::Home() + "Language/X.lng",
                  "[language]=German\nFullScreen=Vollbild@Vollbild\nAspectRatio=Seitenverhältnis\n"
                  "FMMemorized=Kanal merken\nScheduledRecording=Zeitplan\nExit=Beenden\n");
  settings::TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  settings::MultiLangInfo = &lang;
  TFormMainWindow translated;
  auto item = [&](const char* name) { return translated.PopupMainMenu()->Item(QLatin1String(name))->text(); };
  EXPECT_EQ(item("itemFullScreen"), "Vollbild");
  EXPECT_EQ(item("itemViewingOption"), "Seitenverhältnis");
  EXPECT_EQ(item("itemMemoChannel"), "Kanal merken");
  EXPECT_EQ(item("itemSchedule"), "Zeitplan");
  EXPECT_EQ(item("itemExit"), "Beenden");
  // Without a text, or without a key, the caption stays.
  EXPECT_EQ(item("itemCapture"), "Capture");
  EXPECT_EQ(item("item4_3"), "4:3");
  EXPECT_EQ(item("itemAuxMode"), "Camera");
  settings::MultiLangInfo = nullptr;
}

TEST_F(MainWindow, MenuVisibilityPerMode) {
  form->UpdateForMode(settings::amTV);
  for (const char* name :
       {"itemCapture", "itemPlay", "itemTimeShifting", "itemConfig", "itemSleepingTimer", "itemSnapshot",
        "itemNextChannel", "itemChannelPreview", "itemTVSetupWizard", "itemFMMode", "itemMemoChannel"})
    EXPECT_TRUE(Shown(name)) << name;
  for (const char* name : {"itemPause", "itemStop", "itemForward", "itemBackward", "itemFastSpeed",
                           "itemSlowspeed", "itemRealScreen"})
    EXPECT_FALSE(Shown(name)) << name;
  EXPECT_TRUE(Item("itemSwitchSource")->isEnabled());

  form->UpdateForMode(settings::amPlayback);
  for (const char* name : {"itemPause", "itemStop", "itemForward", "itemBackward", "itemFastSpeed",
                           "itemSlowspeed", "itemSnapshot"})
    EXPECT_TRUE(Shown(name)) << name;
  for (const char* name : {"itemCapture", "itemPlay", "itemNextChannel", "itemChannelPreview", "itemConfig"})
    EXPECT_FALSE(Shown(name)) << name;
  EXPECT_FALSE(Item("itemSwitchSource")->isEnabled());
  form->SetPlayerRunning(false);  // paused: Play instead of Pause
  EXPECT_TRUE(Shown("itemPlay"));
  EXPECT_FALSE(Shown("itemPause"));

  form->UpdateForMode(settings::amTimeShifting);
  EXPECT_FALSE(Shown("itemPlay"));
  EXPECT_TRUE(Shown("itemStop"));
  form->SetTimeShiftReady(true);
  EXPECT_TRUE(Shown("itemPlay"));

  form->UpdateForMode(settings::amTimeShiftPlayback);
  EXPECT_TRUE(Shown("itemRealScreen"));
  EXPECT_FALSE(Shown("itemSlowspeed"));

  // FM and closed change nothing.
  form->UpdateForMode(settings::amFMRadio);
  form->UpdateForMode(settings::amClosed);
  EXPECT_TRUE(Shown("itemRealScreen"));

  form->UpdateForMode(settings::amChannelPreview);
  EXPECT_TRUE(Shown("itemChannelPreview"));
  EXPECT_FALSE(Shown("itemStop"));
  EXPECT_FALSE(Shown("itemViewingOption"));
  EXPECT_FALSE(Shown("itemCapture"));
}

TEST_F(MainWindow, MenuFollowsTunerSourceAndFM) {
  form->UpdateForMode(settings::amTV);
  form->UpdateForSource(0, 2);  // memory channels cannot be memorised again
  EXPECT_TRUE(Item("itemTunerMemoryMode")->isChecked());
  EXPECT_FALSE(Shown("itemMemoChannel"));
  EXPECT_TRUE(Shown("itemNextChannel"));

  form->UpdateForSource(1, 0);
  EXPECT_TRUE(Item("itemCompositeMode")->isChecked());
  EXPECT_FALSE(Item("itemTunerAntennaMode")->isChecked());
  for (const char* name : {"itemPreviousChannel", "itemNextChannel", "itemRecallChannel", "itemMemoChannel",
                           "itemChannelPreview", "itemTVSetupWizard"})
    EXPECT_FALSE(Shown(name)) << name;

  form->UpdateForSource(0, 0);
  form->SetHasTuner(false);
  for (const char* name : {"itemTunerAntennaMode", "itemTunerCableMode", "itemTunerMemoryMode",
                           "itemNextChannel", "itemChannelPreview", "itemTVSetupWizard"})
    EXPECT_FALSE(Shown(name)) << name;
  EXPECT_FALSE(Shown("itemAuxMode"));
  form->SetHasCamera(true);
  EXPECT_TRUE(Shown("itemAuxMode"));

  info.FMEnabled = false;
  form->UpdateForMode(settings::amTV);
  EXPECT_FALSE(Shown("itemFMMode"));

  form->SetMuteState(false, false);
  EXPECT_FALSE(Shown("itemMute"));
  form->SetMuteState(true, true);
  EXPECT_TRUE(Item("itemMute")->isChecked());
}

TEST_F(MainWindow, ModeAndSourceChangesShowTheirTextsOnTheOSD) {
  form->show();
  form->OSD()->EnableOSD(true);
  QLabel* label = form->OSD()->LabelOSD();
  const std::pair<TAppMode, QString> modes[] = {{settings::amTV, "Live"},
                                                {settings::amCapture, "Capture"},
                                                {settings::amScheduledCapture, "Schedule Capture"},
                                                {settings::amPlayback, "Play"},
                                                {settings::amTimeShifting, "Time Shifting"},
                                                {settings::amTimeShiftPlayback, "Time Shifting Play"}};
  for (const auto& [mode, text] : modes) {
    form->UpdateForMode(mode);
    EXPECT_EQ(label->text(), text + "  ") << int(mode);
  }
  form->UpdateForSource(2, 0);
  EXPECT_EQ(label->text(), "S-Video  ");
  form->UpdateForSource(0, 1);
  EXPECT_EQ(label->text(), "Cable  ");
  EXPECT_TRUE(form->OSD()->isVisible());
  EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);  // at the top
}

// --- channel preview -----------------------------------------------------------------------------

namespace {

// Five channels (numbers 21 to 25) on a 3 x 3 grid, with the mode switch wired as start-up does.
class ChannelPreview : public MainWindow {
 protected:
  ChannelPreview() {
    source.Count = [] { return 5; };
    source.Dimension = [] { return 3; };
    source.Interval = [] { return 2; };
    source.Name = [](int cell) { return QString::number(21 + cell); };
    source.Tune = [this](int cell) { tuned.push_back(cell); };
    source.Select = [this](int cell) { selected.push_back(cell); };
    source.FirstPage = [this] { ++firstPages; };
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

  app::TPreviewSource source;
  TVideoWindow* video;
  std::vector<int> tuned, selected;
  int firstPages = 0, nextPages = 0;
  QRect before;
};

}  // namespace

TEST_F(ChannelPreview, FiveChannelsOnAThreeByThreeGrid) {
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  auto* grid = form->PreviewGrid();
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(form->geometry(), QRect(0, 0, 1024, 768));
  EXPECT_TRUE(Child<QWidget>(*form, "ImageMenu")->isHidden());
  EXPECT_EQ(firstPages, 1);
  EXPECT_EQ(grid->CellCount(), 5);
  EXPECT_EQ(form->findChild<QWidget*>("PreviewCell6"), nullptr);
  EXPECT_EQ(form->minimumSize(), QSize(600, 400));

  // W = 1024 - 20 = 1004, H = 768 - 27 = 741: steps of 334 and 247, cells 10 smaller.
  EXPECT_EQ(CellRect(0), QRect(15, 22, 324, 237));
  EXPECT_EQ(CellRect(2), QRect(683, 22, 324, 237));
  EXPECT_EQ(CellRect(4), QRect(349, 269, 324, 237));
  QLabel* label = grid->Label(4);
  EXPECT_EQ(label->geometry(), QRect(349, 269, 324, 47));
  EXPECT_EQ(label->font().pointSize(), 23);
  EXPECT_TRUE(label->font().bold());

  // The first step ran at once: the live video on the first cell, its channel tuned.
  EXPECT_EQ(tuned, std::vector<int>{0});
  EXPECT_EQ(video->geometry(), CellRect(0));
  EXPECT_EQ(grid->Label(0)->text(), "21");
  EXPECT_EQ(grid->TimerDwell.Interval(), 2000);
  EXPECT_EQ(grid->TimerHighlight.Interval(), 250);
  EXPECT_TRUE(Item("itemChannelPreview")->isChecked());
  EXPECT_FALSE(Item("itemAlwaysontop")->isEnabled());
}

TEST_F(ChannelPreview, DwellStepsVisitEachCellAndTurnThePage) {
  video->ShowFrame(QImage(QSize(8, 6), QImage::Format_RGB32));
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  test::Clock().Advance(2000);
  EXPECT_EQ(tuned, (std::vector<int>{0, 1}));
  EXPECT_EQ(video->geometry(), CellRect(1));
  // The cell the video left keeps a still of its channel.
  EXPECT_FALSE(form->PreviewGrid()->Cell(0)->pixmap().isNull());
  test::Clock().Advance(3 * 2000);
  EXPECT_EQ(tuned, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(nextPages, 1);
  test::Clock().Advance(2000);
  EXPECT_EQ(tuned.back(), 0);
  EXPECT_EQ(form->PreviewGrid()->Label(4)->text(), "25");
}

TEST_F(ChannelPreview, KeyboardNavigationStaysOnExistingCells) {
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  Key(Qt::Key_Down);  // no selection yet: the first cell
  EXPECT_EQ(Selected(), 0);
  Key(Qt::Key_Left);  // wraps to the last cell of the grid, which does not exist
  EXPECT_EQ(Selected(), 0);
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(Selected(), 2);
  Key(Qt::Key_Down);  // row 2, column 3: empty
  EXPECT_EQ(Selected(), 2);
  Key(Qt::Key_Right);  // past the last column to the next row
  EXPECT_EQ(Selected(), 3);
  Key(Qt::Key_Left);  // and back
  EXPECT_EQ(Selected(), 2);
  Key(Qt::Key_Left);
  Key(Qt::Key_Down);
  EXPECT_EQ(Selected(), 4);
  Key(Qt::Key_Right);  // sixth position: empty
  EXPECT_EQ(Selected(), 4);
  Key(Qt::Key_Down);  // eighth position: empty
  EXPECT_EQ(Selected(), 4);
  Key(Qt::Key_Up);
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(form->PreviewGrid()->SelectionFrame(), CellRect(1).adjusted(-2, -2, 2, 2));

  // The frame is drawn in aqua around the selected cell.
  const QImage shot = form->grab().toImage();
  const QRect frame = form->PreviewGrid()->SelectionFrame();
  EXPECT_EQ(shot.pixelColor(frame.left() + frame.width() / 2, frame.top()), QColor(0, 255, 255));
}

TEST_F(ChannelPreview, EnterLeavesWithTheSelectedCellAndRestoresTheWindow) {
  std::vector<TAppMode> announced;
  info.OnModeChange = [&](settings::TMainInfo&, TAppMode mode) { announced.push_back(mode); };
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  Key(Qt::Key_Return);  // nothing selected: stays
  EXPECT_EQ(info.Mode, settings::amChannelPreview);
  form->SelectPreviewCell(3);
  Key(Qt::Key_Return);
  EXPECT_EQ(selected, std::vector<int>{3});
  EXPECT_EQ(info.Mode, settings::amTV);
  EXPECT_EQ(announced.back(), settings::amTV);
  EXPECT_FALSE(Child<QWidget>(*form, "ImageMenu")->isHidden());
  EXPECT_FALSE(Item("itemChannelPreview")->isChecked());
  EXPECT_TRUE(form->OSD()->IsOSDEnabled());
  Pump();  // message 4026
  EXPECT_EQ(form->geometry(), before);
  EXPECT_EQ(form->PreviewGrid(), nullptr);
  EXPECT_EQ(form->findChild<QWidget*>("PreviewCell1"), nullptr);
  EXPECT_EQ(video->geometry(), QRect(10, 17, 460, 333));
  // No dwell step runs any more.
  test::Clock().Advance(10000);
  EXPECT_EQ(tuned, std::vector<int>{0});
}

TEST_F(ChannelPreview, ClickSelectsAndDoubleClickLeavesWithTheCell) {
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  QWidget* cell = form->PreviewGrid()->Cell(2);
  QTest::mouseClick(cell, Qt::LeftButton);
  EXPECT_EQ(Selected(), 2);
  // A click on the live video selects the cell beneath it.
  QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_EQ(Selected(), 0);
  QTest::mouseDClick(form->PreviewGrid()->Cell(4), Qt::LeftButton);
  EXPECT_EQ(selected, std::vector<int>{4});
  EXPECT_EQ(info.Mode, settings::amTV);
  Pump();
  EXPECT_EQ(form->geometry(), before);
}

TEST_F(ChannelPreview, EscapeLeavesWithTheLastSelectedCell) {
  form->SetAspect(1);
  Pump();
  before = form->geometry();
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  EXPECT_EQ(form->Aspect(), 0);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(selected.empty());
  EXPECT_EQ(info.Mode, settings::amTV);
  EXPECT_EQ(form->Aspect(), 1);
  Pump();
  EXPECT_EQ(form->geometry(), before);
}

TEST_F(ChannelPreview, EnteringLeavesFullScreenFirstAndNeedsAChannel) {
  form->SetFullScreen(true);
  ASSERT_TRUE(info.SetMode(settings::amChannelPreview));
  EXPECT_FALSE(form->IsFullScreen());
  info.SetMode(settings::amTV);
  Pump();
  EXPECT_EQ(form->geometry(), before);

  form->PreviewSource.Count = [] { return 0; };
  EXPECT_FALSE(info.SetMode(settings::amChannelPreview));
  EXPECT_EQ(form->PreviewGrid(), nullptr);
  EXPECT_EQ(info.Mode, settings::amTV);
}

TEST_F(ChannelPreview, LabelsOfCustomCells) {
  using Grid = app::TChannelPreviewGrid;
  EXPECT_EQ(Grid::CellLabel(Grid::kAntenna, 12), "12");
  EXPECT_EQ(Grid::CellLabel(Grid::kCable, 40), "40");
  EXPECT_EQ(Grid::CellLabel(Grid::kComposite, 0), "Composite");
  EXPECT_EQ(Grid::CellLabel(Grid::kSVideo, 0), "S-Video");
  EXPECT_EQ(Grid::CellLabel(Grid::kCamera, 0), "Video Aux");
  EXPECT_EQ(Grid::CellLabel(Grid::kNone, 0), "Not defined");
}

// The TV and FM panels in the running program on the virtual card: their buttons drive live
// TV, FM radio and an FM recording, and they keep their places.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include "ShellFixture.h"
#include "app/ControlPanels.h"
#include "panels/FormFMMainPanel.h"
#include "panels/FormMainPanel.h"
#include "panels/UIInfo.h"
#include "platform/media/MediaTestSupport.h"
#include "settings/ChannelInfo.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::test::WaitUntil;

namespace {

class Panels : public test::Shell {
 protected:
  panels::TFormMainPanel& TV() { return *App().Panels()->TV(); }
  panels::TFormFMMainPanel& FM() { return *App().Panels()->FM(); }
  // A click in the middle of an item, as the mouse gives it.
  static void Click(panels::TSkinPanel& panel, const panels::TUIItemRecord& item) {
    QTest::mouseClick(panel.Skin(), Qt::LeftButton, {}, item.Rect().center());
  }
  void ClickTV(int item) { Click(TV(), panels::UIInfo->TVItems[size_t(item)]); }
  void ClickFM(int item) { Click(FM(), panels::UIInfo->FMItems[size_t(item)]); }
  static QString Label(QWidget& panel, const char* name) { return panel.findChild<QLabel*>(name)->text(); }
  void Settle() { ASSERT_TRUE(WaitUntil([&] { return !App().Dispatcher().Busy(); })); }
};

TEST_F(Panels, TheTVPanelDrivesLiveTVAndTheFMPanelTheRadio) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(TV().isVisible());
  EXPECT_EQ(Label(TV(), "LabelChannel"), " 4");
  for (int item : {12, 13, 22}) ClickTV(item);  // "1", "2", Enter
  EXPECT_TRUE(WaitUntil([&] { return ChannelInfo->CurrentChannel() == 12; }));
  EXPECT_EQ(Label(TV(), "LabelChannel"), "12");

  // The panel keeps its place beside the main window when that moves.
  const QPoint panelAt = TV().pos();
  Window().move(Window().pos() + QPoint(30, 20));
  EXPECT_TRUE(WaitUntil([&] { return TV().pos() == panelAt + QPoint(30, 20); }));

  // Minimised, the main window takes its tool panel along, and brings it back.
  ClickTV(0);
  Settle();
  EXPECT_TRUE(Window().isMinimized() && !TV().isVisible());
  Window().showNormal();
  EXPECT_TRUE(WaitUntil([&] { return TV().isVisible(); }));

  ClickTV(11);  // FM mode
  Settle();
  ASSERT_EQ(MainInfo->Mode, amFMRadio);
  EXPECT_TRUE(FM().isVisible() && !TV().isVisible() && !Window().isVisible());
  EXPECT_TRUE(Label(FM(), "LabelCurretPos").endsWith("MHz"));
  ASSERT_TRUE(Engine().SetFMFrequency(88100000));
  EXPECT_EQ(Label(FM(), "LabelCurretPos"), "88.1MHz");

  // Recording the radio from the panel: into the wave folder, and Stop comes back to FM.
  MainInfo->WaveFolder = test::Home() + "wave";  // typed without the closing separator
  QDir().mkpath(MainInfo->WaveFolder);
  ClickFM(31);
  Settle();
  ASSERT_EQ(MainInfo->Mode, amCapture);
  EXPECT_EQ(Label(FM(), "LabelDVCRState"), "REC");
  // A second and a half of 48 kHz stereo sound.
  ASSERT_TRUE(WaitUntil([&] { return Engine().RecordedBytes() > 3 * 48000 * 2; }));
  ClickFM(28);
  Settle();
  EXPECT_EQ(MainInfo->Mode, amFMRadio);
  const QString file = Engine().Recorder().CurrentFile;
  EXPECT_EQ(QFileInfo(file).absolutePath(), test::Home() + "wave");
  const test::TProbe probe = test::Probe(file);
  EXPECT_TRUE(probe.ok && probe.video.isEmpty() && probe.Duration() > 1.0) << file.toStdString();

  ClickFM(0);  // minimise: the radio goes to the task bar, the main window stays hidden
  Settle();
  EXPECT_TRUE(FM().isMinimized() && !Window().isVisible());
  FM().showNormal();

  ClickFM(6);  // TV mode
  Settle();
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_TRUE(TV().isVisible() && !FM().isVisible() && Window().isVisible());
  EXPECT_EQ(ChannelInfo->CurrentChannel(), 12);
}

TEST(PanelPlaces, TheTVPanelGoesBesideTheMainWindowOrAgainstTheEdge) {
  const QSize panel(281, 303);
  EXPECT_EQ(app::TVPanelFirstPosition({1920, 1080}, {100, 100, 640, 520}, panel), QPoint(919, 388));
  EXPECT_EQ(app::TVPanelFirstPosition({1024, 768}, {100, 100, 640, 520}, panel), QPoint(743, 232));
  EXPECT_EQ(app::FMPanelPosition({1920, 1080}, {655, 175}), QPoint(632, 720));
}

}  // namespace

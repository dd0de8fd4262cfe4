// The settings dialog opened by its command in the running program on the virtual card. (The
// language walk leaves the pictures of its pages.)

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>

#include "commands/CommandTable.h"
#include "app/FormTestSupport.h"
#include "app/ShellFixture.h"
#include "engine/AudioAdjustInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "ui/settings/ConfigForm.h"

namespace pvx::test {
namespace {

using ui::TFormConfig;

TEST_F(Shell, SetupKeepsWhatOKAppliesCancelPutsTheColourBackAndAutoScanFillsTheGrid) {
  SchedulerWindow scheduler;
  ASSERT_TRUE(Start());
  const int brightness = Engine().SignalAdjust().GetBrightness();
  const int target = brightness + 10;
  {
    ModalAnswer<TFormConfig> answer([&](TFormConfig& form) {
      form.findChild<QSlider*>("TrackBarBrightness")->setValue(target);
      form.findChild<QPushButton*>("BitBtnDefaultColor")->click();
      EXPECT_EQ(Engine().SignalAdjust().GetBrightness(), Engine().SignalAdjust().Range(0).Default);
      form.findChild<QSlider*>("TrackBarBrightness")->setValue(target);
      form.findChild<QCheckBox*>("CheckBoxEnableTimeLimit")->setChecked(!Engine().Settings().TimeLimitOn);
      form.findChild<QPushButton*>("BitBtnCancel")->click();
    });
    App().Dispatcher().ExecuteCommand(commands::TCommand::Setup);
  }
  EXPECT_EQ(Engine().SignalAdjust().GetBrightness(), brightness);
  EXPECT_FALSE(Engine().Settings().TimeLimitOn);
  bool answered = false;
  {
    // As oka-remote sends it: the command message with the code of Setup.
    App().HandleMessage(ipc::kMsgCommand, commands::CodeOf(commands::TCommand::Setup), 0);
    ModalAnswer<TFormConfig> answer([&](TFormConfig& form) {
      answered = true;
      form.findChild<QCheckBox*>("CheckBoxEnableTimeLimit")->setChecked(true);
      form.findChild<QSlider*>("TrackBarBrightness")->setValue(target);
      EXPECT_EQ(Engine().SignalAdjust().GetBrightness(), target) << "the colour changes at once";
      form.findChild<QPushButton*>("BitBtnOK")->click();
    });
    EXPECT_TRUE(WaitUntil([&] { return answered; }));
  }
  EXPECT_TRUE(Engine().Settings().TimeLimitOn);
  // The stored level is what the next preview starts from: without it the change was lost.
  const engine::TProcAmpRange& range = Engine().SignalAdjust().Range(0);
  EXPECT_EQ(test::ProgramMain().Prefs().ColorLevels[0], engine::TVideoSignalAdjust::ValueToLevel(0, target, range));
  EXPECT_NE(test::ProgramMain().Prefs().ColorLevels[0], engine::TVideoSignalAdjust::ValueToLevel(0, brightness, range));

  // Auto scan on the tuner page fills the table and its grid.
  for (int n = 1; n <= settings::TChannelInfo::kChannelCount; ++n)
    test::ProgramChannels().ChannelRecord(false, n)->Valid = false;
  int progress = 0, ticked = -1;
  {
    ModalAnswer<TFormConfig> answer([&](TFormConfig& form) {
      auto* grid = form.findChild<QTableWidget*>("StringGridChannelInfo");
      auto* abort = form.findChild<QPushButton*>("BitBtnAbort");
      // The program's own listener still hears the scan while the page follows it.
      // OK, Cancel and Escape wait for the scan, which goes on to its end.
      test::ProgramChannels().OnAutoScanProgress = [&](settings::TChannelInfo&, int, bool, bool) {
        if (progress++ == 0) {
          for (const char* button : {"BitBtnOK", "BitBtnCancel"}) form.findChild<QPushButton*>(button)->click();
          QTest::keyClick(&form, Qt::Key_Escape);
        }
        EXPECT_TRUE(abort->isVisible() && form.isVisible());
      };
      form.findChild<QPushButton*>("BitBtnAutoScan")->click();
      EXPECT_FALSE(abort->isVisible());
      ticked = 0;
      for (int row = 0; row < grid->rowCount(); ++row) ticked += !grid->item(row, 0)->icon().isNull();
      form.findChild<QPushButton*>("BitBtnOK")->click();
    });
    App().Dispatcher().ExecuteCommand(commands::TCommand::Setup);
  }
  EXPECT_GT(test::ProgramChannels().ValidCount(), 0) << "the virtual card's stations were found";
  EXPECT_EQ(ticked, test::ProgramChannels().ValidCount());
  EXPECT_EQ(progress, settings::TChannelInfo::kChannelCount);
  EXPECT_TRUE(PictureRuns());

  // Another language takes effect at once and tells the scheduler.
  {
    ModalAnswer<TFormConfig> answer([&](TFormConfig& form) {
      auto* language = form.findChild<QComboBox*>("ComboBoxMultiLanguageOption");
      for (const char* name : {"German", "Chinese"}) language->setCurrentIndex(language->findText(name));
      EXPECT_EQ(form.windowTitle(), settings::MultiLangInfo->LookupCaption("Setup"));
      EXPECT_NE(form.windowTitle(), "Setup");
      form.findChild<QPushButton*>("BitBtnOK")->click();
    });
    App().Dispatcher().ExecuteCommand(commands::TCommand::Setup);
  }
  EXPECT_TRUE(WaitUntil([&] {
    const auto seen = scheduler.Messages();
    return std::count(seen.begin(), seen.end(), int(ipc::kMsgLanguageChanged)) == 2;
  }));
  EXPECT_EQ(settings::MultiLangInfo->LanguageName, "Chinese");
}

}  // namespace
}  // namespace pvx::test

// The TV setup wizard opened by its command on the running program and the virtual card.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include "FormTestSupport.h"
#include "ShellFixture.h"
#include "commands/CommandTable.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "tuning/FormTVSetupWizard.h"

namespace pvx::test {
namespace {

using settings::ChannelInfo;

TEST_F(Shell, TheSetupWizardCommandScansTheAntennaTableAndEndsInLiveTV) {
  ASSERT_TRUE(Start());
  ChannelInfo->AntennaChannels.fill({});
  {
    ModalAnswer<tuning::TFormTVSetupWizard> answer([](tuning::TFormTVSetupWizard& wizard) {
      auto click = [&](const char* name) { wizard.findChild<QAbstractButton*>(name)->click(); };
      click("BitBtnNext");
      click("RadioButtonAntenna");
      click("BitBtnNext");
      click("BitBtnStart");
      click("BitBtnFinish");
    });
    App().Dispatcher().ExecuteCommand(commands::TCommand::TVSetupWizard);
  }
  EXPECT_EQ(ChannelInfo->CableTypeChoice, 0);
  EXPECT_GT(ChannelInfo->ValidCount(), 0) << "the virtual card's stations were found";
  EXPECT_TRUE(PictureRuns());
}

}  // namespace
}  // namespace pvx::test

// The running shell has a handler for every row of the command table and every menu item, and
// the table's keys reach those handlers from the main window.

#include <gtest/gtest.h>

#include <QTest>
#include <tuple>

#include "ShellFixture.h"
#include "app/KeyboardMap.h"
#include "app/MainMenu.h"
#include "commands/CommandTable.h"
#include "settings/ChannelInfo.h"

using namespace pvx;
using commands::TCommand;
using settings::ChannelInfo;
using test::Shell;
using test::WaitUntil;

TEST_F(Shell, EveryRowOfTheCommandTableAndEveryEnabledMenuItemHasAHandler) {
  ASSERT_TRUE(Start());
  for (const commands::TCommandDef& c : commands::CommandTable())
    EXPECT_TRUE(App().Dispatcher().Has(c.code)) << c.name;
  EXPECT_TRUE(App().Dispatcher().MissingHandlers().empty());
  // A shown item without an action of its own sends a row's command; a disabled one says why.
  int walked = 0;
  for (QAction* item : Window().PopupMainMenu()->findChildren<QAction*>()) {
    if (item->isSeparator() || item->menu() || !item->isVisible()) continue;
    if (!item->isEnabled()) {
      EXPECT_FALSE(item->toolTip().isEmpty()) << item->objectName().toStdString() << " says why";
      continue;
    }
    ++walked;
    EXPECT_TRUE(app::TMainMenu::HasOwnAction(item) || app::TMainMenu::CommandOf(item)) << item->objectName().toStdString();
  }
  EXPECT_GT(walked, 15);
  EXPECT_TRUE(Window().PopupMainMenu()->Item("itemConfig")->isEnabled()) << "the settings dialog opens";
}

// A row's key from the table, pressed in the main window, runs that row's command and shows.
TEST_F(Shell, TheTableKeysRunTheirCommandsInTheMainWindow) {
  ASSERT_TRUE(Start());
  std::vector<TCommand> ran;
  App().Dispatcher().OnCommand = [&](TCommand code, app::TCommandResult result) {
    if (result == app::TCommandResult::Ran) ran.push_back(code);
  };
  const int channel = ChannelInfo->CurrentChannel();
  // The command, which of its keys, and what it shows.
  const std::tuple<TCommand, int, std::function<bool()>> rows[] = {
      {TCommand::NextChannel, 1, [&] { return ChannelInfo->CurrentChannel() != channel; }},
      {TCommand::PreviousChannel, 0, [&] { return ChannelInfo->CurrentChannel() == channel; }},
      {TCommand::VolumeUp, 0, [&] { return OSDText().startsWith("Volume"); }},
      {TCommand::Mute, 0, [&] { return OSDText() == "Mute ON"; }},
  };
  for (const auto& [command, which, shows] : rows) {
    const std::string_view key = commands::FindCommand(command).keys[size_t(which)];
    const std::optional<app::TKeyChord> chord = app::ParseKey(key);
    ASSERT_TRUE(chord) << key;
    ran.clear();
    QTest::keyClick(&Window(), Qt::Key(chord->key), chord->modifiers);
    EXPECT_TRUE(WaitUntil([&] { return !ran.empty() && shows(); })) << key;
    EXPECT_EQ(ran, std::vector{command}) << key;
  }
}

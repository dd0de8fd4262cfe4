#include "app/KeyboardMap.h"

#include <gtest/gtest.h>

using namespace pvx::app;

TEST(KeyboardMap, FunctionAndArrowKeys) {
  const std::pair<int, int> rows[] = {
      {Qt::Key_F1, 11},   {Qt::Key_F2, 6000}, {Qt::Key_F3, 403},  {Qt::Key_F4, 1000},
      {Qt::Key_F5, 2},    {Qt::Key_F6, 1001}, {Qt::Key_F7, 3000}, {Qt::Key_F8, 2000},
      {Qt::Key_F9, 7},    {Qt::Key_F10, 12},  {Qt::Key_F11, 10},  {Qt::Key_F12, kKeyPopupMenu},
      {Qt::Key_Up, 4001}, {Qt::Key_Down, 4002}, {Qt::Key_Right, 401}, {Qt::Key_Left, 402},
      {Qt::Key_Backspace, 4003}, {Qt::Key_Escape, kKeyEscape}, {Qt::Key_A, kKeyNone}};
  for (const auto& [key, command] : rows) {
    EXPECT_EQ(CommandForKey(key, Qt::NoModifier, false, false), command) << key;
    EXPECT_EQ(CommandForKey(key, Qt::ShiftModifier, false, false), command) << "any modifier";
  }
}

TEST(KeyboardMap, KeypadPlusAndMinusDependOnModifiers) {
  EXPECT_EQ(CommandForKey(Qt::Key_Plus, Qt::ShiftModifier, true, false), 401);
  EXPECT_EQ(CommandForKey(Qt::Key_Plus, Qt::ControlModifier, true, false), 1006);
  EXPECT_EQ(CommandForKey(Qt::Key_Plus, Qt::ShiftModifier | Qt::ControlModifier, true, false), 401);
  EXPECT_EQ(CommandForKey(Qt::Key_Plus, Qt::NoModifier, true, false), 4001);
  EXPECT_EQ(CommandForKey(Qt::Key_Minus, Qt::ShiftModifier, true, false), 402);
  EXPECT_EQ(CommandForKey(Qt::Key_Minus, Qt::ControlModifier, true, false), 1007);
  EXPECT_EQ(CommandForKey(Qt::Key_Minus, Qt::NoModifier, true, false), 4002);
  EXPECT_EQ(CommandForKey(Qt::Key_Plus, Qt::NoModifier, false, false), kKeyNone) << "not the keypad";
}

TEST(KeyboardMap, ControlKeysAndInsert) {
  EXPECT_EQ(CommandForKey(Qt::Key_F, Qt::ControlModifier, false, false), kKeyEnterFullScreen);
  EXPECT_EQ(CommandForKey(Qt::Key_F, Qt::NoModifier, false, false), kKeyNone);
  EXPECT_EQ(CommandForKey(Qt::Key_P, Qt::ControlModifier, false, false), 3001);
  EXPECT_EQ(CommandForKey(Qt::Key_I, Qt::ControlModifier, false, false), kKeyTogglePIP);
  EXPECT_EQ(CommandForKey(Qt::Key_V, Qt::ControlModifier | Qt::AltModifier, false, false), kKeyShowVersion);
  EXPECT_EQ(CommandForKey(Qt::Key_V, Qt::ControlModifier, false, false), kKeyNone);
  EXPECT_EQ(CommandForKey(Qt::Key_Insert, Qt::NoModifier, false, false), 4005);
  EXPECT_EQ(CommandForKey(Qt::Key_Insert, Qt::NoModifier, false, true), 6005);
}

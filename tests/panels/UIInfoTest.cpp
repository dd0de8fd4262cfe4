#include <gtest/gtest.h>

#include "panels/UIInfo.h"

namespace pvx::panels {
namespace {

struct HitCase {
  const char* table;
  int x, y;
  int expected;
};

class UIInfoHitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(UIInfoHitTest, FirstItemHoldingThePointWins) {
  const TUIInfo ui;
  const HitCase& c = GetParam();
  const std::string table = c.table;
  const int got = table == "tv" ? ui.HitTestTV(c.x, c.y) : table == "fm" ? ui.HitTestFM(c.x, c.y) : ui.HitTestMenu(c.x, c.y);
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Points, UIInfoHitTest,
                         ::testing::Values(HitCase{"tv", 200, 170, 37},  // the mute indicator
                                           HitCase{"tv", 10, 10, 40},    // nothing
                                           HitCase{"tv", 200, 163, 28},  // mute button over the indicator
                                           HitCase{"tv", 53, 108, 40},   // right edge of "1" is outside it
                                           HitCase{"tv", 55, 108, 13},   // left edge of "2" is inside it
                                           HitCase{"tv", 30, 124, 40},   // bottom edge of "1"
                                           HitCase{"tv", 0, 0, 40},      // the empty rectangles hold nothing
                                           HitCase{"fm", 70, 113, 36},   // the dial
                                           HitCase{"fm", 281, 113, 38},  // just past the dial
                                           HitCase{"fm", 0, 0, 38},
                                           HitCase{"menu", 13, 5, 2},    // the gap between the two
                                           HitCase{"menu", 14, 5, 1},
                                           HitCase{"menu", 0, 0, 0}));

TEST(UIInfo, ItemsRunTheirCommandsOnlyWhenTheyHaveOne) {
  TUIInfo ui;
  std::vector<int> ran;
  ui.ExecuteCommand = [&](int code) { ran.push_back(code); };
  ui.ExecuteTVItem(3);    // source
  ui.ExecuteTVItem(10);   // iEPG: no command
  ui.ExecuteTVItem(37);   // mute indicator
  ui.ExecuteTVItem(38);   // position bar: beyond the command items
  ui.ExecuteTVItem(40);
  ui.ExecuteFMItem(6);
  ui.ExecuteFMItem(33);
  ui.ExecuteFMItem(34);
  ui.ExecuteMenuItem(1);
  ui.ExecuteMenuItem(2);
  EXPECT_EQ(ran, (std::vector<int>{200, 403, 6000, 403, 3}));
}

TEST(UIInfo, LanguageTextsReplaceTheHintsOfEveryItemNamingTheKey) {
  TUIInfo ui;
  ui.ApplyLanguage([](const QString& key) {
    if (key == "Minimize") return QStringLiteral("Minimieren");
    if (key == "Play") return QStringLiteral("Wiedergabe");
    return QString();
  });
  EXPECT_EQ(ui.TVItems[0].Hint, "Minimieren");
  EXPECT_EQ(ui.FMItems[0].Hint, "Minimieren");
  EXPECT_EQ(ui.MenuItems[0].Hint, "Minimieren");
  EXPECT_EQ(ui.TVItems[29].Hint, "Wiedergabe");
  EXPECT_EQ(ui.FMItems[26].Hint, "Wiedergabe");
  EXPECT_EQ(ui.TVItems[1].Hint, "Close");  // the language lacks "Exit"
  EXPECT_EQ(ui.TVItems[12].Hint, "1");     // no key: the built-in hint stays
  EXPECT_FALSE(ui.TVItems[0].Enabled);
  EXPECT_TRUE(ui.MenuItems[0].Enabled);
}

}  // namespace
}  // namespace pvx::panels

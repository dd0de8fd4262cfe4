#include <gtest/gtest.h>

#include <QStringList>

#include "panels/UIInfo.h"

namespace pvx::panels {
namespace {

TEST(UIInfo, TheFirstItemHoldingThePointWins) {
  const TUIInfo ui;
  const struct { char table; int x, y, expected; } rows[] = {
      {'t', 200, 170, 37},  // the mute indicator
      {'t', 10, 10, 40},    // nothing
      {'t', 200, 163, 28},  // mute button over the indicator
      {'t', 53, 108, 40},   // right edge of "1" is outside it
      {'t', 55, 108, 13},   // left edge of "2" is inside it
      {'t', 30, 124, 40},   // bottom edge of "1"
      {'t', 0, 0, 40},      // the empty rectangles hold nothing
      {'f', 70, 113, 36},   // the dial
      {'f', 281, 113, 38},  // just past the dial
      {'f', 0, 0, 38},
      {'m', 13, 5, 2},  // the gap between the two
      {'m', 14, 5, 1},
      {'m', 0, 0, 0},
  };
  for (const auto& r : rows) {
    const int got = r.table == 't' ? ui.HitTestTV(r.x, r.y) : r.table == 'f' ? ui.HitTestFM(r.x, r.y)
                                                                                : ui.HitTestMenu(r.x, r.y);
    EXPECT_EQ(got, r.expected) << r.table << " " << r.x << "," << r.y;
  }
}

TEST(UIInfo, ItemsRunTheirCommandsOnlyWhenTheyHaveOne) {
  TUIInfo ui;
  std::vector<int> ran;
  ui.ExecuteCommand = [&](int code) { ran.push_back(code); };
  // The source; iEPG, without a command; the mute indicator; the position bar, past the command
  // items; no item.
  for (int item : {3, 10, 37, 38, 40}) ui.ExecuteTVItem(item);
  for (int item : {6, 33, 34}) ui.ExecuteFMItem(item);
  for (int item : {1, 2}) ui.ExecuteMenuItem(item);
  EXPECT_EQ(ran, (std::vector<int>{200, 403, 6000, 403, 3}));
}

TEST(UIInfo, LanguageTextsReplaceTheHintsOfEveryItemNamingTheKey) {
  TUIInfo ui;
  ui.ApplyLanguage([](const QString& key) {
    if (key == "Minimize") return QStringLiteral("Minimieren");
    if (key == "Play") return QStringLiteral("Wiedergabe");
    return QString();
  });
  // Minimize and Play in every table; "Exit", which the language lacks, and the "1" key, which has
  // no language key, keep their built-in hints.
  EXPECT_EQ(QStringList({ui.TVItems[0].Hint, ui.FMItems[0].Hint, ui.MenuItems[0].Hint, ui.TVItems[29].Hint,
                         ui.FMItems[26].Hint, ui.TVItems[1].Hint, ui.TVItems[12].Hint}),
            QStringList({"Minimieren", "Minimieren", "Minimieren", "Wiedergabe", "Wiedergabe", "Close",
                         "1"}));
  EXPECT_FALSE(ui.TVItems[0].Enabled);
  EXPECT_TRUE(ui.MenuItems[0].Enabled);
}

}  // namespace
}  // namespace pvx::panels

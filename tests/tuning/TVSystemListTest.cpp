#include "tuning/TVSystemList.h"

#include <gtest/gtest.h>

using namespace pvx::tuning;

TEST(TVSystemList, EntriesInListOrder) {
  struct Row {
    const char* text;
    int table, standard, code;
  };
  const Row rows[kTVSystemCount] = {
      {"NTSC", 0, 0, 1},      {"NTSC_J", 7, 1, 81},   {"PAL_BG", 3, 2, 49},
      {"PAL_DK", 4, 3, 86},   {"PAL_I", 5, 4, 44},    {"PAL_M", 0, 5, 55},
      {"PAL_N", 0, 6, 591},   {"SECAM_BG", 3, 7, 20}, {"SECAM_DK", 4, 8, 242},
      {"SECAM_L", 6, 9, 33},  {"PAL/SECAM", 21, 8, 36},
  };
  QStringList texts;
  for (int position = 0; position < kTVSystemCount; ++position) {
    const Row& row = rows[position];
    const TTuningEntry entry = TVSystemEntry(position);
    EXPECT_EQ(entry.Text, row.text);
    EXPECT_EQ(entry.TableIndex, row.table) << row.text;
    EXPECT_EQ(entry.Standard, row.standard) << row.text;
    EXPECT_EQ(entry.CountryCode, row.code) << row.text;
    texts << row.text;
  }
  EXPECT_EQ(TVSystemTexts(), texts);
}

TEST(TVSystemList, AnyOtherSelectionGivesTheDefaultChoice) {
  // 11 is also what the channel object stores for "chosen by country".
  for (int position : {-1, 11, 12, 255}) {
    const TTuningEntry entry = TVSystemEntry(position);
    EXPECT_TRUE(entry.Text.isEmpty()) << position;
    EXPECT_EQ(entry.TableIndex, 0) << position;
    EXPECT_EQ(entry.Standard, 0) << position;
    EXPECT_EQ(entry.CountryCode, 1) << position;
  }
}

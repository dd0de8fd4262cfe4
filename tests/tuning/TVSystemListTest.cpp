#include <gtest/gtest.h>

#include "tuning/TVSystemList.h"

using namespace pvx::tuning;

namespace {
QList<int> Values(const TTuningEntry& e) { return {e.TableIndex, e.Standard, e.CountryCode}; }
}  // namespace

TEST(TVSystemList, EntriesInListOrderAndTheDefaultChoiceOutsideIt) {
  struct Row {
    const char* text;
    QList<int> values;  // table, standard, country code
  };
  // clang-format off
  const Row rows[kTVSystemCount] = {
      {"NTSC", {0, 0, 1}},        {"NTSC_J", {7, 1, 81}},     {"PAL_BG", {3, 2, 49}},
      {"PAL_DK", {4, 3, 86}},     {"PAL_I", {5, 4, 44}},      {"PAL_M", {0, 5, 55}},
      {"PAL_N", {0, 6, 591}},     {"SECAM_BG", {3, 7, 20}},   {"SECAM_DK", {4, 8, 242}},
      {"SECAM_L", {6, 9, 33}},    {"PAL/SECAM", {21, 8, 36}},
  };
  // clang-format on
  QStringList texts;
  for (int position = 0; position < kTVSystemCount; ++position) {
    EXPECT_EQ(TVSystemEntry(position).Text, rows[position].text);
    EXPECT_EQ(Values(TVSystemEntry(position)), rows[position].values) << rows[position].text;
    texts << rows[position].text;
  }
  EXPECT_EQ(TVSystemTexts(), texts);
  // 11 is also what the channel object stores for "chosen by country".
  for (int position : {-1, 11, 12, 255}) {
    EXPECT_TRUE(TVSystemEntry(position).Text.isEmpty()) << position;
    EXPECT_EQ(Values(TVSystemEntry(position)), QList<int>({0, 0, 1})) << position;
  }
}

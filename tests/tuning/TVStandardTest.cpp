#include <gtest/gtest.h>

#include "tuning/TVStandard.h"

using namespace pvx::tuning;

TEST(TVStandard, TunerStandardsAndIndexesBothWays) {
  // clang-format off
  const std::pair<int, int> rows[] = {
      {0x1, 0},    {0x2, 1},    {0x10, 2},   {0x20, 3},     {0x100, 4},   {0x200, 5},
      {0x400, 6},  {0x1000, 7}, {0x4000, 7}, {0x2000, 8},   {0x10000, 8}, {0x40000, 9},
      // No index: other single standards, combinations and nothing.
      {0x4, 11},   {0x80, 11},  {0x800, 11}, {0x80000, 11}, {0x11, 11},   {0, 11}, {-1, 11},
  };
  // clang-format on
  int next = 0;  // the first standard of each index is the one the index stands for
  for (const auto& [standard, index] : rows) {
    EXPECT_EQ(StandardIndexOf(standard), index) << std::hex << standard;
    if (index == next) EXPECT_EQ(TunerStandardOf(next++), standard) << index;
  }
  EXPECT_EQ(next, kStandardCount);
  EXPECT_EQ(StandardIndexOf(AnalogVideo_SECAM_K), StandardIndexOf(AnalogVideo_SECAM_D));
  EXPECT_EQ(StandardIndexOf(TunerStandardOf(kNoStandardIndex)), kNoStandardIndex);
  for (int index : {-1, 10, 11, 255}) EXPECT_EQ(TunerStandardOf(index), AnalogVideo_None) << index;
}

#include "tuning/TVSystemList.h"

namespace pvx::tuning {
namespace {

struct SystemRow {
  const char* text;
  quint8 table;
  quint8 standard;
  qint32 code;
};

constexpr SystemRow kSystems[kTVSystemCount] = {
    {"NTSC", 0, 0, 1},       {"NTSC_J", 7, 1, 81},    {"PAL_BG", 3, 2, 49},
    {"PAL_DK", 4, 3, 86},    {"PAL_I", 5, 4, 44},     {"PAL_M", 0, 5, 55},
    {"PAL_N", 0, 6, 591},    {"SECAM_BG", 3, 7, 20},  {"SECAM_DK", 4, 8, 242},
    {"SECAM_L", 6, 9, 33},   {"PAL/SECAM", 21, 8, 36},
};

}  // namespace

QStringList TVSystemTexts() {
  QStringList texts;
  for (const SystemRow& row : kSystems) texts << QString::fromLatin1(row.text);
  return texts;
}

TTuningEntry TVSystemEntry(int position) {
  if (position < 0 || position >= kTVSystemCount) return {};
  const SystemRow& row = kSystems[position];
  return {QString::fromLatin1(row.text), row.table, row.standard, row.code};
}

}  // namespace pvx::tuning

#include "tuning/TVStandard.h"

#include <array>

namespace pvx::tuning {
namespace {

constexpr std::array<int, kStandardCount> kTunerStandards = {
    AnalogVideo_NTSC_M, AnalogVideo_NTSC_M_J, AnalogVideo_PAL_B,   AnalogVideo_PAL_D,
    AnalogVideo_PAL_I,  AnalogVideo_PAL_M,    AnalogVideo_PAL_N,   AnalogVideo_SECAM_B,
    AnalogVideo_SECAM_D, AnalogVideo_SECAM_L};

}  // namespace

int StandardIndexOf(int tunerStandard) {
  switch (tunerStandard) {
    case AnalogVideo_SECAM_G:
      return 7;
    case AnalogVideo_SECAM_K:
      return 8;
    default:
      break;
  }
  for (int index = 0; index < kStandardCount; ++index) {
    if (kTunerStandards[index] == tunerStandard) return index;
  }
  return kNoStandardIndex;
}

int TunerStandardOf(int standardIndex) {
  if (standardIndex < 0 || standardIndex >= kStandardCount) return AnalogVideo_None;
  return kTunerStandards[standardIndex];
}

}  // namespace pvx::tuning

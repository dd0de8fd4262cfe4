#pragma once
// The tuner's analogue video standards (one bit each) and the TV standard index 0..9 the
// channel tables and the dialogs use.

namespace pvx::tuning {

enum TAnalogVideoStandard : int {
  AnalogVideo_None = 0,
  AnalogVideo_NTSC_M = 0x1,
  AnalogVideo_NTSC_M_J = 0x2,
  AnalogVideo_PAL_B = 0x10,
  AnalogVideo_PAL_D = 0x20,
  AnalogVideo_PAL_I = 0x100,
  AnalogVideo_PAL_M = 0x200,
  AnalogVideo_PAL_N = 0x400,
  AnalogVideo_SECAM_B = 0x1000,
  AnalogVideo_SECAM_D = 0x2000,
  AnalogVideo_SECAM_G = 0x4000,
  AnalogVideo_SECAM_K = 0x10000,
  AnalogVideo_SECAM_L = 0x40000,
};

// Indexes 0..9: NTSC-M, NTSC-J, PAL-B/G, PAL-D/K, PAL-I, PAL-M, PAL-N, SECAM-B/G, SECAM-D/K, SECAM-L.
inline constexpr int kStandardCount = 10;
// What a tuner standard without an index maps to.
inline constexpr int kNoStandardIndex = 11;

// Standard index of a tuner standard; SECAM_G shares 7 with SECAM_B and SECAM_K shares 8 with
// SECAM_D. Any other value gives kNoStandardIndex.
int StandardIndexOf(int tunerStandard);

// The tuner standard a standard index is set as (PAL_B for PAL-B/G, SECAM_D for SECAM-D/K ...);
// AnalogVideo_None for an index outside 0..9, which sets nothing.
int TunerStandardOf(int standardIndex);

}  // namespace pvx::tuning

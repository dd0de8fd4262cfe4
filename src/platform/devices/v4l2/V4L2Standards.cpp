#include "platform/devices/v4l2/V4L2Standards.h"

#include <linux/videodev2.h>

namespace pvx::platform::devices::v4l2 {
namespace {

struct StdRow {
  int standard;
  quint64 v4l2;
};

// In the order a reported set is read back: the first row it meets wins.
constexpr StdRow kStandards[] = {
    {0x1, V4L2_STD_NTSC_M},
    {0x2, V4L2_STD_NTSC_M_JP},
    {0x4, V4L2_STD_NTSC_443},
    {0x10, V4L2_STD_PAL_B | V4L2_STD_PAL_B1},
    {0x20, V4L2_STD_PAL_D | V4L2_STD_PAL_D1 | V4L2_STD_PAL_K},
    {0x40, V4L2_STD_PAL_G},
    {0x80, V4L2_STD_PAL_H},
    {0x100, V4L2_STD_PAL_I},
    {0x200, V4L2_STD_PAL_M},
    {0x400, V4L2_STD_PAL_N},
    {0x800, V4L2_STD_PAL_60},
    {0x1000, V4L2_STD_SECAM_B},
    {0x2000, V4L2_STD_SECAM_D},
    {0x4000, V4L2_STD_SECAM_G},
    {0x8000, V4L2_STD_SECAM_H},
    {0x10000, V4L2_STD_SECAM_K},
    {0x20000, V4L2_STD_SECAM_K1},
    {0x40000, V4L2_STD_SECAM_L},
    {0x80000, V4L2_STD_SECAM_LC},
    {0x100000, V4L2_STD_PAL_Nc},
};

}  // namespace

quint64 V4L2StdOf(int standard) {
  for (const StdRow& r : kStandards)
    if (r.standard == standard) return r.v4l2;
  return 0;
}

int StandardsOf(quint64 v4l2Std) {
  int out = 0;
  for (const StdRow& r : kStandards)
    if (r.v4l2 & v4l2Std) out |= r.standard;
  return out;
}

int StandardOf(quint64 v4l2Std) {
  for (const StdRow& r : kStandards)
    if (r.v4l2 & v4l2Std) return r.standard;
  return 0;
}

bool IsNtscLike(int standard) { return (standard & (0x1 | 0x2 | 0x4 | 0x200 | 0x800)) != 0; }

}  // namespace pvx::platform::devices::v4l2

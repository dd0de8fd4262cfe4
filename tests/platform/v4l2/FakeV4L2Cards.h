#pragma once
// Scripted capture cards behind the V4L2 call layer: they answer with canned structures,
// keep the state a driver would, record every call, and fail a call or vanish on request.

#include <linux/videodev2.h>

#include <map>
#include <vector>

#include "platform/devices/v4l2/V4L2Io.h"

namespace pvx::test {

struct TFakeNode {
  QString Path;
  v4l2_capability Cap{};
  std::vector<v4l2_input> Inputs;
  std::vector<v4l2_standard> Standards;
  std::vector<v4l2_tuner> Tuners;
  std::vector<v4l2_fmtdesc> Formats;
  std::map<quint32, std::vector<v4l2_frmsizeenum>> Sizes;
  std::map<quint32, v4l2_queryctrl> Controls;
  // Driver state.
  std::map<quint32, int> Values;
  int Input = 0;
  v4l2_std_id Std = 0;
  quint32 Frequency = 0;
  int OpenError = 0;               // what Open answers (-EBUSY ...)
  std::map<unsigned long, int> Fail;  // request -> -errno
  bool Gone = false;               // unplugged: ENODEV to calls, ENOENT to Open
};

class TFakeV4L2Io final : public platform::devices::v4l2::IV4L2Io {
 public:
  int Open(const QString& path) override;
  void Close(int handle) override;
  int Ioctl(int handle, unsigned long request, void* arg) override;
  QStringList ListNodes() const override;
  TFakeNode& Node(const QString& path);

  std::vector<TFakeNode> Nodes;
  QStringList Calls;  // "video0 S_INPUT 2"
  int OpenHandles = 0;

 private:
  std::map<int, size_t> handles_;
  int next_ = 3;
};

// A bttv card: tuner, composite and S-Video, NTSC and PAL, stereo, and its radio node.
TFakeNode BttvCard(const QString& path = "/dev/video0");
TFakeNode BttvRadio(const QString& path = "/dev/radio0");
// An em28xx grabber without a tuner: composite and S-Video, no standards beyond PAL/NTSC.
TFakeNode Em28xxCard(const QString& path = "/dev/video1");

}  // namespace pvx::test

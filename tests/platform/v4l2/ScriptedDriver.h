#pragma once
// A scripted V4L2 driver for the real-card backend: canned structures, the state a driver keeps,
// a record of the calls that change it, and calls that fail or a node that vanishes on request;
// and a machine with a TV card, its radio node, a capture stick and a metadata-only node.

#include <linux/videodev2.h>

#include <QFileInfo>
#include <cerrno>
#include <map>
#include <vector>

#include "platform/devices/v4l2/V4L2DeviceProvider.h"
#include "platform/virtual/VirtualRig.h"

namespace pvx::test {

using platform::devices::v4l2::IV4L2Io;
using platform::devices::v4l2::TV4L2DeviceProvider;
using platform::graph::TFilterGraph;

struct TFakeNode {
  QString Path;
  v4l2_capability Cap{};
  std::vector<v4l2_input> Inputs;
  std::vector<v4l2_standard> Standards;
  std::vector<v4l2_tuner> Tuners;
  std::vector<v4l2_fmtdesc> Formats;
  std::map<quint32, std::vector<v4l2_frmsizeenum>> Sizes;
  std::map<quint32, v4l2_queryctrl> Controls;
  std::map<quint32, int> Values;
  int Input = 0;
  v4l2_std_id Std = V4L2_STD_NTSC_M;
  quint32 Frequency = 0;
  int OpenError = 0;                  // what Open answers (-EBUSY ...)
  std::map<unsigned long, int> Fail;  // request -> -errno
  bool Gone = false;                  // unplugged: ENODEV to calls, ENOENT to Open
};

// Entry `index` of an enumeration, else EINVAL.
template <typename T>
inline int Entry(const std::vector<T>& list, void* arg) {
  T& entry = *static_cast<T*>(arg);
  const quint32 index = entry.index;
  return index < list.size() ? entry = list[index], entry.index = index, 0 : -EINVAL;
}

struct TFakeV4L2Io final : IV4L2Io {
  int Open(const QString& path) override {
    for (size_t i = 0; i < Nodes.size(); ++i) {
      if (Nodes[i].Path != path || Nodes[i].Gone) continue;
      if (Nodes[i].OpenError) return Nodes[i].OpenError;
      Handles[NextHandle] = i;
      return NextHandle++;
    }
    return -ENOENT;
  }
  void Close(int handle) override { Handles.erase(handle); }
  int Ioctl(int handle, unsigned long request, void* arg) override;
  QStringList ListNodes() const override {
    QStringList out;
    for (const TFakeNode& n : Nodes) out << n.Path;
    return out;
  }

  std::vector<TFakeNode> Nodes;
  QStringList Calls;  // "video0 S_INPUT 2"
  int OpenHandles() const { return int(Handles.size()); }
  std::map<int, size_t> Handles;  // open handle -> node
  int NextHandle = 3;
};

inline int TFakeV4L2Io::Ioctl(int handle, unsigned long request, void* arg) {
  if (!Handles.count(handle)) return -EBADF;
  TFakeNode& n = Nodes[Handles[handle]];
  if (n.Gone || n.Fail.count(request)) return n.Gone ? -ENODEV : n.Fail[request];
  auto log = [&](const char* name, qint64 value) {
    Calls << QStringLiteral("%1 %2 %3").arg(QFileInfo(n.Path).fileName(), name).arg(value);
    return 0;
  };
  auto* control = static_cast<v4l2_control*>(arg);
  auto known = [&] { return n.Controls.count(control->id) > 0; };
  switch (request) {
    case VIDIOC_QUERYCAP: return *static_cast<v4l2_capability*>(arg) = n.Cap, 0;
    case VIDIOC_ENUMINPUT: return Entry(n.Inputs, arg);
    case VIDIOC_ENUMSTD: return Entry(n.Standards, arg);
    case VIDIOC_G_TUNER: return Entry(n.Tuners, arg);
    case VIDIOC_ENUM_FMT: return Entry(n.Formats, arg);
    case VIDIOC_ENUM_FRAMESIZES:
      return Entry(n.Sizes[static_cast<v4l2_frmsizeenum*>(arg)->pixel_format], arg);
    case VIDIOC_G_INPUT: return *static_cast<int*>(arg) = n.Input, 0;
    case VIDIOC_S_INPUT:
      if (quint32(*static_cast<int*>(arg)) >= n.Inputs.size()) return -EINVAL;
      return log("S_INPUT", n.Input = *static_cast<int*>(arg));
    case VIDIOC_G_STD: return *static_cast<v4l2_std_id*>(arg) = n.Std, 0;
    case VIDIOC_S_STD: return log("S_STD", qint64(n.Std = *static_cast<v4l2_std_id*>(arg)));
    case VIDIOC_G_FREQUENCY: return static_cast<v4l2_frequency*>(arg)->frequency = n.Frequency, 0;
    case VIDIOC_S_FREQUENCY:
      return log("S_FREQUENCY", n.Frequency = static_cast<v4l2_frequency*>(arg)->frequency);
    case VIDIOC_S_TUNER:
      return log("S_TUNER", n.Tuners.at(0).audmode = static_cast<v4l2_tuner*>(arg)->audmode);
    case VIDIOC_QUERYCTRL:
      return known() ? *static_cast<v4l2_queryctrl*>(arg) = n.Controls[control->id], 0 : -EINVAL;
    case VIDIOC_G_CTRL:
      if (!known()) return -EINVAL;
      control->value = n.Values.count(control->id) ? n.Values[control->id]
                                                    : n.Controls[control->id].default_value;
      return 0;
    case VIDIOC_S_CTRL: return known() ? log("S_CTRL", n.Values[control->id] = control->value) : -EINVAL;
    default: return -ENOTTY;
  }
}

// A TV card: tuner, composite and S-Video inputs, three standards, four colour controls.
inline TFakeNode BttvCard(const QString& path = "/dev/video0") {
  TFakeNode n{.Path = path, .Cap = {.driver = "bttv", .card = "BT878 video (Hauppauge (bt878))",
                                     .bus_info = "PCI:0000:05:00.0", .capabilities = V4L2_CAP_VIDEO_CAPTURE}};
  n.Inputs = {{.name = "Television", .type = V4L2_INPUT_TYPE_TUNER},
              {.name = "Composite1", .type = V4L2_INPUT_TYPE_CAMERA},
              {.name = "S-Video", .type = V4L2_INPUT_TYPE_CAMERA}};
  for (v4l2_std_id id : {V4L2_STD_NTSC_M, V4L2_STD_PAL_BG, V4L2_STD_PAL_I}) n.Standards.push_back({.id = id});
  // 44 to 958 MHz in 62.5 kHz units.
  n.Tuners = {{.type = V4L2_TUNER_ANALOG_TV, .rangelow = 44 * 16, .rangehigh = 958 * 16,
               .rxsubchans = V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO}};
  for (quint32 f : {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_UYVY, V4L2_PIX_FMT_BGR24})
    n.Formats.push_back({.pixelformat = f});
  for (quint32 id : {V4L2_CID_BRIGHTNESS, V4L2_CID_CONTRAST, V4L2_CID_HUE, V4L2_CID_SATURATION})
    n.Controls[id] = {.id = id, .minimum = 0, .maximum = 65535, .step = 256, .default_value = 32768};
  n.Controls[V4L2_CID_CONTRAST].default_value = 27648;
  return n;
}

// Its radio node: 87.5 to 108 MHz in 62.5 Hz units.
inline TFakeNode BttvRadio() {
  TFakeNode n = BttvCard("/dev/radio0");
  n.Cap.capabilities = V4L2_CAP_RADIO;
  n.Tuners = {{.type = V4L2_TUNER_RADIO, .capability = V4L2_TUNER_CAP_LOW, .rangelow = 1400000,
               .rangehigh = 1728000}};
  return n;
}

// A capture stick: composite and S-Video, YUYV at 720x576 only.
inline TFakeNode Em28xxCard() {
  TFakeNode n = BttvCard("/dev/video1");
  n.Cap = {.driver = "em28xx", .card = "Pinnacle Dazzle DVC 90", .bus_info = "usb-2",
           .capabilities = V4L2_CAP_VIDEO_CAPTURE};
  n.Inputs.erase(n.Inputs.begin());
  n.Tuners.clear();
  n.Formats.resize(1);
  n.Sizes[V4L2_PIX_FMT_YUYV] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {720, 576}}};
  return n;
}

// The TV card (video0), its radio node, the capture stick (video1) and a metadata-only node
// (video2); the capture bins read a test source instead of the nodes.
struct Machine : test::TCardRig<Machine> {
  Machine() {
    TFakeNode meta = Em28xxCard();
    meta.Path = "/dev/video2";
    meta.Cap.capabilities = V4L2_CAP_META_CAPTURE;
    io.Nodes = {BttvCard(), BttvRadio(), Em28xxCard(), meta};
    provider.SourceOverride = "videotestsrc is-live=true";
  }
  TV4L2DeviceProvider& Provider() { return provider; }
  TFakeNode& Bttv() { return io.Nodes[0]; }
  TFakeV4L2Io io;
  TV4L2DeviceProvider provider{io};
  TFilterGraph graph{test::Components()};
};

inline const QString kBttv = "BT878 video (Hauppauge (bt878)) (Conexant 878)";
inline const QString kEm28xx = "Pinnacle Dazzle DVC 90 (Empia 2820)";

}  // namespace pvx::test

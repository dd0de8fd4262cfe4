#include "FakeV4L2Cards.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace pvx::test {
namespace {

template <size_t N>
void Put(__u8 (&field)[N], const char* text) {
  std::strncpy(reinterpret_cast<char*>(field), text, N - 1);
}

v4l2_input Input(quint32 index, const char* name, quint32 type) {
  v4l2_input in{};
  in.index = index;
  Put(in.name, name);
  in.type = type;
  return in;
}

v4l2_queryctrl Control(quint32 id, int min, int max, int step, int def) {
  v4l2_queryctrl q{};
  q.id = id;
  q.minimum = min;
  q.maximum = max;
  q.step = step;
  q.default_value = def;
  return q;
}

// Answers the enumerations: entry `index` of `list`, else EINVAL.
template <typename T>
int Entry(const std::vector<T>& list, quint32 index, void* arg) {
  if (index >= list.size()) return -EINVAL;
  std::memcpy(arg, &list[index], sizeof(T));
  static_cast<T*>(arg)->index = index;
  return 0;
}

}  // namespace

TFakeNode BttvCard(const QString& path) {
  TFakeNode n;
  n.Path = path;
  Put(n.Cap.driver, "bttv");
  Put(n.Cap.card, "BT878 video (Hauppauge (bt878))");
  Put(n.Cap.bus_info, "PCI:0000:05:00.0");
  n.Cap.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_TUNER;
  n.Inputs = {Input(0, "Television", V4L2_INPUT_TYPE_TUNER), Input(1, "Composite1", V4L2_INPUT_TYPE_CAMERA),
              Input(2, "S-Video", V4L2_INPUT_TYPE_CAMERA)};
  for (v4l2_std_id id : {V4L2_STD_NTSC_M, V4L2_STD_PAL_BG, V4L2_STD_PAL_I}) {
    v4l2_standard s{};
    s.id = id;
    n.Standards.push_back(s);
  }
  v4l2_tuner t{};
  Put(t.name, "Television");
  t.type = V4L2_TUNER_ANALOG_TV;
  t.rangelow = 44 * 16;  // 62.5 kHz units
  t.rangehigh = 958 * 16;
  t.rxsubchans = V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO;
  t.audmode = V4L2_TUNER_MODE_MONO;
  n.Tuners = {t};
  for (quint32 f : {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_UYVY, V4L2_PIX_FMT_BGR24}) {
    v4l2_fmtdesc d{};
    d.pixelformat = f;
    n.Formats.push_back(d);
  }
  n.Controls = {{V4L2_CID_BRIGHTNESS, Control(V4L2_CID_BRIGHTNESS, 0, 65535, 256, 32768)},
                {V4L2_CID_CONTRAST, Control(V4L2_CID_CONTRAST, 0, 65535, 256, 27648)},
                {V4L2_CID_HUE, Control(V4L2_CID_HUE, 0, 65535, 256, 32768)},
                {V4L2_CID_SATURATION, Control(V4L2_CID_SATURATION, 0, 65535, 256, 32768)}};
  n.Std = V4L2_STD_NTSC_M;
  return n;
}

TFakeNode BttvRadio(const QString& path) {
  TFakeNode n = BttvCard(path);
  n.Cap.capabilities = V4L2_CAP_RADIO | V4L2_CAP_TUNER;
  n.Tuners[0].type = V4L2_TUNER_RADIO;
  n.Tuners[0].capability = V4L2_TUNER_CAP_LOW;  // 62.5 Hz units
  n.Tuners[0].rangelow = 87500000 / 625 * 10;
  n.Tuners[0].rangehigh = 108000000 / 625 * 10;
  return n;
}

TFakeNode Em28xxCard(const QString& path) {
  TFakeNode n = BttvCard(path);
  Put(n.Cap.driver, "em28xx");
  Put(n.Cap.card, "Pinnacle Dazzle DVC 90");
  Put(n.Cap.bus_info, "usb-0000:00:14.0-2");
  n.Cap.capabilities = V4L2_CAP_VIDEO_CAPTURE;
  n.Inputs = {Input(0, "Composite1", V4L2_INPUT_TYPE_CAMERA), Input(1, "S-Video", V4L2_INPUT_TYPE_CAMERA)};
  n.Tuners.clear();
  n.Formats.resize(1);
  v4l2_frmsizeenum s{};
  s.type = V4L2_FRMSIZE_TYPE_DISCRETE;
  s.discrete = {720, 576};
  n.Sizes[V4L2_PIX_FMT_YUYV] = {s};
  return n;
}

TFakeNode& TFakeV4L2Io::Node(const QString& path) {
  for (TFakeNode& n : Nodes)
    if (n.Path == path) return n;
  return Nodes.front();
}

int TFakeV4L2Io::Open(const QString& path) {
  for (size_t i = 0; i < Nodes.size(); ++i) {
    if (Nodes[i].Path != path) continue;
    if (Nodes[i].Gone) return -ENOENT;
    if (Nodes[i].OpenError) return Nodes[i].OpenError;
    handles_[next_] = i;
    ++OpenHandles;
    return next_++;
  }
  return -ENOENT;
}

void TFakeV4L2Io::Close(int handle) { OpenHandles -= int(handles_.erase(handle)); }

QStringList TFakeV4L2Io::ListNodes() const {
  QStringList out;
  for (const TFakeNode& n : Nodes)
    if (!n.Gone) out << n.Path;
  return out;
}

int TFakeV4L2Io::Ioctl(int handle, unsigned long request, void* arg) {
  if (!handles_.count(handle)) return -EBADF;
  TFakeNode& n = Nodes[handles_[handle]];
  const QString node = QFileInfo(n.Path).fileName();
  auto log = [&](const char* name, qint64 value) { Calls << QStringLiteral("%1 %2 %3").arg(node, name).arg(value); };
  if (n.Gone) return -ENODEV;
  if (n.Fail.count(request)) return n.Fail[request];
  switch (request) {
    case VIDIOC_QUERYCAP: std::memcpy(arg, &n.Cap, sizeof n.Cap); return 0;
    case VIDIOC_ENUMINPUT: return Entry(n.Inputs, static_cast<v4l2_input*>(arg)->index, arg);
    case VIDIOC_ENUMSTD: return Entry(n.Standards, static_cast<v4l2_standard*>(arg)->index, arg);
    case VIDIOC_G_TUNER: return Entry(n.Tuners, static_cast<v4l2_tuner*>(arg)->index, arg);
    case VIDIOC_ENUM_FMT: return Entry(n.Formats, static_cast<v4l2_fmtdesc*>(arg)->index, arg);
    case VIDIOC_ENUM_FRAMESIZES: {
      auto* s = static_cast<v4l2_frmsizeenum*>(arg);
      return Entry(n.Sizes[s->pixel_format], s->index, arg);
    }
    case VIDIOC_G_INPUT: *static_cast<int*>(arg) = n.Input; return 0;
    case VIDIOC_S_INPUT: {
      const int i = *static_cast<int*>(arg);
      if (i < 0 || i >= int(n.Inputs.size())) return -EINVAL;
      log("S_INPUT", n.Input = i);
      return 0;
    }
    case VIDIOC_G_STD: *static_cast<v4l2_std_id*>(arg) = n.Std; return 0;
    case VIDIOC_S_STD: log("S_STD", qint64(n.Std = *static_cast<v4l2_std_id*>(arg))); return 0;
    case VIDIOC_S_FREQUENCY: log("S_FREQUENCY", n.Frequency = static_cast<v4l2_frequency*>(arg)->frequency); return 0;
    case VIDIOC_G_FREQUENCY: static_cast<v4l2_frequency*>(arg)->frequency = n.Frequency; return 0;
    case VIDIOC_S_TUNER: log("S_TUNER", n.Tuners.at(0).audmode = static_cast<v4l2_tuner*>(arg)->audmode); return 0;
    case VIDIOC_QUERYCTRL: {
      auto* q = static_cast<v4l2_queryctrl*>(arg);
      if (!n.Controls.count(q->id)) return -EINVAL;
      *q = n.Controls[q->id];
      return 0;
    }
    case VIDIOC_G_CTRL: {
      auto* c = static_cast<v4l2_control*>(arg);
      if (!n.Controls.count(c->id)) return -EINVAL;
      c->value = n.Values.count(c->id) ? n.Values[c->id] : n.Controls[c->id].default_value;
      return 0;
    }
    case VIDIOC_S_CTRL: {
      auto* c = static_cast<v4l2_control*>(arg);
      if (!n.Controls.count(c->id)) return -EINVAL;
      log("S_CTRL", n.Values[c->id] = c->value);
      return 0;
    }
    default: return -ENOTTY;
  }
}

}  // namespace pvx::test

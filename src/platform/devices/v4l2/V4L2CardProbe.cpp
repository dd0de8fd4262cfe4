#include "platform/devices/v4l2/V4L2CardProbe.h"

#include <linux/videodev2.h>

#include <cerrno>

#include "platform/graph/GraphTypes.h"

namespace pvx::platform::devices::v4l2 {
namespace {

using namespace pvx::platform::graph;

QString Text(const __u8* bytes, size_t size) {
  return QString::fromUtf8(reinterpret_cast<const char*>(bytes), int(qstrnlen(reinterpret_cast<const char*>(bytes), uint(size))));
}

int ConnectorOf(const v4l2_input& in, const QString& name) {
  if (in.type == V4L2_INPUT_TYPE_TUNER) return PhysConn_Video_Tuner;
  const QString n = name.toLower().remove(' ').remove('-');
  if (n.contains("svideo") || n.contains("svhs")) return PhysConn_Video_SVideo;
  if (n.contains("composite") || n.contains("cvbs")) return PhysConn_Video_Composite;
  return PhysConn_Video_AUX;  // a webcam's sensor and the like: the camera route
}

QString SubtypeOf(quint32 pixelFormat) {
  switch (pixelFormat) {
    case V4L2_PIX_FMT_YUYV: return "YUY2";
    case V4L2_PIX_FMT_UYVY: return "UYVY";
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_RGB24: return "RGB24";
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG: return "MJPEG";
    default: return {};
  }
}

TV4L2Band BandOf(const v4l2_tuner& t, quint32 index, bool onRadioNode) {
  TV4L2Band band;
  band.Present = true;
  band.OnRadioNode = onRadioNode;
  band.Tuner = index;
  band.Type = t.type;
  band.UnitHertz = (t.capability & V4L2_TUNER_CAP_LOW) ? 62.5 : 62500.0;
  band.Low = t.rangelow;
  band.High = t.rangehigh;
  return band;
}

// The chip behind each analogue driver, named as the engine's chip detection knows them.
struct DriverChip {
  const char* driver;
  const char* maker;
  const char* chip;
};
constexpr DriverChip kDriverChips[] = {
    {"saa7134", "Philips", "Philips 7134"}, {"cx88", "Conexant", "Conexant 88X"},
    {"cx8800", "Conexant", "Conexant 88X"}, {"bttv", "Conexant", "Conexant 878"},
    {"cx231xx", "Conexant", "Conexant 231xx"}, {"em28xx", "Empia", "Empia 2820"},
};

constexpr quint32 kMaxEntries = 64;  // a driver that never says "no more" stops here

void ReadInputs(IV4L2Io& io, int handle, TV4L2CardInfo& info) {
  for (quint32 i = 0; i < kMaxEntries; ++i) {
    v4l2_input in{};
    in.index = i;
    if (io.Ioctl(handle, VIDIOC_ENUMINPUT, &in) != 0) break;
    const QString name = Text(in.name, sizeof in.name);
    info.Inputs.push_back({name, i, ConnectorOf(in, name)});
  }
}

void ReadStandards(IV4L2Io& io, int handle, TV4L2CardInfo& info) {
  for (quint32 i = 0; i < kMaxEntries; ++i) {
    v4l2_standard s{};
    s.index = i;
    if (io.Ioctl(handle, VIDIOC_ENUMSTD, &s) != 0) break;
    info.StdMask |= s.id;
  }
}

void ReadTuners(IV4L2Io& io, int handle, TV4L2CardInfo& info) {
  for (quint32 i = 0; i < 4; ++i) {
    v4l2_tuner t{};
    t.index = i;
    if (io.Ioctl(handle, VIDIOC_G_TUNER, &t) != 0) break;
    if (t.type == V4L2_TUNER_ANALOG_TV && !info.Tv.Present) info.Tv = BandOf(t, i, false);
    if (t.type == V4L2_TUNER_RADIO && !info.Fm.Present) info.Fm = BandOf(t, i, false);
  }
}

void ReadSizes(IV4L2Io& io, int handle, TV4L2Format& format) {
  for (quint32 s = 0; s < kMaxEntries; ++s) {
    v4l2_frmsizeenum size{};
    size.index = s;
    size.pixel_format = format.PixelFormat;
    if (io.Ioctl(handle, VIDIOC_ENUM_FRAMESIZES, &size) != 0) break;
    if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      format.Sizes.push_back(QSize(int(size.discrete.width), int(size.discrete.height)));
    } else {
      format.Sizes.push_back(QSize(int(size.stepwise.max_width), int(size.stepwise.max_height)));
      break;
    }
  }
}

void ReadFormats(IV4L2Io& io, int handle, TV4L2CardInfo& info) {
  for (quint32 i = 0; i < kMaxEntries; ++i) {
    v4l2_fmtdesc f{};
    f.index = i;
    f.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (io.Ioctl(handle, VIDIOC_ENUM_FMT, &f) != 0) break;
    TV4L2Format format{SubtypeOf(f.pixelformat), f.pixelformat, {}};
    if (format.Subtype.isEmpty()) continue;
    ReadSizes(io, handle, format);
    info.Formats.push_back(format);
  }
}

}  // namespace

QString FriendlyCardName(const QString& card, const QString& driver) {
  for (const DriverChip& d : kDriverChips) {
    if (!driver.startsWith(QLatin1String(d.driver))) continue;
    if (card.contains(QLatin1String(d.maker), Qt::CaseInsensitive)) return card;
    return QStringLiteral("%1 (%2)").arg(card, QLatin1String(d.chip));
  }
  return card;
}

std::optional<TV4L2CardInfo> ProbeVideoNode(IV4L2Io& io, const QString& videoPath) {
  TV4L2CardInfo info;
  const int handle = io.Open(videoPath);
  if (handle == -EBUSY) {
    info.Busy = true;
    info.Name = videoPath;
    return info;
  }
  if (handle < 0) return std::nullopt;
  v4l2_capability cap{};
  const bool ok = io.Ioctl(handle, VIDIOC_QUERYCAP, &cap) == 0;
  const quint32 caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
  const bool capture = ok && (caps & V4L2_CAP_VIDEO_CAPTURE);
  if (capture) {
    info.Name = FriendlyCardName(Text(cap.card, sizeof cap.card), Text(cap.driver, sizeof cap.driver));
    info.BusInfo = Text(cap.bus_info, sizeof cap.bus_info);
    ReadInputs(io, handle, info);
    ReadStandards(io, handle, info);
    ReadTuners(io, handle, info);
    ReadFormats(io, handle, info);
  }
  io.Close(handle);
  if (!capture) return std::nullopt;
  return info;
}

std::optional<std::pair<QString, TV4L2Band>> ProbeRadioNode(IV4L2Io& io, const QString& path) {
  const int handle = io.Open(path);
  if (handle < 0) return std::nullopt;
  v4l2_capability cap{};
  v4l2_tuner t{};
  const bool ok = io.Ioctl(handle, VIDIOC_QUERYCAP, &cap) == 0 && io.Ioctl(handle, VIDIOC_G_TUNER, &t) == 0;
  io.Close(handle);
  if (!ok || t.type != V4L2_TUNER_RADIO) return std::nullopt;
  return std::make_pair(Text(cap.bus_info, sizeof cap.bus_info), BandOf(t, 0, true));
}

}  // namespace pvx::platform::devices::v4l2

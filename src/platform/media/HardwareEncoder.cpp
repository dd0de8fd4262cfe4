#include "platform/media/HardwareEncoder.h"

extern "C" {
#include <libavutil/hwcontext.h>
}

#include <QDir>
#include <map>
#include <mutex>

#include "platform/media/FfmpegSupport.h"

namespace pvx::platform::media {
namespace {

struct Probe {
  AVBufferRef* device = nullptr;
  QString text;
};

QString RenderNode() {
  const QByteArray named = qgetenv("OKA_PVX_RENDER_NODE");
  if (!named.isEmpty()) return QString::fromLocal8Bit(named);
  const QStringList nodes = QDir("/dev/dri").entryList({"renderD*"}, QDir::System, QDir::Name);
  return nodes.isEmpty() ? QString() : "/dev/dri/" + nodes.first();
}

// Each render node is tried once per run; a failed one is not tried again.
const Probe& Probed() {
  static std::mutex mutex;
  static std::map<QString, Probe> probes;
  const QString node = RenderNode();
  std::lock_guard lock(mutex);
  if (const auto found = probes.find(node); found != probes.end()) return found->second;
  Probe& probe = probes[node];
  if (node.isEmpty()) {
    probe.text = QStringLiteral("no render node");
    return probe;
  }
  RouteFfmpegLog();
  const int r = av_hwdevice_ctx_create(&probe.device, AV_HWDEVICE_TYPE_VAAPI,
                                       QFile::encodeName(node).constData(), nullptr, 0);
  probe.text = r < 0 ? QStringLiteral("cannot open %1: %2").arg(node, AvErrorText(r)) : node;
  return probe;
}

}  // namespace

AVBufferRef* HardwareDevice() {
  const Probe& probe = Probed();
  return probe.device ? av_buffer_ref(probe.device) : nullptr;
}

QString HardwareDeviceText() { return Probed().text; }

}  // namespace pvx::platform::media

#include "platform/video/TAudioRenderer.h"

#include <gst/gst.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>

#include "platform/graph/GstPtr.h"
#include "platform/video/SoundTap.h"

Q_LOGGING_CATEGORY(lcAudio, "pvx.audio")

namespace pvx::platform::video {
namespace {

constexpr const char* kSinkChoiceVariable = "OKA_PVX_AUDIO_SINK";
constexpr double kMaxVolume = 1.0;

// The null sink syncs to the clock so a graph without sound output runs at real-time pace.
constexpr const char* kNullSinkBin =
    "queue name=queue ! tee name=split split. ! queue ! audioconvert ! audioresample ! volume name=volume"
    " ! fakesink name=sink sync=true";
constexpr const char* kSoundSinkBin =
    "queue name=queue ! tee name=split split. ! queue ! audioconvert ! audioresample ! volume name=volume"
    " ! autoaudiosink name=sink";

}  // namespace

bool ListsSoundCard(const QByteArray& asoundCards) {
  for (const QByteArray& line : asoundCards.split('\n')) {
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.isEmpty() && trimmed.front() >= '0' && trimmed.front() <= '9') return true;
  }
  return false;
}

bool SoundOutputAvailable() {
  const QString choice = qEnvironmentVariable(kSinkChoiceVariable);
  if (choice.compare("null", Qt::CaseInsensitive) == 0) return false;
  if (choice.compare("auto", Qt::CaseInsensitive) == 0) return true;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath("pulse/native"))) return true;
  QFile cards("/proc/asound/cards");
  if (!cards.open(QIODevice::ReadOnly)) return false;
  return ListsSoundCard(cards.readAll());
}

TAudioRenderer::TAudioRenderer() : graph::TFilter("Audio Renderer") {
  AddPin("Input", graph::PinDir::Input, graph::PinCategory::None, graph::MediaMajor::Audio);
  nullSink_ = !SoundOutputAvailable();
  const QByteArray description = QByteArray(nullSink_ ? kNullSinkBin : kSoundSinkBin) + kSoundTapBranch;
  GstElement* bin = graph::MakeBin(description.constData(), "AudioRenderer");
  if (!bin) return;
  ConnectSoundTap(bin);
  SetElement(bin);
  if (!graph::Ghost(bin, "queue", "sink", "Input")) {
    qCWarning(lcAudio) << "audio renderer: cannot expose its input";
    return;
  }
  graph::GstPtr<GstElement> volume = graph::Adopt(gst_bin_get_by_name(GST_BIN(bin), "volume"));
  volume_ = volume.get();
  if (nullSink_) qCInfo(lcAudio) << "no sound output: audio goes to a null sink";
}

TAudioRenderer::~TAudioRenderer() = default;

bool TAudioRenderer::SetVolume(double volume) {
  if (!volume_) return false;
  g_object_set(volume_, "volume", std::clamp(volume, 0.0, kMaxVolume), nullptr);
  return true;
}

double TAudioRenderer::Volume() const {
  gdouble volume = 0;
  if (volume_) g_object_get(volume_, "volume", &volume, nullptr);
  return volume;
}

bool TAudioRenderer::SetMute(bool mute) {
  if (!volume_) return false;
  g_object_set(volume_, "mute", gboolean(mute), nullptr);
  return true;
}

bool TAudioRenderer::IsMuted() const {
  gboolean mute = FALSE;
  if (volume_) g_object_get(volume_, "mute", &mute, nullptr);
  return mute;
}

}  // namespace pvx::platform::video

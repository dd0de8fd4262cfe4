#include "platform/devices/virtual/VirtualSound.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/devices/virtual/TVirtualCard.h"
#include "platform/devices/virtual/VirtualFilePlayer.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/MediaCaps.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {
// The line input carries a tone of its own.
constexpr int kLineToneHz = 1000;

constexpr const char* kPipeline =
    "audiotestsrc name=src is-live=true wave=pink-noise volume=0.05 samplesperbuffer=960 "
    "! capsfilter name=out";

// Sets the wave only when it changes: setting it, even to the same wave, leaves the source
// without a generator for a moment.
void SetTone(GstElement* src, const TTone& tone) {
  gint current = 0;
  g_object_get(src, "wave", &current, nullptr);
  GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(src), "wave");
  const GEnumValue* value = spec ? g_enum_get_value(G_PARAM_SPEC_ENUM(spec)->enum_class, current) : nullptr;
  if (!value || std::strcmp(value->value_nick, tone.Wave) != 0) gst_util_set_object_arg(G_OBJECT(src), "wave", tone.Wave);
  if (tone.Freq >= 0) g_object_set(src, "freq", tone.Freq, nullptr);
  if (tone.Volume >= 0) g_object_set(src, "volume", tone.Volume, nullptr);
}
}  // namespace

void TSoundAnimator::SetTone(const TTone& tone) {
  std::lock_guard lock(mutex_);
  tone_ = tone;
}

void TSoundAnimator::SetLook(int hiss, const QByteArray& filePath, std::vector<int> melody) {
  std::lock_guard lock(mutex_);
  hiss_ = hiss;
  filePath_ = filePath;
  melody_ = std::move(melody);
}

void TSoundAnimator::Sing(qint16* samples, int frames, int channels, int rate, const std::vector<int>& melody) {
  const quint64 noteFrames = quint64(qMax(1, rate * kNoteMs / 1000));
  for (int i = 0; i < frames; ++i, ++frame_) {
    const quint64 at = frame_ % noteFrames;
    phase_ += 2 * M_PI * melody[size_t(frame_ / noteFrames % melody.size())] / rate;
    if (phase_ > 2 * M_PI) phase_ -= 2 * M_PI;
    // Each note is struck and dies away, like a plucked string.
    const double envelope = 1.0 - 0.8 * double(at) / double(noteFrames);
    const auto v = qint16(std::sin(phase_) * envelope * 0.3 * 32767);
    for (int c = 0; c < channels; ++c) samples[i * channels + c] = v;
  }
}

int TSoundAnimator::OnBuffer(GstPad* pad, GstPadProbeInfo* info, void* self) {
  auto& a = *static_cast<TSoundAnimator*>(self);
  int hiss = 0;
  QByteArray path;
  std::vector<int> melody;
  std::optional<TTone> tone;
  {
    std::lock_guard lock(a.mutex_);
    hiss = a.hiss_;
    path = a.filePath_;
    melody = a.melody_;
    tone = std::exchange(a.tone_, std::nullopt);
  }
  if (tone) {
    // Between two buffers, on the thread that makes them.
    if (auto parent = Adopt(gst_pad_get_parent_element(pad))) devices::SetTone(parent.get(), *tone);
  }
  if (path.isEmpty()) a.player_.reset();
  if (path.isEmpty() && hiss == 0 && melody.empty()) return GST_PAD_PROBE_OK;
  GstCapsPtr caps(gst_pad_get_current_caps(pad));
  GstAudioInfo format;
  if (!caps || !gst_audio_info_from_caps(&format, caps.get()) ||
      GST_AUDIO_INFO_FORMAT(&format) != GST_AUDIO_FORMAT_S16LE)
    return GST_PAD_PROBE_OK;
  GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
  GST_PAD_PROBE_INFO_DATA(info) = buffer;
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) return GST_PAD_PROBE_OK;
  const int channels = qMax(1, GST_AUDIO_INFO_CHANNELS(&format));
  if (!melody.empty() && path.isEmpty())
    a.Sing(reinterpret_cast<qint16*>(map.data), int(map.size / 2 / size_t(channels)), channels,
           GST_AUDIO_INFO_RATE(&format), melody);
  if (!path.isEmpty()) {
    if (!a.player_ || a.player_->Path() != QString::fromUtf8(path))
      a.player_ = std::make_shared<TVirtualFilePlayer>(QString::fromUtf8(path), caps.get());
    // The station's tone stays when the file cannot play.
    if (!a.player_->Failed()) {
      auto* bytes = reinterpret_cast<char*>(map.data);
      const int got = a.player_->TakeSound(bytes, int(map.size));
      std::memset(bytes + got, 0, map.size - size_t(got));
    }
  }
  if (hiss > 0) {
    auto* samples = reinterpret_cast<qint16*>(map.data);
    const int amplitude = hiss * 60;
    for (size_t i = 0; i < map.size / 2; ++i) {
      a.seed_ = a.seed_ * 1664525u + 1013904223u;
      const int v = samples[i] + int((a.seed_ >> 16) % quint32(2 * amplitude + 1)) - amplitude;
      samples[i] = qint16(qBound(-32768, v, 32767));
    }
  }
  gst_buffer_unmap(buffer, &map);
  return GST_PAD_PROBE_OK;
}

std::shared_ptr<TSoundAnimator> AnimateSound(GstElement* src) {
  auto animator = std::make_shared<TSoundAnimator>();
  gst_pad_add_probe(
      StaticPad(src, "src").get(), GST_PAD_PROBE_TYPE_BUFFER,
      [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
        return GstPadProbeReturn(TSoundAnimator::OnBuffer(
            pad, info, static_cast<std::shared_ptr<TSoundAnimator>*>(data)->get()));
      },
      new std::shared_ptr<TSoundAnimator>(animator),
      [](gpointer data) { delete static_cast<std::shared_ptr<TSoundAnimator>*>(data); });
  return animator;
}

void ApplySound(GstElement* src, const TVirtualCard& card, const TReception& sound,
                TSoundAnimator* animator) {
  int hiss = 0;
  QByteArray file;
  std::vector<int> melody;
  TTone tone;
  switch (sound.Kind) {
    case SourceKind::Station: {
      int hz = sound.Station->ToneHz;
      // The second language is heard a fifth higher, so a switch is audible.
      if (card.TVAudioMode() & graph::AMTVAUDIO_MODE_LANG_B) hz = hz * 3 / 2;
      tone = {"sine", double(hz), 0.3};
      // Off the carrier's centre the hiss rises toward the edge of the lock window.
      const int steps = std::abs(card.PllOffset());
      hiss = steps == 0 || steps == kNoCarrierOffset ? 0 : qMin(100, steps * 100 / 24);
      file = sound.Station->FilePath.toUtf8();
      melody = sound.Station->Melody;
      break;
    }
    case SourceKind::Line:
      tone = {"sine", double(kLineToneHz), 0.2};
      break;
    case SourceKind::Silence:
      tone = {"silence"};
      break;
    default:  // hiss where nothing is tuned
      tone = {"pink-noise", -1, 0.05};
      break;
  }
  // A source that streams takes the tone from its own thread.
  if (animator && GST_STATE(src) == GST_STATE_PLAYING)
    animator->SetTone(tone);
  else
    SetTone(src, tone);
  if (animator) animator->SetLook(hiss, file, std::move(melody));
}

TVirtualAudioSource::TVirtualAudioSource(const TVirtualCard& card) : card_(card) {
  GstElement* bin = MakeBin(kPipeline, "virtual-audio-capture");
  if (!bin) return;
  bin_ = Adopt(GST_ELEMENT(gst_object_ref_sink(bin)));
  Ghost(bin, "out", "src", "Capture");
  src_ = ChildByName(bin, "src").get();
  if (src_) sound_ = AnimateSound(src_);
}

void TVirtualAudioSource::Apply(const TMediaType& format) {
  if (const GstPtr<GstElement> out = bin_ ? ChildByName(bin_.get(), "out") : nullptr) {
    GstCapsPtr caps(ToCaps(format));
    g_object_set(out.get(), "caps", caps.get(), nullptr);
  }
}

void TVirtualAudioSource::Follow() {
  if (src_) ApplySound(src_, card_, card_.Sound(), sound_.get());
}

void TVirtualAudioSource::Rest() {
  if (sound_) sound_->Rest();
}

}  // namespace pvx::platform::devices

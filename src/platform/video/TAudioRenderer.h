#pragma once
// The "Audio Renderer" component: raw audio in, played on the desktop's sound output, or into a
// null sink that keeps real-time pace where the machine has no sound output.

#include <QByteArray>

#include "platform/graph/TFilter.h"

namespace pvx::platform::video {

// OKA_PVX_AUDIO_SINK "null" forces the null sink and "auto" the sound output; otherwise a sound
// server socket ($XDG_RUNTIME_DIR/pulse/native) or a sound card must exist.
bool SoundOutputAvailable();
// True when the text of /proc/asound/cards lists a card (a line whose first non-space is a digit).
bool ListsSoundCard(const QByteArray& asoundCards);

class TAudioRenderer final : public graph::TFilter {
 public:
  TAudioRenderer();
  ~TAudioRenderer() override;

  // Volume 0..1 (clamped) and mute, applied live.
  bool SetVolume(double volume);
  double Volume() const;
  bool SetMute(bool mute);
  bool IsMuted() const;

  // Decided at construction from SoundOutputAvailable().
  bool UsesNullSink() const { return nullSink_; }

 private:
  GstElement* volume_ = nullptr;  // owned by the bin
  bool nullSink_ = false;
};

}  // namespace pvx::platform::video

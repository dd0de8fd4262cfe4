#pragma once
// What the shell tells the capture engine when it creates it, and how the engine's parts
// report failures to the user.

#include <QString>
#include <QStringList>

#include "platform/graph/TComponentRegistry.h"
#include "platform/video/IVideoWindow.h"
#include "settings/MainInfo.h"

namespace pvx::engine {

struct TEngineConfig {
  // The media components the graphs are built from; the engine's constructor sets it.
  const platform::graph::TComponentRegistry* Components = nullptr;
  // The video window's parent; none leaves the window hidden (tests, benchmarks).
  platform::video::TVideoHost Host;
  // The chip makers and models device names are matched against, in order of preference.
  QStringList ChipMakers = settings::TMainInfo().ChipMakers;
  QStringList ChipModels = settings::TMainInfo().ChipModels;
  // When not empty, the device whose name contains it is chosen.
  QString VideoNameOverride, CrossbarNameOverride, TunerNameOverride, TVAudioNameOverride;
  // The sound device chosen for audio adjustment, preferred as the audio capture device.
  QString PreferredAudioDevice;
  // Tuning waits for the tuner to settle.
  bool TuningPause = true;
  // 0 "Divx" .. 3: which decoder shows an MPEG-4 stream.
  int MPEG4Codec = 2;
};

// Shows error codes and messages unless the engine runs unattended.
class TErrorReporter {
 public:
  bool Unattended() const { return unattended_; }
  void SetUnattended(bool on) { unattended_ = on; }
  void Error(int code) const;
  // A few messages must be seen even unattended.
  void Text(const QString& text, bool evenUnattended = false) const;

 private:
  bool unattended_ = false;
};

}  // namespace pvx::engine

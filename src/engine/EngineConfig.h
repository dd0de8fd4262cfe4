#pragma once
// What the shell tells the capture engine when it creates it, and how the engine's parts
// report failures to the user.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "engine/VideoSignalAdjust.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/video/IVideoWindow.h"
#include "settings/MainInfo.h"

namespace pvx::engine {

// What the engine reads of the program's settings, at the moment it needs them.
struct TProgramSettings {
  QString CaptureFolder;  // ends with "/"; empty: the documents folder
  QString WaveFolder;     // FM recordings while the FM panel shows; empty: the capture folder
  int MPEG4Codec = 2;     // 0 "Divx" .. 3: which compressor records and which decoder shows MPEG-4
  int CountryCode = 1;    // whose FM band the tuner uses
};

struct TEngineConfig {
  // The media components the graphs are built from; the engine's constructor sets it.
  const platform::graph::TComponentRegistry* Components = nullptr;
  // The video window's parent; none leaves the window hidden (tests, benchmarks).
  platform::video::TVideoHost Host;
  // The chip makers and models device names are matched against, in order of preference.
  QStringList ChipMakers = settings::TMainInfo::ChipMakers();
  QStringList ChipModels = settings::TMainInfo::ChipModels();
  // When not empty, the device whose name contains it is chosen.
  QString VideoNameOverride, CrossbarNameOverride, TunerNameOverride, TVAudioNameOverride;
  // The sound device chosen for audio adjustment, preferred as the audio capture device.
  QString PreferredAudioDevice;
  // Tuning waits for the tuner to settle.
  bool TuningPause = true;
  // The program's settings as they are now; unset: the defaults.
  std::function<TProgramSettings()> Program;
  // The colour levels a preview starts with (percent per property, -1 the device's default),
  // which the settings dialog's OK writes back; none: the device defaults.
  TColourLevelStore ColourLevels;
};

// The program's settings now, or the defaults when the engine was given no reader.
inline TProgramSettings ProgramOf(const TEngineConfig& config) {
  return config.Program ? config.Program() : TProgramSettings{};
}

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

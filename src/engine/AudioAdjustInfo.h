#pragma once
// The sound card's mixers as the program uses them: the playback mixer and line that carry the
// TV or FM sound to the speakers, the recording mixer and line it is recorded from, and the
// volume, mute, channel selection and recording level on them. Every operation is silent on
// failure: without a mixer nothing happens, and a failed mixer call changes no stored state.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/mixer/TMixerComponent.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

struct TMixerInfo {
  qint32 SpeakersDestination = -1;
  qint32 RecordDestination = -1;
  quint32 SpeakersLineCount = 0;
  quint32 RecordLineCount = 0;
  QString ProductName;
};

class TAudioAdjustInfo {
 public:
  static constexpr qint32 kMaxLevel = settings::TAudioLevels::kMaxLevel;
  // Sound devices whose product name holds this need the line-in monitor program.
  static constexpr const char* kLineInMonitorProduct = "C-Media Rear";
  static constexpr const char* kLineInMonitorProgram = "LineInMon";

  // Scans the mixers and listens to their changes. Without a mixer given, the platform's
  // (ALSA, or the virtual mixer on a machine without a sound card).
  explicit TAudioAdjustInfo(std::unique_ptr<platform::mixer::TMixerComponent> mixer = nullptr);
  ~TAudioAdjustInfo();
  TAudioAdjustInfo(const TAudioAdjustInfo&) = delete;
  TAudioAdjustInfo& operator=(const TAudioAdjustInfo&) = delete;

  // Levels are clamped to 0..kMaxLevel.
  bool SetVolume(qint64 volume);
  bool SetRecordLevel(qint64 level);
  bool SetMasterMute(bool on);
  // Mutes the card's sound on the playback line; with the line-in monitor, stops the monitor.
  bool SetLineMute(bool on);
  // 0 both channels, 1 left silenced, 2 right silenced; re-applies the current volume.
  bool SetChannelMode(quint8 mode);
  // Starts the line-in monitor when a "C-Media Rear" device is present; true when found.
  bool DetectLineInMonitor();
  // The product name of the recording mixer, empty when there is none.
  QString RecordDeviceName() const;

  platform::mixer::TMixerComponent& Mixer() { return *mixer_; }
  bool HasMixer() const { return hasMixer_; }
  const std::vector<TMixerInfo>& Mixers() const { return mixers_; }
  qint32 PlaybackMixer() const { return playbackMixer_; }
  qint32 RecordMixer() const { return recordMixer_; }
  qint32 Volume() const { return volume_; }
  bool Muted() const { return muted_; }
  bool LineMuted() const { return lineMuted_; }
  quint8 ChannelMode() const { return channelMode_; }
  bool UseLineInMonitor() const { return useLineInMonitor_; }
  bool LineInMonitorOn() const { return lineInMonitorOn_; }
  const QStringList& PlaybackLineNames() const { return playbackLineNames_; }
  const QStringList& RecordLineNames() const { return recordLineNames_; }

  // PlaybackLine, RecordLine and RecordLevel: chosen by the scan, then read from and written to
  // QDVCR.cfg by the main settings file (its Audio peer). After loading, SetRecordLevel
  // (Levels.RecordLevel) applies the stored level to the mixer.
  settings::TAudioLevels Levels;

  // Told when the mixer reports a change, after the levels are read again.
  std::function<void(TAudioAdjustInfo& sender, qint32 volume, bool muted)> OnVolumeChange;

 private:
  void Scan();
  bool Select(int mixer);
  bool ReadMaster();
  bool ReadRecordLevel();
  bool SwitchLineInMonitor(bool on);
  void MixerChange(platform::mixer::TMixerComponent& sender, int mixer);

  std::unique_ptr<platform::mixer::TMixerComponent> mixer_;
  bool hasMixer_ = false;
  std::vector<TMixerInfo> mixers_;
  qint32 playbackMixer_ = -1;
  qint32 recordMixer_ = -1;
  qint32 volume_ = 0;
  bool muted_ = false;
  bool lineMuted_ = false;
  quint8 channelMode_ = 0;
  bool useLineInMonitor_ = false;
  bool lineInMonitorOn_ = false;
  QStringList playbackLineNames_;
  QStringList recordLineNames_;
};

}  // namespace pvx::engine

#include "engine/AudioAdjustInfo.h"

#include <algorithm>

#include "platform/SystemServices.h"

namespace pvx::engine {

using platform::mixer::kDestinationControl;
using platform::mixer::TMixerComponent;
using platform::mixer::TMixerDestinationType;
using platform::mixer::TMixerVolume;
using platform::mixer::TMixerVolumeChange;

namespace {

qint32 ClampLevel(qint64 level) {
  return static_cast<qint32>(std::clamp<qint64>(level, 0, TAudioAdjustInfo::kMaxLevel));
}

// A level as one number: the right channel, or the left when the right is silenced.
qint32 LevelOf(const TMixerVolume& v) { return v.Right >= 1 ? v.Right : v.Left; }

// The line that carries the card's sound: the last whose name mentions "line", else the last.
qint32 ChooseLine(const QStringList& names) {
  for (qsizetype i = names.size() - 1; i >= 0; --i)
    if (names[i].toLower().contains("line")) return qint32(i);
  return qint32(names.size()) - 1;
}

}  // namespace

TAudioAdjustInfo::TAudioAdjustInfo(std::unique_ptr<TMixerComponent> mixer)
    : mixer_(mixer ? std::move(mixer) : platform::mixer::CreateMixerComponent()) {
  Scan();
  mixer_->OnLineChange = [this](TMixerComponent& sender, int m) { MixerChange(sender, m); };
  mixer_->OnControlChange = [this](TMixerComponent& sender, int m) { MixerChange(sender, m); };
}

TAudioAdjustInfo::~TAudioAdjustInfo() {
  mixer_->OnLineChange = nullptr;
  mixer_->OnControlChange = nullptr;
}

void TAudioAdjustInfo::Scan() {
  const int count = mixer_->MixerCount();
  for (int i = 0; i < count; ++i) {
    TMixerInfo info;
    if (mixer_->SelectMixer(i)) {
      info.ProductName = mixer_->ProductName();
      for (int d = 0; d < mixer_->DestinationCount(); ++d) {
        const TMixerDestinationType type = mixer_->DestinationType(d);
        if (type == TMixerDestinationType::Speakers) {
          info.SpeakersDestination = d;
          info.SpeakersLineCount = quint32(std::max(0, mixer_->LineCount(d)));
        } else if (type == TMixerDestinationType::WaveIn) {
          info.RecordDestination = d;
          info.RecordLineCount = quint32(std::max(0, mixer_->LineCount(d)));
        }
      }
    }
    // Every device is described, so later look-ups (the line-in monitor) see them all.
    mixers_.push_back(info);
    if (playbackMixer_ < 0 && info.SpeakersDestination >= 0) playbackMixer_ = i;
    if (recordMixer_ < 0 && info.RecordDestination >= 0 && info.RecordLineCount > 1)
      recordMixer_ = i;
  }
  // Record on the playback device when it can record at all.
  if (playbackMixer_ >= 0 && playbackMixer_ != recordMixer_ &&
      mixers_[size_t(playbackMixer_)].RecordDestination >= 0)
    recordMixer_ = playbackMixer_;

  hasMixer_ = playbackMixer_ >= 0;
  if (!hasMixer_) return;

  if (Select(playbackMixer_)) {
    ReadMaster();
    playbackLineNames_ = mixer_->LineNames(mixers_[size_t(playbackMixer_)].SpeakersDestination);
    Levels.PlaybackLine = ChooseLine(playbackLineNames_);
  }
  if (recordMixer_ >= 0 && Select(recordMixer_)) {
    recordLineNames_ = mixer_->LineNames(mixers_[size_t(recordMixer_)].RecordDestination);
    Levels.RecordLine = ChooseLine(recordLineNames_);
    ReadRecordLevel();
  }
}

bool TAudioAdjustInfo::Select(int mixer) {
  if (mixer < 0) return false;
  return mixer_->MixerIndex() == mixer || mixer_->SelectMixer(mixer);
}

bool TAudioAdjustInfo::ReadMaster() {
  TMixerVolume v;
  if (!Select(playbackMixer_) ||
      !mixer_->GetVolume(mixers_[size_t(playbackMixer_)].SpeakersDestination, kDestinationControl, v))
    return false;
  volume_ = LevelOf(v);
  muted_ = v.Mute;
  return true;
}

bool TAudioAdjustInfo::ReadRecordLevel() {
  TMixerVolume v;
  if (!Select(recordMixer_) ||
      !mixer_->GetVolume(mixers_[size_t(recordMixer_)].RecordDestination, Levels.RecordLine, v))
    return false;
  Levels.RecordLevel = LevelOf(v);
  return true;
}

bool TAudioAdjustInfo::SetVolume(qint64 volume) {
  if (!hasMixer_ || !Select(playbackMixer_)) return false;
  const qint32 level = ClampLevel(volume);
  TMixerVolumeChange change;
  change.Left = channelMode_ == 1 ? 0 : level;
  change.Right = channelMode_ == 2 ? 0 : level;
  // One set with the silenced side already applied, on the speakers destination itself: a
  // both-sides step first would briefly sound the silenced channel.
  if (!mixer_->SetVolume(mixers_[size_t(playbackMixer_)].SpeakersDestination, kDestinationControl,
                         change))
    return false;
  ReadMaster();
  return true;
}

bool TAudioAdjustInfo::SetRecordLevel(qint64 level) {
  if (!hasMixer_ || !Select(recordMixer_)) return false;
  const qint32 clamped = ClampLevel(level);
  TMixerVolumeChange change;
  change.Left = change.Right = clamped;
  if (!mixer_->SetVolume(mixers_[size_t(recordMixer_)].RecordDestination, Levels.RecordLine, change))
    return false;
  if (!ReadRecordLevel()) Levels.RecordLevel = clamped;
  return true;
}

bool TAudioAdjustInfo::SetMasterMute(bool on) {
  if (!hasMixer_ || !Select(playbackMixer_)) return false;
  TMixerVolumeChange change;
  change.Mute = on;
  if (!mixer_->SetVolume(mixers_[size_t(playbackMixer_)].SpeakersDestination, kDestinationControl,
                         change))
    return false;
  ReadMaster();
  return true;
}

bool TAudioAdjustInfo::SetLineMute(bool on) {
  if (!hasMixer_) return false;
  if (useLineInMonitor_) return SwitchLineInMonitor(!on);
  if (!Select(playbackMixer_) ||
      !mixer_->SetLineMute(mixers_[size_t(playbackMixer_)].SpeakersDestination, Levels.PlaybackLine,
                           on))
    return false;
  lineMuted_ = on;
  return true;
}

bool TAudioAdjustInfo::SetChannelMode(quint8 mode) {
  if (!hasMixer_ || mode > 2) return false;
  if (mode == channelMode_) return true;
  TMixerVolume v;
  if (!Select(playbackMixer_) ||
      !mixer_->GetVolume(mixers_[size_t(playbackMixer_)].SpeakersDestination, kDestinationControl, v))
    return false;
  channelMode_ = mode;
  return SetVolume(LevelOf(v));
}

bool TAudioAdjustInfo::DetectLineInMonitor() {
  if (!hasMixer_) return false;
  for (size_t i = 0; i < mixers_.size(); ++i) {
    const TMixerInfo& info = mixers_[i];
    if (!info.ProductName.contains(kLineInMonitorProduct) || info.RecordDestination < 0) continue;
    if (!Select(int(i)) || mixer_->LineCount(1) != 3) continue;
    useLineInMonitor_ = true;
    lineInMonitorOn_ = false;
    SwitchLineInMonitor(true);
    return true;
  }
  return false;
}

bool TAudioAdjustInfo::SwitchLineInMonitor(bool on) {
  if (on == lineInMonitorOn_) return true;
  // Not marked as switched unless the program started, so the next call tries again.
  if (!platform::System().StartProgram(kLineInMonitorProgram, {on ? "on" : "off"})) return false;
  lineInMonitorOn_ = on;
  return true;
}

QString TAudioAdjustInfo::RecordDeviceName() const {
  if (recordMixer_ < 0 || recordMixer_ >= qint32(mixers_.size())) return {};
  return mixers_[size_t(recordMixer_)].ProductName;
}

void TAudioAdjustInfo::MixerChange(TMixerComponent&, int mixer) {
  // Devices the program does not use cannot change what it shows.
  if (!hasMixer_ || (mixer != playbackMixer_ && mixer != recordMixer_)) return;
  ReadMaster();
  if (recordMixer_ >= 0) ReadRecordLevel();
  if (OnVolumeChange) OnVolumeChange(*this, volume_, muted_);
}

}  // namespace pvx::engine

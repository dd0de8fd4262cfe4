#pragma once
// The capture engine as the channel tables see it: tuning, lock readings, standards, sound
// modes, inputs and the card's mute, in the channel tables' terms.

#include "settings/ChannelTuner.h"

namespace pvx::engine {

class TCaptureInfo;
class TAudioAdjustInfo;

class TChannelTunerAdapter final : public settings::IChannelTuner {
 public:
  static constexpr quint32 kZeroFrequencyTune = 100000000;

  // Without an audio-adjust object tuning is not muted.
  explicit TChannelTunerAdapter(TCaptureInfo& engine, TAudioAdjustInfo* audio = nullptr)
      : e_(engine), audio_(audio) {}

  bool SetTVFrequency(quint32 hertz) override;
  bool SetFMFrequency(quint32 hertz) override;
  bool SignalLocked() const override;
  qint32 PLLOffset() const override;
  qint32 TVMin() const override;
  qint32 TVMax() const override;
  qint32 FMMin() const override;
  qint32 FMMax() const override;
  void SetCoarseTuning(bool on) override;
  int SignalReadings() const override;
  void SetSignalReadings(int readings) override;
  bool SetVideoStandard(int standard) override;
  int VideoStandard() const override;
  bool SetCountryCode(int code) override;
  bool SetTVAudioMode(int mode) override;
  bool SelectVideoSource(int source) override;
  void SetLineMute(bool on) override;
  bool RestartPreview() override;
  void SetVendorStandard(int value) override;

  // The TV audio mode bits mode 0..4 is asked for; 0 for any other mode.
  static int TVAudioModeBits(int mode, int chipFamily);
  // The crossbar connector type of video source 0..3; 0 for any other source.
  static int InputKindOf(int source);

 private:
  TCaptureInfo& e_;
  TAudioAdjustInfo* audio_;
};

}  // namespace pvx::engine

#pragma once
// What the channel tables ask of the card when they select a channel or scan. The capture engine
// answers through an adapter of the engine layer; tests may answer with a fake.

#include <QtGlobal>

namespace pvx::settings {

class IChannelTuner {
 public:
  virtual ~IChannelTuner() = default;

  // The program's tune call: frequency 0 tunes 100 MHz, and the graph pauses around the change
  // as the product's pause option and an unattended recording decide.
  virtual bool SetTVFrequency(quint32 hertz) = 0;
  virtual bool SetFMFrequency(quint32 hertz) = 0;
  // Results of the last TV tuning: signal present, and the signed offset (0: centred).
  virtual bool SignalLocked() const = 0;
  virtual qint32 PLLOffset() const = 0;
  virtual qint32 TVMin() const = 0;
  virtual qint32 TVMax() const = 0;
  virtual qint32 FMMin() const = 0;
  virtual qint32 FMMax() const = 0;
  // The free-scan flag: coarse tuning while set.
  virtual void SetCoarseTuning(bool on) = 0;
  // Lock readings the tuner takes per TV tuning.
  virtual int SignalReadings() const = 0;
  virtual void SetSignalReadings(int readings) = 0;

  // An analogue video standard bit (0x1 NTSC M, 0x10 PAL B ...); VideoStandard is the one set.
  virtual bool SetVideoStandard(int standard) = 0;
  virtual int VideoStandard() const = 0;
  virtual bool SetCountryCode(int code) = 0;
  // TV audio mode 0 mono, 1 stereo, 2..4 first to third language.
  virtual bool SetTVAudioMode(int mode) = 0;
  // Video source 0 tuner, 1 composite, 2 S-Video, 3 camera.
  virtual bool SelectVideoSource(int source) = 0;
  // Mutes or unmutes the card's sound.
  virtual void SetLineMute(bool on) = 0;
  // Stops the preview and starts it again; its result.
  virtual bool RestartPreview() = 0;
  // The Empia 2800 vendor setting that follows the standard: 1 NTSC-M, 2 NTSC-J, 3 any other.
  virtual void SetVendorStandard(int value) = 0;
};

}  // namespace pvx::settings

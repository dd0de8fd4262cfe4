#pragma once
// Interfaces a filter may answer, named after what the capture engine and the players call.
// A filter implements the ones it supports; TFilter::As<I>() asks for one.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

#include "platform/graph/GraphTypes.h"

namespace pvx::platform::graph {

class ICrossbar {
 public:
  virtual ~ICrossbar() = default;
  virtual bool GetPinCounts(int& outputs, int& inputs) const = 0;
  virtual bool CanRoute(int output, int input) const = 0;
  virtual bool Route(int output, int input) = 0;
  // input is -1 when the output is not routed.
  virtual bool IsRoutedTo(int output, int& input) const = 0;
  // related: index of the paired audio/video pin on the same side, -1 when none.
  virtual bool GetCrossbarPinInfo(bool isInput, int index, int& related, int& physicalType) const = 0;
};

enum TunerMode : int { AMTUNER_MODE_TV = 1, AMTUNER_MODE_FM_RADIO = 2 };

class ITVTuner {
 public:
  virtual ~ITVTuner() = default;
  virtual bool GetAvailableModes(int& modes) const = 0;
  virtual bool put_Mode(int mode) = 0;
  virtual bool get_Mode(int& mode) const = 0;
  virtual bool put_CountryCode(int code) = 0;
};

struct TTunerStatus {
  qint32 CurrentFrequency = 0;
  qint32 PLLOffset = 0;
  qint32 SignalStrength = 0;
  qint32 Busy = 0;
};

inline constexpr int kTuningExact = 1;
inline constexpr int kTuningCoarse = 3;

// The tuner's property set: frequency, status, band limits, standard and copy protection.
class ITunerPropertySet {
 public:
  virtual ~ITunerPropertySet() = default;
  virtual bool SetFrequency(quint32 hertz, int tuningFlags, int channel) = 0;
  virtual bool GetStatus(TTunerStatus& status) const = 0;
  virtual bool GetModeCaps(int mode, quint32& minHertz, quint32& maxHertz) const = 0;
  virtual bool SetStandard(int standard) = 0;
  // Non-zero flags mean the current programme must not be recorded.
  virtual bool GetCopyProtection(qint32& flags) const = 0;
};

class IAnalogVideoDecoder {
 public:
  virtual ~IAnalogVideoDecoder() = default;
  virtual bool get_HorizontalLocked(bool& locked) const = 0;
  virtual bool get_AvailableTVFormats(int& formats) const = 0;
  virtual bool put_TVFormat(int format) = 0;
  virtual bool get_TVFormat(int& format) const = 0;
};

enum VideoProcAmpProperty : int {
  VideoProcAmp_Brightness = 0,
  VideoProcAmp_Contrast = 1,
  VideoProcAmp_Hue = 2,
  VideoProcAmp_Saturation = 3,
  VideoProcAmp_Sharpness = 4,
};
inline constexpr int kVideoProcAmpFlagsManual = 1;

class IVideoProcAmp {
 public:
  virtual ~IVideoProcAmp() = default;
  virtual bool GetRange(int property, int& min, int& max, int& step, int& defaultValue,
                        int& flags) const = 0;
  virtual bool Get(int property, int& value, int& flags) const = 0;
  virtual bool Set(int property, int value, int flags) = 0;
};

enum TVAudioMode : int {
  AMTVAUDIO_MODE_MONO = 0x1,
  AMTVAUDIO_MODE_STEREO = 0x2,
  AMTVAUDIO_MODE_LANG_A = 0x10,
  AMTVAUDIO_MODE_LANG_B = 0x20,
  AMTVAUDIO_MODE_LANG_C = 0x40,
};

class ITVAudio {
 public:
  virtual ~ITVAudio() = default;
  virtual bool GetAvailableTVAudioModes(int& modes) const = 0;
  virtual bool put_TVAudioMode(int mode) = 0;
  virtual bool get_TVAudioMode(int& mode) const = 0;
};

// Formats of an output pin: the list offered, the one in force, and changing it while stopped.
class IStreamConfig {
 public:
  virtual ~IStreamConfig() = default;
  virtual int GetNumberOfCapabilities() const = 0;
  virtual bool GetStreamCaps(int index, TMediaType& type) const = 0;
  virtual bool GetFormat(TMediaType& type) const = 0;
  virtual bool SetFormat(const TMediaType& type) = 0;
};

// Enabling one of an audio capture filter's input lines (by input-pin index).
class IAudioInputMixer {
 public:
  virtual ~IAudioInputMixer() = default;
  virtual bool put_Enable(int inputPin, bool enable) = 0;
  virtual bool get_Enable(int inputPin, bool& enabled) const = 0;
};

class ISampleGrabber {
 public:
  virtual ~ISampleGrabber() = default;
  // Restricts the frames accepted (video subtype YUY2, UYVY or RGB24); before connecting.
  virtual bool SetMediaType(const TMediaType& type) = 0;
  virtual bool GetConnectedMediaType(TMediaType& type) const = 0;
  // The bytes of the last frame that passed, as delivered (no row padding).
  virtual bool GetCurrentBuffer(QByteArray& buffer) const = 0;
};

class IFileSink {
 public:
  virtual ~IFileSink() = default;
  virtual bool SetFileName(const QString& path) = 0;
  virtual QString GetCurFile() const = 0;
};

// The vendor object of Empia 2800 cards: input source, TV sound and one 7-bit setting.
class IEmpia2800 {
 public:
  virtual ~IEmpia2800() = default;
  virtual bool SetSettingValue(int value) = 0;  // second method
  virtual bool SetTVAudioMode(int mode) = 0;    // fourth method
  virtual bool SetSource(int source) = 0;       // fifth method: 0 tuner, 1 composite, 2 S-Video
};

// A decoder that writes its current frame to a bitmap file when asked (Wis cards).
class IDecoderSnapshot {
 public:
  virtual ~IDecoderSnapshot() = default;
  virtual bool SetSnapshotFile(const QString& path) = 0;
};

inline constexpr const char* kEmpia2800ClassId = "{2A5E7823-6560-4E0B-8959-8BE014A08D7C}";

}  // namespace pvx::platform::graph

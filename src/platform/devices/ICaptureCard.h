#pragma once
// One capture card as the shared device filters (CardFilters.h) see it: its parts, crossbar
// routing, tuner, TV sound, decoder, colour controls and capture formats, the news of its
// changes and its loss, and the GStreamer sources of its media. Each backend (the virtual
// card, a V4L2 card) implements it once; the filters adapt it to the graph's interfaces.
// Reads that ask the device can fail, so they return bool and fill their arguments.

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graph/GraphTypes.h"
#include "platform/graph/Interfaces.h"

typedef struct _GstElement GstElement;

namespace pvx::platform::devices {

enum class CardPart { Capture, Crossbar, Tuner, TVAudio, AudioCapture };

struct TCrossbarPin {
  QString Name;
  int PhysicalType = 0;
  int Related = -1;  // the paired pin on the same side, -1 when none
};

struct TCrossbarPins {
  std::vector<TCrossbarPin> Inputs;
  std::vector<TCrossbarPin> Outputs;
};

// Video inputs reach the video output, sound inputs the sound output.
inline bool CanRoute(const TCrossbarPins& pins, int output, int input) {
  if (output < 0 || output >= int(pins.Outputs.size()) || input < 0 || input >= int(pins.Inputs.size()))
    return false;
  return (pins.Outputs[size_t(output)].PhysicalType >= 0x1000) ==
         (pins.Inputs[size_t(input)].PhysicalType >= 0x1000);
}

// YUY2, UYVY and RGB24 at each size, at the frame rate of a 525- or a 625-line standard: the
// video formats a capture device offers.
std::vector<graph::TMediaType> RawVideoTypes(const std::vector<QSize>& sizes, bool ntscLike);

// A colour control as the capture device reports it.
struct TProcAmpRange {
  int Min = 0, Max = 0, Step = 1, Default = 0;
};

// The media a capture part delivers: a bin made by the card, whose ghost pads carry the
// part's media pin names ("Capture", and "Preview" where the card has one).
class ICardSource {
 public:
  virtual ~ICardSource() = default;
  // Owned by the source and shared with the filter; nullptr when it could not be built.
  virtual GstElement* Bin() const = 0;
  // Makes the bin deliver `format` (video or PCM); the graph is stopped.
  virtual void Apply(const graph::TMediaType& format) = 0;
  // After a card change: the media follows what the card receives now.
  virtual void Follow() {}
  // Once the graph has stopped: lets go of what a run holds.
  virtual void Rest() {}
};

class ICaptureCard {
 public:
  virtual ~ICaptureCard() = default;

  // The friendly name of a part; crossbar 0 feeds the capture device.
  virtual QString PartName(CardPart part, int index = 0) const = 0;
  // Tuner sound reaches the crossbar through a TV audio decoder.
  virtual bool HasTVAudio() const = 0;
  // The capture device offers a preview pin of its own.
  virtual bool HasPreviewPin() const { return false; }

  // Told after every change that can alter the picture or the sound, and when the card is gone.
  virtual int Subscribe(std::function<void()> listener) = 0;
  virtual void Unsubscribe(int token) = 0;
  virtual bool IsGone() const = 0;
  // Asked before a run: a card that went while stopped is found here.
  virtual bool CheckPresent() = 0;
  // What the error of a lost card names: the device node, or the capture device's name.
  virtual QString Location() const = 0;

  // Crossbars; crossbar 1, when there is one, feeds crossbar 0.
  virtual int CrossbarCount() const = 0;
  virtual const TCrossbarPins& CrossbarPins(int crossbar) const = 0;
  virtual bool Route(int crossbar, int output, int input) = 0;
  // input is -1 when the output is not routed.
  virtual bool RoutedTo(int crossbar, int output, int& input) = 0;

  // Tuner; modes are AMTUNER_MODE_* bits, 0 for a card without tuner.
  virtual int AvailableTunerModes() const = 0;
  virtual int TunerMode() const = 0;
  virtual bool SetTunerMode(int mode) = 0;
  virtual void SetCountryCode(int code) = 0;
  // In the band of the current mode only.
  virtual bool SetFrequency(quint32 hertz) = 0;
  virtual bool ReadTunerStatus(graph::TTunerStatus& status) = 0;
  virtual bool TunerRange(int mode, quint32& minHertz, quint32& maxHertz) const = 0;
  // Non-zero flags: the programme must not be recorded.
  virtual bool ReadCopyProtection(qint32& flags) = 0;

  // TV sound, as AMTVAUDIO_MODE_* bits.
  virtual bool ReadTVAudioModes(int& modes) = 0;
  virtual bool SetTVAudioMode(int mode) = 0;
  virtual bool ReadTVAudioMode(int& mode) = 0;

  // The decoder's video standards, one bit each as the engine numbers them; none: no decoder.
  virtual int AvailableStandards() const = 0;
  virtual bool SetStandard(int standard) = 0;
  virtual bool ReadStandard(int& standard) = 0;
  virtual bool ReadHorizontalLock(bool& locked) = 0;

  // Colour controls (VideoProcAmp_* properties).
  virtual bool HasProcAmp() = 0;
  virtual bool ReadProcAmpRange(int property, TProcAmpRange& range) = 0;
  virtual bool ReadProcAmp(int property, int& value) = 0;
  virtual bool SetProcAmp(int property, int value) = 0;

  // The video formats offered, those of the standard in force; and whether the card takes
  // one that passed the capture device's own checks.
  virtual std::vector<graph::TMediaType> CaptureTypes() const = 0;
  virtual bool CanCapture(const graph::TMediaType& type) const = 0;
  virtual std::unique_ptr<ICardSource> MakeVideoSource() = 0;

  // The audio capture device's input lines; a card whose sound comes through a device of its
  // own (an ALSA device beside a V4L2 node) has none.
  virtual QStringList AudioInputNames() const { return {}; }
  virtual int EnabledAudioInput() const { return -1; }
  virtual bool EnableAudioInput(int line) { return false; }
  virtual std::unique_ptr<ICardSource> MakeAudioSource() { return nullptr; }
};

}  // namespace pvx::platform::devices

#pragma once
// The audio capture filter of a real card's sound: its input lines come from the card's ALSA
// mixer (enabling one selects that capture source), its "Capture" pin from alsasrc on the
// card's capture PCM, converted to the format the engine asks for.

#include <QByteArray>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/devices/v4l2/AlsaPairing.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::platform::devices::v4l2 {

// A simple-mixer element, as far as choosing what is recorded goes.
struct TCaptureElement {
  QString Name;
  unsigned Index = 0;
  bool CaptureSwitch = false;
  // An enumerated capture source ("Capture Source": "TV Tuner", "FM", "Mic/Line").
  QStringList CaptureItems;
};

// The capture side of one card's mixer: ALSA on a real card, scripted in tests.
class ICaptureElements {
 public:
  virtual ~ICaptureElements() = default;
  virtual std::vector<TCaptureElement> Elements() const = 0;
  virtual bool GetSwitch(int element, bool& on) const = 0;
  virtual bool SetSwitch(int element, bool on) = 0;
  virtual bool GetItem(int element, int& item) const = 0;
  virtual bool SetItem(int element, int item) = 0;
};

// The mixer of ALSA card `card`; nullptr when it does not open.
std::unique_ptr<ICaptureElements> OpenCardCaptureElements(int card);

// The input lines a card's mixer offers. An enumerated capture source gives one line per item;
// otherwise each element with a capture switch is a line, apart from the master "Capture"
// switch, which is turned on with whichever line is chosen. Choosing a switch line turns the
// others off, so only that source is recorded.
class TCaptureLines {
 public:
  explicit TCaptureLines(ICaptureElements& elements);

  QStringList Names() const;
  bool Select(int line);
  // The line recorded now; -1 when none is.
  int Selected() const;

 private:
  struct TLine {
    int Element;
    int Item;  // -1 for a switch line
    QString Name;
  };
  ICaptureElements& elements_;
  std::vector<TLine> lines_;
  int master_ = -1;
};

class TAlsaAudioCapture final : public graph::TFilter,
                                public graph::IStreamConfig,
                                public graph::IAudioInputMixer {
 public:
  // `mixer` may be null (a card whose mixer would not open: no line can be chosen). `source`
  // describes the source element, which must be named "src"; empty means alsasrc on the card.
  TAlsaAudioCapture(TAlsaCaptureDevice device, std::unique_ptr<ICaptureElements> mixer,
                    const QByteArray& source = {});
  ~TAlsaAudioCapture() override;

  // alsasrc on `device` ("hw:1,0") with short buffers, so live sound keeps up with the picture.
  static QByteArray CardSource(const QString& device);

  const TAlsaCaptureDevice& Device() const { return device_; }

  int GetNumberOfCapabilities() const override;
  bool GetStreamCaps(int index, graph::TMediaType& type) const override;
  bool GetFormat(graph::TMediaType& type) const override;
  bool SetFormat(const graph::TMediaType& type) override;

  bool put_Enable(int inputPin, bool enable) override;
  bool get_Enable(int inputPin, bool& enabled) const override;

 private:
  // The mixer line behind input pin `inputPin`, -1 when there is none.
  int MixerLine(int inputPin) const;

  TAlsaCaptureDevice device_;
  std::unique_ptr<ICaptureElements> mixer_;
  std::unique_ptr<TCaptureLines> lines_;
  graph::TMediaType format_;
};

// The card's audio capture device, as the V4L2 provider binds it.
std::shared_ptr<graph::TFilter> MakeAlsaAudioCapture(const TAlsaCaptureDevice& device);

}  // namespace pvx::platform::devices::v4l2

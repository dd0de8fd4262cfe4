#pragma once
// The device filters of the virtual TV card, as device enumeration binds them.

#include <memory>

#include <QByteArray>

#include "platform/devices/virtual/TVirtualCard.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

typedef struct _GstElement GstElement;

namespace pvx::platform::devices {

class TPictureAnimator;
class TSoundAnimator;

enum class CardPart { Capture, Crossbar, Tuner, TVAudio, AudioCapture };

// Shared by the card's filters: the card, the part, and the wiring between parts that lies
// inside the card (crossbars to the capture device, cascaded crossbars).
class TVirtualDeviceFilter : public graph::TFilter {
 public:
  TVirtualDeviceFilter(std::shared_ptr<TVirtualCard> card, CardPart part, int index,
                       const QString& friendlyName);
  ~TVirtualDeviceFilter() override;

  TVirtualCard& Card() const { return *card_; }
  const std::shared_ptr<TVirtualCard>& SharedCard() const { return card_; }
  CardPart Part() const { return part_; }
  int Index() const { return index_; }

 protected:
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;
  void AddedToGraph() override;
  // Called after every card change that may alter what this part produces.
  virtual void CardChanged() {}

 private:
  bool Accepts(const graph::TPin& input, const graph::TPin& peer) const;
  void WireCard();

  std::shared_ptr<TVirtualCard> card_;
  CardPart part_;
  int index_;
  int subscription_ = 0;
};

class TVirtualCrossbar final : public TVirtualDeviceFilter, public graph::ICrossbar {
 public:
  TVirtualCrossbar(std::shared_ptr<TVirtualCard> card, int index);
  bool GetPinCounts(int& outputs, int& inputs) const override;
  bool CanRoute(int output, int input) const override;
  bool Route(int output, int input) override;
  bool IsRoutedTo(int output, int& input) const override;
  bool GetCrossbarPinInfo(bool isInput, int index, int& related, int& physicalType) const override;
};

class TVirtualTuner final : public TVirtualDeviceFilter,
                            public graph::ITVTuner,
                            public graph::ITunerPropertySet {
 public:
  explicit TVirtualTuner(std::shared_ptr<TVirtualCard> card);
  bool GetAvailableModes(int& modes) const override;
  bool put_Mode(int mode) override;
  bool get_Mode(int& mode) const override;
  bool put_CountryCode(int code) override;
  bool SetFrequency(quint32 hertz, int tuningFlags, int channel) override;
  bool GetStatus(graph::TTunerStatus& status) const override;
  bool GetModeCaps(int mode, quint32& minHertz, quint32& maxHertz) const override;
  bool SetStandard(int standard) override;
  bool GetCopyProtection(qint32& flags) const override;
};

class TVirtualTVAudio final : public TVirtualDeviceFilter, public graph::ITVAudio {
 public:
  explicit TVirtualTVAudio(std::shared_ptr<TVirtualCard> card);
  bool GetAvailableTVAudioModes(int& modes) const override;
  bool put_TVAudioMode(int mode) override;
  bool get_TVAudioMode(int& mode) const override;
};

class TVirtualVideoCapture final : public TVirtualDeviceFilter,
                                   public graph::IStreamConfig,
                                   public graph::IVideoProcAmp,
                                   public graph::IAnalogVideoDecoder {
 public:
  explicit TVirtualVideoCapture(std::shared_ptr<TVirtualCard> card);

  int GetNumberOfCapabilities() const override;
  bool GetStreamCaps(int index, graph::TMediaType& type) const override;
  bool GetFormat(graph::TMediaType& type) const override;
  bool SetFormat(const graph::TMediaType& type) override;

  bool GetRange(int property, int& min, int& max, int& step, int& defaultValue,
                int& flags) const override;
  bool Get(int property, int& value, int& flags) const override;
  bool Set(int property, int value, int flags) override;

  bool get_HorizontalLocked(bool& locked) const override;
  bool get_AvailableTVFormats(int& formats) const override;
  bool put_TVFormat(int format) override;
  bool get_TVFormat(int& format) const override;

  // The caption scrolling over the picture now ("Cannot play <file>" when a station's file
  // cannot be played).
  QByteArray Caption() const;

 protected:
  void CardChanged() override;
  bool BeforeRun() override { return !Card().Unplugged(); }
  void AfterStop() override;
  bool Answers(const std::type_info& interfaceType) const override;

 private:
  void ApplyFormat();
  GstElement* Child(const char* name) const;
  // Shared with the source's streaming thread, which animates every frame.
  std::shared_ptr<TPictureAnimator> animator_;

  graph::TMediaType format_;
};

// The Empia 2800 driver object: remembers what it is told on the card.
class TVirtualEmpiaObject final : public graph::TFilter, public graph::IEmpia2800 {
 public:
  explicit TVirtualEmpiaObject(std::shared_ptr<TVirtualCard> card);
  bool SetSettingValue(int value) override;
  bool SetTVAudioMode(int mode) override;
  bool SetSource(int source) override;

 private:
  std::shared_ptr<TVirtualCard> card_;
};

class TVirtualAudioCapture final : public TVirtualDeviceFilter,
                                   public graph::IStreamConfig,
                                   public graph::IAudioInputMixer {
 public:
  explicit TVirtualAudioCapture(std::shared_ptr<TVirtualCard> card);

  int GetNumberOfCapabilities() const override;
  bool GetStreamCaps(int index, graph::TMediaType& type) const override;
  bool GetFormat(graph::TMediaType& type) const override;
  bool SetFormat(const graph::TMediaType& type) override;

  bool put_Enable(int inputPin, bool enable) override;
  bool get_Enable(int inputPin, bool& enabled) const override;

 protected:
  void CardChanged() override;
  void AfterStop() override;

 private:
  GstElement* Child(const char* name) const;
  graph::TMediaType format_;
  std::shared_ptr<TSoundAnimator> sound_;
};

}  // namespace pvx::platform::devices

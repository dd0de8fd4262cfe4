#pragma once
// The device filters of a capture card, as device enumeration binds them: one set for every
// backend, answering the graph's interfaces on the card's interface.

#include <memory>

#include "platform/devices/ICaptureCard.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::platform::devices {

// Shared by the card's filters: the card, the part, and the wiring between parts that lies
// inside the card (crossbars to the capture device, cascaded crossbars).
class TCardFilter : public graph::TFilter {
 public:
  TCardFilter(std::shared_ptr<ICaptureCard> card, CardPart part, int index = 0);
  ~TCardFilter() override;

  ICaptureCard& Card() const { return *card_; }
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

  std::shared_ptr<ICaptureCard> card_;
  CardPart part_;
  int index_;
  int subscription_ = 0;
};

class TCardCrossbar final : public TCardFilter, public graph::ICrossbar {
 public:
  explicit TCardCrossbar(std::shared_ptr<ICaptureCard> card, int index = 0);
  bool GetPinCounts(int& outputs, int& inputs) const override;
  bool CanRoute(int output, int input) const override;
  bool Route(int output, int input) override;
  bool IsRoutedTo(int output, int& input) const override;
  bool GetCrossbarPinInfo(bool isInput, int index, int& related, int& physicalType) const override;
};

class TCardTuner final : public TCardFilter,
                         public graph::ITVTuner,
                         public graph::ITunerPropertySet {
 public:
  explicit TCardTuner(std::shared_ptr<ICaptureCard> card);
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

class TCardTVAudio final : public TCardFilter, public graph::ITVAudio {
 public:
  explicit TCardTVAudio(std::shared_ptr<ICaptureCard> card);
  bool GetAvailableTVAudioModes(int& modes) const override;
  bool put_TVAudioMode(int mode) override;
  bool get_TVAudioMode(int& mode) const override;
};

class TCardVideoCapture final : public TCardFilter,
                                public graph::IStreamConfig,
                                public graph::IVideoProcAmp,
                                public graph::IAnalogVideoDecoder {
 public:
  explicit TCardVideoCapture(std::shared_ptr<ICaptureCard> card);

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

 protected:
  void CardChanged() override;
  bool BeforeRun() override { return Card().CheckPresent(); }
  void AfterStop() override { source_->Rest(); }
  bool Answers(const std::type_info& interfaceType) const override;

 private:
  std::unique_ptr<ICardSource> source_;
  graph::TMediaType format_;
  bool hasProcAmp_ = false;
};

// The card's own audio capture device, where it has one (ICaptureCard::MakeAudioSource).
class TCardAudioCapture final : public TCardFilter,
                                public graph::IStreamConfig,
                                public graph::IAudioInputMixer {
 public:
  explicit TCardAudioCapture(std::shared_ptr<ICaptureCard> card);

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
  std::unique_ptr<ICardSource> source_;  // nullptr for a card without sound of its own
  graph::TMediaType format_;
};

}  // namespace pvx::platform::devices

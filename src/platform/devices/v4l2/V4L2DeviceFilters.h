#pragma once
// The device filters of a real capture card, as device enumeration binds them. They answer
// the same interfaces as the virtual card's filters, on V4L2 calls.

#include <memory>

#include "platform/devices/v4l2/TV4L2Card.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

typedef struct _GstElement GstElement;

namespace pvx::platform::devices::v4l2 {

enum class V4L2Part { Capture, Crossbar, Tuner, TVAudio };

// The name of one part: "<card> Crossbar" ...; the capture device carries the card's name.
QString PartName(const TV4L2Card& card, V4L2Part part);

class TV4L2DeviceFilter : public graph::TFilter {
 public:
  TV4L2DeviceFilter(std::shared_ptr<TV4L2Card> card, V4L2Part part);
  ~TV4L2DeviceFilter() override;
  TV4L2Card& Card() const { return *card_; }
  V4L2Part Part() const { return part_; }

 protected:
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;
  void AddedToGraph() override;
  virtual void CardGone() {}

 private:
  std::shared_ptr<TV4L2Card> card_;
  V4L2Part part_;
  int subscription_ = 0;
};

// Video inputs in the driver's order, then the tuner's sound and the line sound; outputs:
// the decoder's video, then its sound.
class TV4L2Crossbar final : public TV4L2DeviceFilter, public graph::ICrossbar {
 public:
  explicit TV4L2Crossbar(std::shared_ptr<TV4L2Card> card);
  bool GetPinCounts(int& outputs, int& inputs) const override;
  bool CanRoute(int output, int input) const override;
  bool Route(int output, int input) override;
  bool IsRoutedTo(int output, int& input) const override;
  bool GetCrossbarPinInfo(bool isInput, int index, int& related, int& physicalType) const override;

 private:
  int VideoInputs() const { return int(Card().Inputs().size()); }
  std::vector<int> types_;
  std::vector<int> related_;
};

class TV4L2Tuner final : public TV4L2DeviceFilter,
                         public graph::ITVTuner,
                         public graph::ITunerPropertySet {
 public:
  explicit TV4L2Tuner(std::shared_ptr<TV4L2Card> card);
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

class TV4L2TVAudio final : public TV4L2DeviceFilter, public graph::ITVAudio {
 public:
  explicit TV4L2TVAudio(std::shared_ptr<TV4L2Card> card);
  bool GetAvailableTVAudioModes(int& modes) const override;
  bool put_TVAudioMode(int mode) override;
  bool get_TVAudioMode(int& mode) const override;
};

class TV4L2VideoCapture final : public TV4L2DeviceFilter,
                                public graph::IStreamConfig,
                                public graph::IVideoProcAmp,
                                public graph::IAnalogVideoDecoder {
 public:
  explicit TV4L2VideoCapture(std::shared_ptr<TV4L2Card> card);

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
  bool Answers(const std::type_info& interfaceType) const override;
  bool BeforeRun() override;
  void CardGone() override;

 private:
  std::vector<graph::TMediaType> Types() const;
  qint64 FrameDuration() const;
  void ApplyFormat();
  GstElement* Child(const char* name) const;

  graph::TMediaType format_;
  int standard_ = 0;
  bool hasProcAmp_ = false;
};

}  // namespace pvx::platform::devices::v4l2

#pragma once
// The virtual TV card: the state of a simulated tuner card (tuner, crossbars, decoder,
// proc-amp, audio lines) behind the shared device filters that the graphs bind. The filters
// read and change this state; its sources show and play what it receives.

#include <QList>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/devices/ICaptureCard.h"
#include "platform/devices/virtual/VirtualStations.h"

namespace pvx::platform::devices {

struct TVirtualCardConfig {
  // Friendly names read "<Prefix> <Maker> <Model> <part>", so chip detection finds the maker
  // and the model; empty parts are left out.
  QString Prefix = "OKA Virtual";
  QString Maker = "Philips";
  QString Model = "7134";
  int Crossbars = 1;  // 1, or 2 cascaded (the lower one feeds the capture device)
  bool HasTuner = true;
  bool HasFM = true;
  bool HasTVAudio = true;
  bool HasAudioCapture = true;
  int AudioInputs = 2;          // lines of the audio capture device (1 or 2)
  bool HasPreviewPin = false;   // the capture device offers its own preview pin
  bool HasProcAmp = true;       // the capture device answers the colour controls
  bool HasCamera = true;        // the crossbar has a camera (AUX) input
  QList<QSize> RefusedSizes{};  // capture sizes the driver refuses
  QString StationsFile{};       // empty: stations.ini from the data folders
};

enum class SourceKind { Station, Snow, Composite, SVideo, Camera, Line, Silence };

struct TReception {
  SourceKind Kind = SourceKind::Snow;
  std::optional<TVirtualStation> Station;
};

// A crossbar and its routes: per output, the routed input, -1 for none.
struct TCrossbarModel : TCrossbarPins {
  std::vector<int> Routes;
};

class TPictureAnimator;

class TVirtualCard final : public ICaptureCard {
 public:
  explicit TVirtualCard(TVirtualCardConfig config = {});

  const TVirtualCardConfig& Config() const { return config_; }
  const TVirtualStations& Stations() const { return stations_; }
  void SetStations(TVirtualStations stations);

  // "<Prefix> <Maker> <Model> <part>".
  QString DeviceName(const QString& part) const;
  QString PartName(CardPart part, int index = 0) const override;
  bool HasTVAudio() const override { return config_.HasTVAudio; }
  bool HasPreviewPin() const override { return config_.HasPreviewPin; }

  // Crossbars: 0 feeds the capture device, 1 (when cascaded) feeds crossbar 0.
  int CrossbarCount() const override { return int(crossbars_.size()); }
  const TCrossbarModel& Crossbar(int index) const { return crossbars_.at(size_t(index)); }
  const TCrossbarPins& CrossbarPins(int index) const override { return Crossbar(index); }
  bool Route(int crossbar, int output, int input) override;
  bool RoutedTo(int crossbar, int output, int& input) override;

  // Tuner.
  int TunerMode() const override { return tunerMode_; }
  bool SetTunerMode(int mode) override;
  int AvailableTunerModes() const override;
  quint32 MinFrequency(int mode) const;
  quint32 MaxFrequency(int mode) const;
  bool TunerRange(int mode, quint32& minHertz, quint32& maxHertz) const override;
  bool SetFrequency(quint32 hertz) override;
  quint32 Frequency() const { return tunerMode_ == kModeFM ? fmFrequency_ : tvFrequency_; }
  int PllOffset() const;
  // Full strength on a station, none elsewhere.
  bool ReadTunerStatus(graph::TTunerStatus& status) override;
  int CountryCode() const { return countryCode_; }
  void SetCountryCode(int code) override { countryCode_ = code; }
  bool ReadCopyProtection(qint32& flags) override;

  // Decoder.
  int Standard() const { return standard_; }
  bool ReadStandard(int& standard) override;
  int AvailableStandards() const override;
  bool SetStandard(int standard) override;
  bool IsNtscLike() const;
  bool ReadHorizontalLock(bool& locked) override;

  // TV sound: the modes the station tuned now carries, mono elsewhere.
  bool ReadTVAudioModes(int& modes) override;
  int TVAudioMode() const { return tvAudioMode_; }
  bool ReadTVAudioMode(int& mode) override;
  bool SetTVAudioMode(int mode) override;

  // Colour controls of the capture device.
  static TProcAmpRange ProcAmpRange(int property);
  bool HasProcAmp() override { return config_.HasProcAmp; }
  bool ReadProcAmpRange(int property, TProcAmpRange& range) override;
  int ProcAmp(int property) const;
  bool ReadProcAmp(int property, int& value) override;
  bool SetProcAmp(int property, int value) override;

  // YUY2, UYVY and RGB24 at 640 wide, 480 or 576 lines as the standard has.
  std::vector<graph::TMediaType> CaptureTypes() const override;
  bool CanCapture(const graph::TMediaType& type) const override;
  std::unique_ptr<ICardSource> MakeVideoSource() override;
  // The caption scrolling over the picture of the capture device bound last ("Cannot play
  // <file>" when a station's file cannot be played).
  QByteArray Caption() const;

  // The audio capture device's input lines and which one is enabled.
  QStringList AudioInputNames() const override;
  int EnabledAudioInput() const override { return audioInput_; }
  bool EnableAudioInput(int line) override;
  std::unique_ptr<ICardSource> MakeAudioSource() override;

  // What the capture devices receive now, following the crossbar routes to the connector.
  TReception Picture() const;
  TReception Sound() const;
  // What the card's audio output carries, whatever line the audio capture device records.
  TReception LineOut() const;

  // Replaces the decoder's lock readings, one call per reading (a weak or flaky signal).
  std::function<bool()> LockOverride;

  // What the Empia 2800 vendor object was last told (-1: nothing yet).
  int VendorSource = -1;
  int VendorAudioMode = -1;
  int VendorSetting = -1;

  // Pulled out like a USB card: the running capture reports its loss, nothing binds or runs.
  void Unplug();
  bool IsGone() const override { return unplugged_; }
  bool CheckPresent() override { return !unplugged_; }
  QString Location() const override { return PartName(CardPart::Capture); }

  int Subscribe(std::function<void()> listener) override;
  void Unsubscribe(int token) override;

  static constexpr int kModeTV = 1;
  static constexpr int kModeFM = 2;

 private:
  SourceKind ConnectorKind(int physicalType) const;
  // Follows output `output` of crossbar `index` up to its connector.
  int ConnectorOf(int index, int output) const;
  TReception Tuned() const;
  void Changed();

  TVirtualCardConfig config_;
  bool unplugged_ = false;
  TVirtualStations stations_;
  std::vector<TCrossbarModel> crossbars_;
  int tunerMode_ = kModeTV;
  quint32 tvFrequency_ = 0;
  quint32 fmFrequency_ = 0;
  int countryCode_ = 1;
  int standard_ = 0x1;
  int tvAudioMode_ = 0x1;
  std::array<int, 5> procAmp_{};
  int audioInput_ = 0;
  std::map<int, std::function<void()>> listeners_;
  int nextToken_ = 1;
  std::weak_ptr<TPictureAnimator> picture_;
};

}  // namespace pvx::platform::devices

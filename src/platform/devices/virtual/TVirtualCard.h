#pragma once
// The virtual TV card: the state of a simulated tuner card (tuner, crossbars, decoder,
// proc-amp, audio lines) behind the device filters that the graphs bind. The filters read and
// change this state; the capture filters show and play what it receives.

#include <QList>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/devices/virtual/VirtualStations.h"
#include "platform/graph/GraphTypes.h"

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
  QList<QSize> RefusedSizes;    // capture sizes the driver refuses
  QString StationsFile;  // empty: stations.ini from the data folders
};

enum class SourceKind { Station, Snow, Composite, SVideo, Camera, Line, Silence };

struct TReception {
  SourceKind Kind = SourceKind::Snow;
  std::optional<TVirtualStation> Station;
};

struct TCrossbarPin {
  QString Name;
  int PhysicalType = 0;
  int Related = -1;
};

struct TCrossbarModel {
  std::vector<TCrossbarPin> Inputs;
  std::vector<TCrossbarPin> Outputs;
  std::vector<int> Routes;  // per output: routed input, -1 for none
};

// Proc-amp properties as the capture device reports them.
struct TProcAmpRange {
  int Min, Max, Step, Default;
};

class TVirtualCard {
 public:
  explicit TVirtualCard(TVirtualCardConfig config = {});

  const TVirtualCardConfig& Config() const { return config_; }
  const TVirtualStations& Stations() const { return stations_; }
  void SetStations(TVirtualStations stations);

  QString DeviceName(const QString& part) const;

  // Crossbars: 0 feeds the capture device, 1 (when cascaded) feeds crossbar 0.
  int CrossbarCount() const { return int(crossbars_.size()); }
  const TCrossbarModel& Crossbar(int index) const { return crossbars_.at(size_t(index)); }
  bool CanRoute(int crossbar, int output, int input) const;
  bool Route(int crossbar, int output, int input);

  // Tuner.
  int TunerMode() const { return tunerMode_; }
  bool SetTunerMode(int mode);
  int AvailableTunerModes() const;
  quint32 MinFrequency(int mode) const;
  quint32 MaxFrequency(int mode) const;
  bool SetFrequency(quint32 hertz);
  quint32 Frequency() const { return tunerMode_ == kModeFM ? fmFrequency_ : tvFrequency_; }
  int PllOffset() const;
  int CountryCode() const { return countryCode_; }
  void SetCountryCode(int code) { countryCode_ = code; }
  bool CopyProtected() const;

  // Decoder.
  int Standard() const { return standard_; }
  int AvailableStandards() const;
  bool SetStandard(int standard);
  bool IsNtscLike() const;
  bool HorizontalLocked() const;

  // TV sound.
  int AvailableTVAudioModes() const;
  int TVAudioMode() const { return tvAudioMode_; }
  bool SetTVAudioMode(int mode);

  // Colour controls of the capture device.
  static TProcAmpRange ProcAmpRange(int property);
  int ProcAmp(int property) const;
  bool SetProcAmp(int property, int value);

  // The audio capture device's input lines and which one is enabled.
  QStringList AudioInputNames() const;
  int EnabledAudioInput() const { return audioInput_; }
  bool EnableAudioInput(int line);

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
  bool Unplugged() const { return unplugged_; }

  // Told after every change that can alter the picture or the sound.
  int Subscribe(std::function<void()> listener);
  void Unsubscribe(int token);

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
};

}  // namespace pvx::platform::devices

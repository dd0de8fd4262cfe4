#pragma once
// The simulated broadcast the virtual TV card receives, read from stations.ini.

#include <QString>
#include <optional>
#include <vector>

namespace pvx::platform::devices {

struct TVirtualStation {
  QString Name;
  quint32 Frequency = 0;   // picture carrier (TV) or carrier (FM), Hz
  int Standard = 0x1;      // analogue video standard bit
  int AudioModes = 0x1;    // TV audio mode bits carried
  QString Pattern = "smpte";
  int ToneHz = 440;
  // Notes (Hz) played in turn instead of the steady tone, each kNoteMs long; FM stations sing.
  std::vector<int> Melody{};
  bool CopyProtected = false;
  bool IsFM = false;
  // What moves on the picture: a caption scrolling along the bottom, the pattern scrolling
  // `Pan` pixels a frame, and with HeavyMotion a zone plate whose phases keep changing.
  QString Ticker{};
  int Pan = 0;
  bool HeavyMotion = false;
  // Two fields a frame, the bottom one half a frame after the top one.
  bool Interlaced = false;
  // A media file broadcast in a loop instead of the pattern: as written, and resolved.
  QString FileName{};
  QString FilePath{};
};

// Tuning behaviour of the virtual tuner: what a receiver reads around a carrier.
inline constexpr quint32 kCaptureRange = 1500000;  // a carrier within this locks
inline constexpr quint32 kPllStep = 62500;         // one step of PLL offset
inline constexpr int kNoCarrierOffset = 127;       // offset read where nothing is received
inline constexpr int kNoteMs = 250;                // one note of a station's melody

class TVirtualStations {
 public:
  // Reads the file; a missing or empty file gives no stations.
  static TVirtualStations Load(const QString& path);
  // stations.ini from the data folders (program folder first).
  static TVirtualStations LoadDefault();

  void Add(const TVirtualStation& station) { stations_.push_back(station); }
  const std::vector<TVirtualStation>& All() const { return stations_; }

  // The station whose carrier is nearest to `hertz` within the capture range, of that band.
  std::optional<TVirtualStation> Receive(quint32 hertz, bool fm) const;

  // Signed PLL offset read when tuned to `hertz`: 0 within one step of the carrier, growing
  // one per step of detuning; kNoCarrierOffset where nothing is received.
  int PllOffset(quint32 hertz, bool fm) const;

  // The standard bit of a standard name ("PAL B" -> 0x10); 0 when unknown.
  static int StandardOfName(const QString& name);

 private:
  std::vector<TVirtualStation> stations_;
};

}  // namespace pvx::platform::devices

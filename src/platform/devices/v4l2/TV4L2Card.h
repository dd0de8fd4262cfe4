#pragma once
// One real capture card: what its /dev/videoN node (and the /dev/radioN node on the same
// device) offers, read once, and the card interface on V4L2 calls. A card whose node reports
// ENODEV or EIO is gone: it tells its listeners once and every later call fails.

#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/devices/ICaptureCard.h"
#include "platform/devices/v4l2/V4L2Io.h"

namespace pvx::platform::devices::v4l2 {

struct TV4L2Input {
  QString Name;
  quint32 Index = 0;
  int PhysicalType = 0;  // the crossbar's connector type
};

// A tuner band: the TV tuner, or the FM tuner on the video node or on the radio node.
struct TV4L2Band {
  bool Present = false;
  bool OnRadioNode = false;
  quint32 Tuner = 0;
  quint32 Type = 0;
  double UnitHertz = 62500.0;  // 62.5 Hz when the tuner says so
  quint32 Low = 0, High = 0;   // in its units
  quint32 MinHertz() const { return quint32(Low * UnitHertz); }
  quint32 MaxHertz() const { return quint32(High * UnitHertz); }
};

struct TV4L2Format {
  QString Subtype;  // "YUY2", "UYVY", "RGB24" or "MJPEG"
  quint32 PixelFormat = 0;
  std::vector<QSize> Sizes;  // empty when the driver scales to any size
};

struct TTunerReading {
  int Signal = 0;  // 0 .. 65535
  int Afc = 0;
  quint32 RxSubchans = 0;
  quint32 AudMode = 0;
};

// What a card is built from: its node's offer, read once (V4L2CardProbe.h).
struct TV4L2CardInfo {
  QString Name, BusInfo;
  std::vector<TV4L2Input> Inputs;
  std::vector<TV4L2Format> Formats;
  quint64 StdMask = 0;
  TV4L2Band Tv, Fm;
  bool Busy = false;  // busy when probed: kept under its path, it fails to open later
};

class TV4L2Card final : public ICaptureCard {
 public:
  TV4L2Card(IV4L2Io& io, QString path, TV4L2CardInfo info);
  ~TV4L2Card() override;
  TV4L2Card(const TV4L2Card&) = delete;
  TV4L2Card& operator=(const TV4L2Card&) = delete;

  const QString& Path() const { return path_; }
  const QString& Name() const { return info_.Name; }
  const QString& BusInfo() const { return info_.BusInfo; }
  const std::vector<TV4L2Input>& Inputs() const { return info_.Inputs; }
  const std::vector<TV4L2Format>& Formats() const { return info_.Formats; }
  quint64 StdMask() const { return info_.StdMask; }
  const TV4L2Band& Band(bool fm) const { return fm ? info_.Fm : info_.Tv; }
  bool HasTuner() const { return info_.Tv.Present; }
  // The radio node on the card's bus and its FM band.
  void AttachRadio(const QString& path, const TV4L2Band& band);

  // Opens the node for the filters; false (LastError set) when busy or gone.
  bool Open();
  int LastError() const { return lastError_; }
  // What the capture bin reads from (tests replace the source).
  QString SourceDescription;

  // The capture device carries the card's name, the other parts "<card> Crossbar" ...
  QString PartName(CardPart part, int index = 0) const override;
  bool HasTVAudio() const override { return HasTuner(); }
  // Told once, when the node reports ENODEV or EIO.
  int Subscribe(std::function<void()> onGone) override;
  void Unsubscribe(int token) override { listeners_.erase(token); }
  bool IsGone() const override { return gone_; }
  bool CheckPresent() override;
  QString Location() const override { return path_; }

  // One crossbar: video inputs in the driver's order, then the tuner's sound and the line
  // sound; outputs: the decoder's video, then its sound.
  int CrossbarCount() const override { return 1; }
  const TCrossbarPins& CrossbarPins(int) const override { return crossbar_; }
  bool Route(int crossbar, int output, int input) override;
  bool RoutedTo(int crossbar, int output, int& input) override;

  int AvailableTunerModes() const override;
  int TunerMode() const override { return tunerMode_; }
  // FM opens the radio node, TV closes it again.
  bool SetTunerMode(int mode) override;
  void SetCountryCode(int) override {}  // the driver knows no countries
  bool SetFrequency(quint32 hertz) override;
  // The PLL offset is the AFC reading; without a signal there is no carrier.
  bool ReadTunerStatus(graph::TTunerStatus& status) override;
  bool TunerRange(int mode, quint32& minHertz, quint32& maxHertz) const override;
  bool ReadCopyProtection(qint32& flags) override;

  bool ReadTVAudioModes(int& modes) override;
  bool SetTVAudioMode(int mode) override;
  bool ReadTVAudioMode(int& mode) override;

  int AvailableStandards() const override;
  bool SetStandard(int standard) override;
  bool ReadStandard(int& standard) override;
  bool ReadHorizontalLock(bool& locked) override;

  bool HasProcAmp() override;
  bool ReadProcAmpRange(int property, TProcAmpRange& range) override;
  bool ReadProcAmp(int property, int& value) override;
  bool SetProcAmp(int property, int value) override;

  // The sizes the device lists (or, when it scales, those the engine captures at for the
  // standard in force) in YUY2, UYVY and RGB24; none without formats.
  std::vector<graph::TMediaType> CaptureTypes() const override;
  bool CanCapture(const graph::TMediaType& type) const override;
  // Reads the standard in force as the capture device is bound: the sizes follow it.
  std::unique_ptr<ICardSource> MakeVideoSource() override;

 private:
  int Call(unsigned long request, void* arg, bool radio = false);
  bool SetInput(quint32 index);
  bool GetInput(quint32& index);
  bool InputStatus(quint32 index, quint32& status);
  bool SetStd(quint64 id);
  bool GetStd(quint64& id);
  // Hertz inside the band only.
  bool SetBandFrequency(bool fm, quint32 hertz);
  bool GetFrequency(bool fm, quint32& hertz);
  bool ReadTuner(bool fm, TTunerReading& reading);
  bool SetAudMode(quint32 audmode);
  bool SetRadio(bool on);
  std::optional<TProcAmpRange> Control(int property);

  IV4L2Io& io_;
  QString path_, radioPath_;
  TV4L2CardInfo info_;
  TCrossbarPins crossbar_;
  int handle_ = -1;
  int radioHandle_ = -1;
  bool gone_ = false;
  int lastError_ = 0;
  int tunerMode_ = graph::AMTUNER_MODE_TV;
  int audioRoute_ = -1;
  int standard_ = 0;  // 0 when the driver did not say
  std::map<int, std::function<void()>> listeners_;
  int nextToken_ = 1;
};

}  // namespace pvx::platform::devices::v4l2

#pragma once
// One real capture card: what its /dev/videoN node (and the /dev/radioN node on the same
// device) offers, read once, and the calls the device filters make on it. A card whose node
// reports ENODEV or EIO is gone: it tells its listeners once and every later call fails.

#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

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

struct TV4L2ControlRange {
  int Min = 0, Max = 0, Step = 1, Default = 0;
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

class TV4L2Card {
 public:
  TV4L2Card(IV4L2Io& io, QString path, TV4L2CardInfo info)
      : io_(io), path_(std::move(path)), info_(std::move(info)) {}
  ~TV4L2Card();
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
  bool IsGone() const { return gone_; }
  int LastError() const { return lastError_; }

  bool SetInput(quint32 index);
  bool GetInput(quint32& index);
  bool InputStatus(quint32 index, quint32& status);
  bool SetStd(quint64 id);
  bool GetStd(quint64& id);
  // Hertz inside the band only.
  bool SetFrequency(bool fm, quint32 hertz);
  bool GetFrequency(bool fm, quint32& hertz);
  bool ReadTuner(bool fm, TTunerReading& reading);
  bool SetAudMode(quint32 audmode);
  // Opens the radio node for FM and closes it again for TV.
  bool SetRadio(bool on);
  std::optional<TV4L2ControlRange> Control(quint32 id);
  bool GetControl(quint32 id, int& value);
  bool SetControl(quint32 id, int value);

  // State the filters share.
  int TunerMode = 1;
  int AudioRoute = -1;
  // What the capture bin reads from (tests replace the source).
  QString SourceDescription;

  int Subscribe(std::function<void()> onGone);
  void Unsubscribe(int token) { listeners_.erase(token); }

 private:
  int Call(unsigned long request, void* arg, bool radio = false);

  IV4L2Io& io_;
  QString path_, radioPath_;
  TV4L2CardInfo info_;
  int handle_ = -1;
  int radioHandle_ = -1;
  bool gone_ = false;
  int lastError_ = 0;
  std::map<int, std::function<void()>> listeners_;
  int nextToken_ = 1;
};

}  // namespace pvx::platform::devices::v4l2

#pragma once
// The main settings object: general preferences, run-time flags, the detected tuner-chip
// family and the current application mode.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace pvx::settings {

class TMultiLangInfo;
class TCountryInfo;
struct TCaptureSettings;
struct TAudioLevels;

enum TAppMode : quint8 {
  amTV = 0,
  amChannelPreview = 1,
  amCapture = 2,
  amScheduledCapture = 3,
  amPlayback = 4,
  amFMRadio = 5,
  amTimeShifting = 6,
  amTimeShiftPlayback = 7,
  amClosed = 8,
};

// The other owners of values stored in QDVCR.cfg. Any may be left null: its values are then
// read and dropped on load, and written as their defaults on save.
struct TMainSettingsPeers {
  TMultiLangInfo* Language = nullptr;
  const TCountryInfo* Country = nullptr;
  TCaptureSettings* Capture = nullptr;
  TAudioLevels* Audio = nullptr;
  // The main window's display aspect (0 "No Scale", 1 "4:3", 2 "16:9").
  std::function<int()> GetDisplayAspect;
  std::function<void(int aspect)> SetDisplayAspect;
};

class TMainInfo {
 public:
  TMainInfo();

  // Resets the stored preferences and the chip family; the mode, the FM and time-shift
  // switches, the chip lists and names and the callback stay.
  void ResetPreferences();

  // The mode switch: leaves the current mode, enters the new one, stores it and tells
  // OnModeChange. When a step fails the mode stays (the old one may already have been left).
  bool SetMode(TAppMode newMode);
  TAppMode Mode() const { return mode_; }
  // The leave and enter actions of each mode, installed by the application.
  std::function<bool(TAppMode from, TAppMode to)> LeaveMode;
  std::function<bool(TAppMode from, TAppMode to)> EnterMode;

  // False for the Conexant and Empia families, whose standard change needs a preview restart.
  bool IsStandardTuner() const { return ChipFamily != 2 && ChipFamily != 3 && ChipFamily != 4; }

  // QDVCR.cfg. A missing or empty file gives defaults silently. A corrupt one shows error 1103,
  // gives defaults and is set aside as QDVCR.cfg.corrupt; one that cannot be read is reported,
  // gives defaults and is kept, and the save then leaves it alone. Both return success.
  bool LoadMainSettings(const QString& path, const TMainSettingsPeers& peers);
  bool SaveMainSettings(const QString& path, const TMainSettingsPeers& peers) const;

  QStringList ChipMakers{"Philips", "Conexant", "Empia", "Wis"};
  QStringList ChipModels{"7130", "7131", "7133", "7134", "7135", "713x",
                         "878",  "88X",  "2800", "2820", "2821", "2840"};
  QString ChipMaker;
  QString ChipModel;
  bool IsWisChip = false;
  quint8 ChipFamily = 0;  // 0 other, 1 Philips 713x, 2 Conexant, 3 Empia 2800, 4 Empia 282x, 5 Wis
  bool FMEnabled = true;
  bool StartInFM = false;
  bool NoOverlay = false;
  bool TimeShiftEnabled = true;
  bool PIPEnabled = false;
  bool ReservedFlag = false;
  qint32 SleepMinutes = 30;
  bool AlwaysOnTop = false;
  qint32 MPEG4Codec = 2;  // "Divx", "Microsoft V3", "Microsoft V2", "Microsoft V1"
  QString CaptureFolder;
  QString WaveFolder;
  QString SecondBaseName = "capture";
  bool PlayGivenFile = false;
  QString GivenFilePath;
  std::array<qint32, 5> ColorLevels{-1, -1, -1, -1, -1};  // brightness .. sharpness, 0..100
  // QDVCR.cfg could not be read at start-up: the save leaves it alone so nothing is lost.
  bool KeepStoredFile = false;

  std::function<void(TMainInfo& sender, TAppMode mode)> OnModeChange;

 private:
  TAppMode mode_ = amClosed;
};

}  // namespace pvx::settings

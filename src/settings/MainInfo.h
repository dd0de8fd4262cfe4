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

// The preferences QDVCR.cfg keeps and the settings dialog edits.
struct TMainPreferences {
  bool AlwaysOnTop = false;
  bool PIPEnabled = false;
  bool StartInFM = false;
  bool NoOverlay = false;
  bool ReservedFlag = false;
  qint32 SleepMinutes = 30;
  qint32 MPEG4Codec = 2;  // "Divx", "Microsoft V3", "Microsoft V2", "Microsoft V1"
  QString CaptureFolder;
  QString WaveFolder;
  QString SecondBaseName = "capture";
  std::array<qint32, 5> ColorLevels{-1, -1, -1, -1, -1};  // brightness .. sharpness, 0..100
  bool Serve = false;              // the home server: the page, its API and the streams
  bool ServeOtherDevices = false;  // ... for the whole home network, not this computer alone
  bool operator==(const TMainPreferences&) const = default;
};

// The capture chip the engine matched the device's name to.
struct TChipIdentity {
  QString Maker{};
  QString Model{};
  quint8 Family = 0;  // 0 other, 1 Philips 713x, 2 Conexant, 3 Empia 2800, 4 Empia 282x, 5 Wis
  bool IsWis = false;
};

class TMainInfo {
 public:
  TMainInfo();

  // Resets the stored preferences, the chip and the given file; the mode, the FM and
  // time-shift switches and the callbacks stay.
  void ResetPreferences();

  // The mode switch: leaves the current mode, enters the new one, stores it and tells
  // OnModeChange. When a step fails the mode stays (the old one may already have been left).
  bool SetMode(TAppMode newMode);
  TAppMode Mode() const { return mode_; }
  // The leave and enter actions of each mode, installed by the application.
  std::function<bool(TAppMode from, TAppMode to)> LeaveMode;
  std::function<bool(TAppMode from, TAppMode to)> EnterMode;

  const TMainPreferences& Prefs() const { return prefs_; }
  // Takes the preferences whole; an empty base name becomes "capture", colour levels outside
  // 0..100 become -1 (the device's own), a negative sleep time 0.
  void SetPrefs(TMainPreferences prefs);
  void SetColorLevels(const std::array<qint32, 5>& levels);
  void SetSleepMinutes(qint32 minutes);
  void SetAlwaysOnTop(bool on);
  void SetPIPEnabled(bool on);
  // Where the next run starts when not told: the band this one ended in.
  void SetStartInFM(bool on);

  // The chip names the engine can match, in the order of the family numbers.
  static const QStringList& ChipMakers();
  static const QStringList& ChipModels();
  const TChipIdentity& Chip() const { return chip_; }
  void SetChip(TChipIdentity chip) { chip_ = std::move(chip); }
  // False for the Conexant and Empia families, whose standard change needs a preview restart.
  bool IsStandardTuner() const { return chip_.Family != 2 && chip_.Family != 3 && chip_.Family != 4; }

  // FM is offered unless this run has no radio; switching it off also drops "start in FM".
  bool FMEnabled() const { return fmEnabled_; }
  void SetFMEnabled(bool on);
  bool TimeShiftEnabled() const { return timeShiftEnabled_; }
  void SetTimeShiftEnabled(bool on) { timeShiftEnabled_ = on; }

  // The file "Play the given file" plays: the last recording, or one named on the command line.
  const QString& GivenFilePath() const { return givenFile_; }
  void SetGivenFile(const QString& path) { givenFile_ = path; }
  bool PlayGivenFile() const { return playGivenFile_; }
  void SetPlayGivenFile(bool on) { playGivenFile_ = on; }

  // QDVCR.cfg. A missing or empty file gives defaults silently. A corrupt one shows error 1103,
  // gives defaults and is set aside as QDVCR.cfg.corrupt; one that cannot be read is reported,
  // gives defaults and is kept, and the save then leaves it alone. Both return success.
  bool LoadMainSettings(const QString& path, const TMainSettingsPeers& peers);
  bool SaveMainSettings(const QString& path, const TMainSettingsPeers& peers) const;

  std::function<void(TMainInfo& sender, TAppMode mode)> OnModeChange;

 private:
  friend class TMainSettingsFile;  // keeps the unreadable-file mark

  TAppMode mode_ = amClosed;
  TMainPreferences prefs_;
  TChipIdentity chip_;
  bool fmEnabled_ = true;
  bool timeShiftEnabled_ = true;
  bool playGivenFile_ = false;
  QString givenFile_;
  // QDVCR.cfg could not be read at start-up: the save leaves it alone so nothing is lost.
  bool keepStoredFile_ = false;
};

}  // namespace pvx::settings

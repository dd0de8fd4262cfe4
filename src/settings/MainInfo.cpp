#include "settings/MainInfo.h"

#include "settings/MainSettingsFile.h"
#include "util/Folders.h"

namespace pvx::settings {

TMainInfo::TMainInfo() { ResetPreferences(); }

void TMainInfo::ResetPreferences() {
  prefs_ = TMainPreferences{};
  prefs_.CaptureFolder = util::DocumentsFolder();
  prefs_.WaveFolder = prefs_.CaptureFolder;
  chip_.Family = 0;
  playGivenFile_ = false;
  givenFile_.clear();
}

void TMainInfo::SetPrefs(TMainPreferences prefs) {
  if (prefs.SecondBaseName.isEmpty()) prefs.SecondBaseName = QStringLiteral("capture");
  for (qint32& level : prefs.ColorLevels)
    if (level < 0 || level > 100) level = -1;
  if (prefs.SleepMinutes < 0) prefs.SleepMinutes = 0;
  prefs_ = std::move(prefs);
}

void TMainInfo::SetColorLevels(const std::array<qint32, 5>& levels) {
  TMainPreferences prefs = prefs_;
  prefs.ColorLevels = levels;
  SetPrefs(std::move(prefs));
}

void TMainInfo::SetSleepMinutes(qint32 minutes) { prefs_.SleepMinutes = qMax(0, minutes); }

void TMainInfo::SetAlwaysOnTop(bool on) { prefs_.AlwaysOnTop = on; }

void TMainInfo::SetPIPEnabled(bool on) { prefs_.PIPEnabled = on; }

void TMainInfo::SetStartInFM(bool on) { prefs_.StartInFM = on && fmEnabled_; }

void TMainInfo::SetFMEnabled(bool on) {
  fmEnabled_ = on;
  if (!on) prefs_.StartInFM = false;
}

const QStringList& TMainInfo::ChipMakers() {
  static const QStringList makers{"Philips", "Conexant", "Empia", "Wis"};
  return makers;
}

const QStringList& TMainInfo::ChipModels() {
  static const QStringList models{"7130", "7131", "7133", "7134", "7135", "713x",
                                  "878",  "88X",  "2800", "2820", "2821", "2840"};
  return models;
}

bool TMainInfo::SetMode(TAppMode newMode) {
  if (newMode == mode_) return true;
  const TAppMode old = mode_;
  if (LeaveMode && !LeaveMode(old, newMode)) return false;
  if (EnterMode && !EnterMode(old, newMode)) return false;
  mode_ = newMode;
  if (OnModeChange) OnModeChange(*this, newMode);
  return true;
}

bool TMainInfo::LoadMainSettings(const QString& path, const TMainSettingsPeers& peers) {
  return TMainSettingsFile::Load(path, *this, peers);
}

bool TMainInfo::SaveMainSettings(const QString& path, const TMainSettingsPeers& peers) const {
  return TMainSettingsFile::Save(path, *this, peers);
}

}  // namespace pvx::settings

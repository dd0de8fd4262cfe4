#include "settings/MainInfo.h"

#include "settings/MainSettingsFile.h"
#include "util/Folders.h"

namespace pvx::settings {

TMainInfo::TMainInfo() { ResetPreferences(); }

void TMainInfo::ResetPreferences() {
  StartInFM = false;
  NoOverlay = false;
  PIPEnabled = false;
  ReservedFlag = false;
  AlwaysOnTop = false;
  PlayGivenFile = false;
  ChipFamily = 0;
  SleepMinutes = 30;
  MPEG4Codec = 2;
  CaptureFolder = util::DocumentsFolder();
  WaveFolder = CaptureFolder;
  SecondBaseName = "capture";
  GivenFilePath.clear();
  ColorLevels.fill(-1);
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

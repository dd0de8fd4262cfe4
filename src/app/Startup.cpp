#include "app/Startup.h"

#include <QStringList>
#include <memory>

#include "app/LogoForm.h"
#include "app/WarningForm.h"
#include "platform/DialogService.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemServices.h"
#include "settings/CaptureSettings.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"
#include "settings/MultiLangInfo.h"
#include "util/OEMInfo.h"

namespace pvx::app {

util::TOEMInfo* OEMInfo = nullptr;

namespace {

using namespace pvx::settings;

constexpr int kRequiredMediaLevel = 8;

TFormLogo* gLogo = nullptr;
// Records the engine and the main window will own; held here until they exist.
TCaptureSettings gCaptureSettings;
TAudioLevels gAudioLevels;
int gDisplayAspect = 0;
bool gStarted = false;

TMainSettingsPeers Peers() {
  TMainSettingsPeers peers;
  peers.Language = MultiLangInfo;
  peers.Country = CountryInfo;
  peers.Capture = &gCaptureSettings;
  peers.Audio = &gAudioLevels;
  peers.GetDisplayAspect = [] { return gDisplayAspect; };
  peers.SetDisplayAspect = [](int aspect) { gDisplayAspect = aspect; };
  return peers;
}

bool MediaFrameworkReady() {
  QStringList missing;
  const int level = platform::System().MediaFrameworkLevel(&missing);
  if (level >= kRequiredMediaLevel) return true;
  QString text = QStringLiteral("Your DirectX Version is V") + QString::number(level) +
                 QStringLiteral(".0. Sorry, we need DirectX 8.0 above. \r"
                                "Please Insatll DirectX 9.0 on CD to get the best capability.");
  text += QStringLiteral("\nMissing media components: ") + missing.join(", ");
  platform::Dialogs().MessageBox(text, QStringLiteral("OKA PVX"), platform::MsgButtons::Ok);
  return false;
}

}  // namespace

QString MainSettingsPath() {
  return platform::ProgramFolder() + QString::fromLatin1(TMainSettingsFile::kFileName);
}

bool InitializeApplication() {
  InstallWarningForm();
  if (!MainInfo) MainInfo = new TMainInfo;
  OEMInfo = new util::TOEMInfo;
  if (!MediaFrameworkReady()) return false;
  gLogo = new TFormLogo;
  gLogo->ShowLogo();
  CountryInfo = new TCountryInfo;
  MultiLangInfo = new TMultiLangInfo(LanguageListPath());
  MultiLangInfo->SetLanguage(CountryInfo->DefaultLanguage);
  MainInfo->LoadMainSettings(MainSettingsPath(), Peers());
  gStarted = true;
  return true;
}

void CloseLogo() {
  delete gLogo;
  gLogo = nullptr;
}

void ShutdownApplication() {
  if (!MainInfo) return;
  if (gStarted) {
    MainInfo->Mode = amClosed;
    MainInfo->SaveMainSettings(MainSettingsPath(), Peers());
  }
  CloseLogo();
  delete MultiLangInfo;
  MultiLangInfo = nullptr;
  delete CountryInfo;
  CountryInfo = nullptr;
  delete OEMInfo;
  OEMInfo = nullptr;
  delete MainInfo;
  MainInfo = nullptr;
  gStarted = false;
}

}  // namespace pvx::app

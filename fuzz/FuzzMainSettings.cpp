// QDVCR.cfg: a file that loads saves one that loads again and saves to the same bytes.

#include "FuzzTarget.h"
#include "settings/CaptureSettings.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"

using namespace pvx;
using settings::TMainSettingsFile;

namespace {

bool LoadAndSave(const QString& from, const QString& to) {
  settings::TMainInfo main;
  settings::TCaptureSettings capture;
  settings::TAudioLevels audio;
  int aspect = 0;
  const settings::TMainSettingsPeers peers{nullptr, nullptr, &capture, &audio,
                                           [&] { return aspect; }, [&](int a) { aspect = a; }};
  if (!TMainSettingsFile::Load(from, main, peers)) return false;
  fuzz::Expect(TMainSettingsFile::Save(to, main, peers));
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = fuzz::Put(TMainSettingsFile::kFileName, fuzz::Bytes(data, size));
  if (!LoadAndSave(path, fuzz::Home() + "first.cfg")) return 0;
  fuzz::Expect(LoadAndSave(fuzz::Home() + "first.cfg", fuzz::Home() + "second.cfg"));
  fuzz::Expect(fuzz::Get(fuzz::Home() + "first.cfg") == fuzz::Get(fuzz::Home() + "second.cfg"));
  return 0;
}

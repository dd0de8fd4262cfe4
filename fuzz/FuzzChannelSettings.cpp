// QDVCR2.cfg: a file that loads saves one that loads again and saves to the same bytes.

#include "FuzzTarget.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"

using namespace pvx;
using settings::TChannelSettingsFile;

namespace {

bool LoadAndSave(const QString& from, const QString& to) {
  settings::TChannelInfo channels;
  settings::TPreviewInfo preview(channels);
  if (!TChannelSettingsFile::Load(from, channels, preview)) return false;
  fuzz::Expect(TChannelSettingsFile::Save(to, channels, preview));
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = fuzz::Put(TChannelSettingsFile::kFileName, fuzz::Bytes(data, size));
  if (!LoadAndSave(path, fuzz::Home() + "first.cfg")) return 0;
  fuzz::Expect(LoadAndSave(fuzz::Home() + "first.cfg", fuzz::Home() + "second.cfg"));
  fuzz::Expect(fuzz::Get(fuzz::Home() + "first.cfg") == fuzz::Get(fuzz::Home() + "second.cfg"));
  return 0;
}

// PLAYRECENT.LST: the lines read save a file that reads back to the same lines.

#include "FuzzTarget.h"
#include "playback/PlayListFiles.h"

using namespace pvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Put("PLAYRECENT.LST", fuzz::Bytes(data, size));
  const QStringList lines = playback::LoadRecentFiles(playback::PlayRecentPath());
  const QString saved = fuzz::Home() + "saved.LST";
  fuzz::Expect(playback::SaveRecentFiles(saved, lines));
  fuzz::Expect(playback::LoadRecentFiles(saved) == lines);
  return 0;
}

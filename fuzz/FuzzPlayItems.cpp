// PLAYITEMS.LST: the records read save a list that reads back whole and the same.

#include "FuzzTarget.h"
#include "playback/PlayListFiles.h"

using namespace pvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Put("PLAYITEMS.LST", fuzz::Bytes(data, size));
  playback::TPlaybackItems items;
  playback::LoadPlayItems(playback::PlayItemsPath(), items);
  const QString saved = fuzz::Home() + "saved.LST";
  fuzz::Expect(playback::SavePlayItems(saved, items));
  playback::TPlaybackItems back;
  playback::LoadPlayItems(saved, back);
  fuzz::Expect(QFileInfo::exists(saved) && back.size() == items.size());
  // A text past the longest stored string reads back as empty, by design.
  const auto stored = [](const QString& text) {
    return text.toUtf8().size() <= playback::kMaxStoredPath ? text : QString();
  };
  for (size_t i = 0; i < items.size(); ++i) {
    fuzz::Expect(back[i]->FilePath == stored(items[i]->FilePath));
    fuzz::Expect(back[i]->Description == stored(items[i]->Description));
    fuzz::Expect(back[i]->Channel == items[i]->Channel);
  }
  return 0;
}

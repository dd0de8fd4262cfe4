#include "playback/PlaybackInfo.h"

#include <QFile>
#include <algorithm>

#include "playback/PlayListFiles.h"

namespace pvx::playback {

TPlaybackInfo::TPlaybackInfo() {
  LoadItems();
  LoadRecent();
}

TPlaybackInfo::~TPlaybackInfo() {
  SaveItems();
  SaveRecent();
}

void TPlaybackInfo::LoadItems() {
  Items.clear();
  LoadPlayItems(PlayItemsPath(), Items);
}

bool TPlaybackInfo::SaveItems() const { return SavePlayItems(PlayItemsPath(), Items); }

void TPlaybackInfo::LoadRecent() { RecentFiles = LoadRecentFiles(PlayRecentPath()); }

bool TPlaybackInfo::SaveRecent() const { return SaveRecentFiles(PlayRecentPath(), RecentFiles); }

bool TPlaybackInfo::AddItem(std::unique_ptr<TPlaybackItem>& item) {
  if (!item) return false;
  const bool listed = std::any_of(Items.begin(), Items.end(), [&](const auto& listedItem) {
    return listedItem->FilePath == item->FilePath;
  });
  if (listed) return false;
  Items.insert(Items.begin(), std::move(item));
  return true;
}

bool TPlaybackInfo::DeleteItem(int index, bool deleteFile) {
  if (index < 0 || index >= static_cast<int>(Items.size())) return false;
  if (deleteFile) QFile::remove(Items[index]->FilePath);
  Items.erase(Items.begin() + index);
  return true;
}

bool TPlaybackInfo::DeleteAllItems(bool deleteFiles) {
  for (int i = static_cast<int>(Items.size()) - 1; i >= 0; --i) DeleteItem(i, deleteFiles);
  Items.clear();
  return true;
}

bool TPlaybackInfo::PlayIndex(int index) {
  // Without a player nothing can start, and the entries are not to blame.
  if (index < 0 || index >= PlayList.size() || !FilePlayer) return false;
  CurrentIndex = index;
  CurrentFile = PlayList[index];
  if (!FilePlayer->PlayFile(CurrentFile)) {
    PlayList.removeAt(index);
    return false;
  }
  if (!RecentFiles.contains(CurrentFile, Qt::CaseInsensitive)) RecentFiles.prepend(CurrentFile);
  if (OnPlay) OnPlay(*this, CurrentIndex);
  return true;
}

bool TPlaybackInfo::PlayNext() {
  return PlayIndex(PlayList.size() - 1 > CurrentIndex ? CurrentIndex + 1 : 0);
}

bool TPlaybackInfo::PlayPrevious() {
  const int i = CurrentIndex < 1 ? static_cast<int>(PlayList.size()) : CurrentIndex;
  return PlayIndex(i - 1);
}

bool TPlaybackInfo::RemoveFromPlayList(int index) {
  if (index < 0 || index >= PlayList.size()) return false;
  PlayList.removeAt(index);
  return true;
}

}  // namespace pvx::playback

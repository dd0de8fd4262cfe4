#pragma once
// The lists behind playback: the recordings made (Done list, PLAYITEMS.LST), the files played
// lately (Recent list, PLAYRECENT.LST) and the play list being stepped through. Creating it
// loads both files; destroying it saves them.

#include <QString>
#include <QStringList>
#include <functional>

#include "playback/FilePlayer.h"
#include "playback/PlaybackItem.h"

namespace pvx::playback {

class TPlaybackInfo {
 public:
  TPlaybackInfo();
  ~TPlaybackInfo();
  TPlaybackInfo(const TPlaybackInfo&) = delete;
  TPlaybackInfo& operator=(const TPlaybackInfo&) = delete;

  void LoadItems();
  bool SaveItems() const;
  void LoadRecent();
  bool SaveRecent() const;

  // Puts the item first and takes it. False for no item or a FilePath already listed
  // (case-sensitive); the caller then keeps the item.
  bool AddItem(std::unique_ptr<TPlaybackItem>& item);
  // False for an index outside the list. A file that cannot be deleted is ignored.
  bool DeleteItem(int index, bool deleteFile);
  bool DeleteAllItems(bool deleteFiles);

  // Starts PlayList[index]. An entry that fails to start leaves the play list, CurrentIndex
  // keeping its value.
  bool PlayIndex(int index);
  bool PlayNext();      // after the last entry comes the first
  bool PlayPrevious();  // before the first (or before any) comes the last
  bool RemoveFromPlayList(int index);

  int CurrentIndex = -1;
  QString CurrentFile;
  TPlaybackItems Items;     // newest first
  QStringList RecentFiles;  // most recent first
  QStringList PlayList;     // in play order
  std::function<void(TPlaybackInfo& sender, int index)> OnPlay;
  IFilePlayer* FilePlayer = nullptr;  // not owned; set by the application
};

}  // namespace pvx::playback

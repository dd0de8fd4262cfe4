#pragma once
// One recording the program made, as the Done list keeps it.

#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

namespace pvx::playback {

struct TPlaybackItem {
  QDateTime StartTime;  // local wall-clock time
  QDateTime EndTime;
  qint32 Channel = 0;  // 0 when the source was not the tuner
  bool Scheduled = false;
  bool AudioOnly = false;
  QString FilePath;  // unique within the list, compared case-sensitively
  QString Description;
};

using TPlaybackItems = std::vector<std::unique_ptr<TPlaybackItem>>;

}  // namespace pvx::playback

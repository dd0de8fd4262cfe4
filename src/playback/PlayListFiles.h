#pragma once
// PLAYITEMS.LST (the Done list, binary) and PLAYRECENT.LST (recently played files, one path a
// line), both in the program folder. Saves go through a temporary file renamed into place, so a
// failed save keeps the previous list.

#include <QString>
#include <QStringList>

#include "playback/PlaybackItem.h"

namespace pvx::playback {

inline constexpr qint32 kPlayItemsMagic = 8888;
// Longest stored string taken on reading (Linux PATH_MAX); a longer one reads as empty.
inline constexpr qint32 kMaxStoredPath = 4096;

QString PlayItemsPath();
QString PlayRecentPath();

// Appends the file's records whose recordings still exist. A wrong opening mark deletes the
// file and reads nothing; a wrong closing mark, a file that ends early, or a date more than
// 2958466 days (the year 9999) from 1899-12-30, deletes it after the records read so far. An
// empty file is left alone.
void LoadPlayItems(const QString& path, TPlaybackItems& items);
// Writes the marks, the count and every record, also when there are none, so that an emptied
// list stays empty at the next start.
bool SavePlayItems(const QString& path, const TPlaybackItems& items);

// Line ends may be CR, LF or CR LF; a missing file gives no lines.
QStringList LoadRecentFiles(const QString& path);
// Every line ended by CR LF; an empty list writes an empty file.
bool SaveRecentFiles(const QString& path, const QStringList& files);

}  // namespace pvx::playback

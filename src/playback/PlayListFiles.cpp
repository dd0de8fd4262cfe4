#include "playback/PlayListFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <cmath>
#include <functional>

#include "platform/ProgramFolder.h"
#include "util/RecordIO.h"
#include "util/TimeFormat.h"

namespace pvx::playback {
namespace {

Q_LOGGING_CATEGORY(lcPlayback, "pvx.playback")

// Two dates, the channel and two booleans come before the first string.
constexpr qint64 kFixedFieldBytes = 8 + 8 + 4 + 4 + 4;

// False when the length is negative or runs past the end: what follows cannot be trusted.
bool ReadStoredString(QIODevice& in, QString& value) {
  if (in.bytesAvailable() < 4) return false;
  const qint32 length = util::ReadInteger(in);
  if (length < 0 || length > in.bytesAvailable()) return false;
  const QByteArray bytes = in.read(length);
  // Too long for a path, but inside the file: skipped, so the next field is read in step.
  value = length <= kMaxStoredPath ? QString::fromUtf8(bytes) : QString();
  return true;
}

// OLE dates end with the year 9999, 2958466 days either side of the epoch at most; a value
// beyond, or not a number, is damage, and converting it would overflow.
bool IsOleDate(double days) { return std::fabs(days) <= 2958466.0; }

bool ReadItem(QIODevice& in, TPlaybackItem& item) {
  if (in.bytesAvailable() < kFixedFieldBytes) return false;
  const double start = util::ReadDouble(in);
  const double end = util::ReadDouble(in);
  if (!IsOleDate(start) || !IsOleDate(end)) return false;
  item.StartTime = util::FromOleDate(start);
  item.EndTime = util::FromOleDate(end);
  item.Channel = util::ReadInteger(in);
  item.Scheduled = util::ReadBoolean(in);
  item.AudioOnly = util::ReadBoolean(in);
  return ReadStoredString(in, item.FilePath) && ReadStoredString(in, item.Description);
}

bool WriteItem(QIODevice& out, const TPlaybackItem& item) {
  return util::WriteDouble(out, util::ToOleDate(item.StartTime)) &&
         util::WriteDouble(out, util::ToOleDate(item.EndTime)) &&
         util::WriteInteger(out, item.Channel) && util::WriteBoolean(out, item.Scheduled) &&
         util::WriteBoolean(out, item.AudioOnly) && util::WriteString(out, item.FilePath) &&
         util::WriteString(out, item.Description);
}

// The old file is replaced only once the new one is complete on disk. A write refused when the
// buffer goes out (disk full) is not reported by commit() itself, hence the explicit flush.
bool SaveThroughTemporary(const QString& path, const std::function<bool(QIODevice&)>& write) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && write(file) && file.flush() && file.commit()) return true;
  qCWarning(lcPlayback) << "could not save" << path;
  file.cancelWriting();
  return false;
}

}  // namespace

QString PlayItemsPath() { return platform::ProgramFolder() + QStringLiteral("PLAYITEMS.LST"); }
QString PlayRecentPath() { return platform::ProgramFolder() + QStringLiteral("PLAYRECENT.LST"); }

void LoadPlayItems(const QString& path, TPlaybackItems& items) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  QByteArray bytes = file.readAll();
  // A file that could not be read says nothing about its content: it stays.
  if (file.error() != QFileDevice::NoError || bytes.isEmpty()) return;
  file.close();
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  if (util::ReadInteger(in) != kPlayItemsMagic) {
    qCWarning(lcPlayback) << "deleting" << path << "- not a list of recordings";
    QFile::remove(path);
    return;
  }
  const qint32 count = util::ReadInteger(in);
  for (qint32 i = 0; i < count; ++i) {
    auto item = std::make_unique<TPlaybackItem>();
    if (!ReadItem(in, *item)) break;
    if (QFileInfo::exists(item->FilePath)) items.push_back(std::move(item));
  }
  // A short read leaves 0, so a file that ends early fails here too.
  if (util::ReadInteger(in) != kPlayItemsMagic) {
    qCWarning(lcPlayback) << "deleting" << path << "- damaged; records kept:" << items.size();
    QFile::remove(path);
  }
}

bool SavePlayItems(const QString& path, const TPlaybackItems& items) {
  return SaveThroughTemporary(path, [&](QIODevice& out) {
    if (!util::WriteInteger(out, kPlayItemsMagic) ||
        !util::WriteInteger(out, static_cast<qint32>(items.size())))
      return false;
    for (const auto& item : items)
      if (!WriteItem(out, *item)) return false;
    return util::WriteInteger(out, kPlayItemsMagic);
  });
}

QStringList LoadRecentFiles(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QString text = QString::fromUtf8(file.readAll());
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  QStringList lines = text.split(u'\n');
  if (lines.last().isEmpty()) lines.removeLast();  // the end of the last line, not a line
  return lines;
}

bool SaveRecentFiles(const QString& path, const QStringList& files) {
  return SaveThroughTemporary(path, [&](QIODevice& out) {
    for (const QString& line : files) {
      const QByteArray bytes = line.toUtf8() + "\r\n";
      if (out.write(bytes) != bytes.size()) return false;
    }
    return true;
  });
}

}  // namespace pvx::playback

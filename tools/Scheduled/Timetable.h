#pragma once
// The scheduler's timetable and its file "Scheduled.json" in the program folder: a versioned
// JSON document, written to a temporary file renamed into place so a failed write keeps the
// previous timetable. No two entries may share a second.

#include <QList>
#include <QString>

#include "ScheduleEntry.h"

namespace pvx::scheduled {

class TTimetable {
 public:
  static constexpr const char* kFileName = "Scheduled.json";
  static constexpr int kVersion = 1;

  enum class TLoad { Ok, Missing, Corrupt };

  // Checks the entry (duration, start not before `now` unless it repeats, source, channel,
  // format, overlaps) and adds it with a new id. On refusal `reason` holds one line and nothing
  // changes.
  bool Add(TScheduleEntry& entry, const QDateTime& now, QString* reason);
  // The same checks for an edited entry, which keeps its id; its outcome is cleared.
  bool Replace(const TScheduleEntry& entry, const QDateTime& now, QString* reason);
  bool Remove(qint32 id);
  TScheduleEntry* Find(qint32 id);
  const TScheduleEntry* Find(qint32 id) const;

  // The entry that starts next at or after `now` and its occurrence; nullptr when none will.
  const TScheduleEntry* NextToFire(const QDateTime& now, QDateTime* occurrence) const;

  // Missing: an empty timetable. Corrupt: `reason` says why and the timetable is left empty.
  TLoad Load(const QString& path, QString* reason = nullptr);
  bool Save(const QString& path, QString* reason = nullptr) const;
  QByteArray ToJson() const;
  bool FromJson(const QByteArray& bytes, QString* reason);

  // The timetable file in the program folder.
  static QString DefaultPath();

  QList<TScheduleEntry> Entries;  // by start time
  qint32 NextId = 1;
  bool WakeSystem = false;  // the user lets timers wake the computer for a recording

 private:
  bool Check(const TScheduleEntry& entry, const QDateTime& now, int conflictCode,
             QString* reason) const;
  void Sort();
};

// Text and value of a date-time as the timetable and the command line write it.
QString DateTimeText(const QDateTime& t);
QString DurationText(qint32 seconds);

}  // namespace pvx::scheduled

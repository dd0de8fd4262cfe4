#pragma once
// systemd user timers, one per entry ("oka-pvx-sched-ID.timer" with its ".service"), so a
// recording starts while neither the scheduler nor the program runs. The unit folder and the
// systemctl runner can be replaced: $OKA_PVX_SYSTEMD_DIR names the folder and
// $OKA_PVX_SYSTEMCTL the systemctl program (set but empty: there is no systemd).

#include <QString>
#include <QStringList>
#include <functional>

#include "Timetable.h"

namespace pvx::scheduled {

// Runs "systemctl --user ARGS"; true when it succeeded.
using TSystemctl = std::function<bool(const QStringList& args)>;

struct TSystemd {
  QString UnitFolder;     // ends with "/"
  QString SchedulerPath;  // the Scheduled executable the services run
  TSystemctl Systemctl;   // empty: no systemd, the scheduler keeps running instead

  bool Available() const { return bool(Systemctl); }
  // The user's folder and systemctl, honouring the two variables above.
  static TSystemd FromEnvironment(const QString& schedulerPath);
};

QString TimerUnitName(qint32 id);    // "oka-pvx-sched-ID.timer"
QString ServiceUnitName(qint32 id);  // "oka-pvx-sched-ID.service"
// OnCalendar= of an entry: its date and time, every day, or its weekday every week.
QString CalendarOf(const TScheduleEntry& entry);
QString TimerUnitText(const TScheduleEntry& entry, bool wakeSystem);
QString ServiceUnitText(const TScheduleEntry& entry, const QString& schedulerPath);

// Makes the unit folder match the timetable: writes changed units, arms their timers, disarms
// and deletes the units of entries that are gone. False with a reason when systemd refused.
bool SyncTimers(const TTimetable& table, const TSystemd& systemd, QString* reason);

}  // namespace pvx::scheduled

#include "SystemdTimers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace pvx::scheduled {

namespace {

constexpr char kPrefix[] = "oka-pvx-sched-";

// systemd expands "%" in unit values; a path may hold one.
QString Escaped(QString value) { return value.replace('%', "%%"); }

QString Quoted(const QString& value) {
  QString q = Escaped(value);
  q.replace('\\', "\\\\").replace('"', "\\\"");
  return '"' + q + '"';
}

bool WriteIfChanged(const QString& path, const QString& text, bool* changed) {
  QFile old(path);
  if (old.open(QIODevice::ReadOnly) && old.readAll() == text.toUtf8()) return true;
  *changed = true;
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}

TSystemctl ProgramRunner(const QString& program) {
  return [program](const QStringList& args) {
    QProcess p;
    p.start(program, QStringList{"--user"} + args);
    return p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  };
}

}  // namespace

TSystemd TSystemd::FromEnvironment(const QString& schedulerPath) {
  TSystemd s;
  s.SchedulerPath = schedulerPath;
  QString folder = qEnvironmentVariable("OKA_PVX_SYSTEMD_DIR");
  if (folder.isEmpty()) {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + "/.config";
    folder = config + "/systemd/user";
  }
  s.UnitFolder = QDir::cleanPath(folder) + "/";
  if (qEnvironmentVariableIsSet("OKA_PVX_SYSTEMCTL")) {
    const QString program = qEnvironmentVariable("OKA_PVX_SYSTEMCTL");
    if (!program.isEmpty()) s.Systemctl = ProgramRunner(program);
    return s;
  }
  // A system booted with systemd has this folder; only then is a user manager there.
  const QString systemctl = QStandardPaths::findExecutable("systemctl");
  if (!systemctl.isEmpty() && QFileInfo("/run/systemd/system").isDir())
    s.Systemctl = ProgramRunner(systemctl);
  return s;
}

QString TimerUnitName(qint32 id) { return QStringLiteral("%1%2.timer").arg(kPrefix).arg(id); }
QString ServiceUnitName(qint32 id) { return QStringLiteral("%1%2.service").arg(kPrefix).arg(id); }

QString CalendarOf(const TScheduleEntry& e) {
  const QString time = e.Start.toString("HH:mm:ss");
  switch (e.Repeat) {
    case TRepeat::Daily: return "*-*-* " + time;
    case TRepeat::Weekly:
      return QLocale::c().dayName(e.Start.date().dayOfWeek(), QLocale::ShortFormat) + " *-*-* " + time;
    case TRepeat::None: break;
  }
  return e.Start.toString("yyyy-MM-dd HH:mm:ss");
}

QString TimerUnitText(const TScheduleEntry& e, bool wakeSystem) {
  QString text = QStringLiteral(
                     "[Unit]\n"
                     "Description=OKA PVX scheduled recording %1\n\n"
                     "[Timer]\n"
                     "OnCalendar=%2\n"
                     "AccuracySec=1s\n")
                     .arg(e.Id)
                     .arg(CalendarOf(e));
  if (wakeSystem) text += "WakeSystem=true\n";
  text += QStringLiteral("Unit=%1\n\n[Install]\nWantedBy=timers.target\n").arg(ServiceUnitName(e.Id));
  return text;
}

QString ServiceUnitText(const TScheduleEntry& e, const QString& schedulerPath) {
  QString text = QStringLiteral(
                     "[Unit]\n"
                     "Description=OKA PVX scheduled recording %1\n\n"
                     "[Service]\n"
                     "Type=simple\n")
                     .arg(e.Id);
  // The program folder the timetable lives in, when it is not the default one.
  const QString home = qEnvironmentVariable("OKA_PVX_HOME");
  if (!home.isEmpty()) text += "Environment=" + Quoted("OKA_PVX_HOME=" + home) + "\n";
  text += QStringLiteral("ExecStart=%1 --fire %2\n").arg(Quoted(schedulerPath)).arg(e.Id);
  return text;
}

bool SyncTimers(const TTimetable& table, const TSystemd& systemd, QString* reason) {
  if (!systemd.Available()) return true;
  auto fail = [reason](const QString& why) {
    if (reason) *reason = why;
    return false;
  };
  const QDir folder(systemd.UnitFolder);
  if (!QDir().mkpath(systemd.UnitFolder)) return fail("Cannot make " + systemd.UnitFolder);
  // Timers of entries that are gone: disarmed first, then their units deleted.
  static const QRegularExpression own(QStringLiteral("^%1(\\d+)\\.timer$").arg(kPrefix));
  QStringList gone;
  for (const QString& name : folder.entryList({QString(kPrefix) + "*.timer"}, QDir::Files)) {
    const auto m = own.match(name);
    if (m.hasMatch() && !table.Find(m.captured(1).toInt())) gone << name;
  }
  bool ok = true;
  for (const QString& timer : gone) {
    systemd.Systemctl({"disable", "--now", timer});
    QFile::remove(folder.filePath(timer));
    QFile::remove(folder.filePath(QString(timer).replace(".timer", ".service")));
  }
  QStringList changedTimers, allTimers;
  bool anyWritten = false;
  for (const TScheduleEntry& e : table.Entries) {
    bool changed = false;
    const bool armed = folder.exists(TimerUnitName(e.Id));
    if (!WriteIfChanged(folder.filePath(ServiceUnitName(e.Id)), ServiceUnitText(e, systemd.SchedulerPath), &changed) ||
        !WriteIfChanged(folder.filePath(TimerUnitName(e.Id)), TimerUnitText(e, table.WakeSystem), &changed))
      return fail("Cannot write the timer of entry " + QString::number(e.Id));
    allTimers << TimerUnitName(e.Id);
    if (changed && armed) changedTimers << TimerUnitName(e.Id);
    anyWritten = anyWritten || changed;
  }
  if (!gone.isEmpty() || anyWritten) ok = systemd.Systemctl({"daemon-reload"}) && ok;
  if (!allTimers.isEmpty()) ok = systemd.Systemctl(QStringList{"enable", "--now"} + allTimers) && ok;
  // A running timer keeps its old calendar until restarted.
  if (!changedTimers.isEmpty()) ok = systemd.Systemctl(QStringList{"restart"} + changedTimers) && ok;
  return ok || fail("systemctl --user could not arm the timers.");
}

}  // namespace pvx::scheduled

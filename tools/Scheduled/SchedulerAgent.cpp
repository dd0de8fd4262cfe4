#include "SchedulerAgent.h"

#include <QFile>
#include <QFileInfo>

#include "HandOver.h"
#include "Timetable.h"
#include "platform/SystemServices.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "settings/ErrorMessages.h"

namespace pvx::scheduled {

namespace ipc = platform::ipc;

namespace {

constexpr int kLateSeconds = 60;         // an occurrence this late still starts
constexpr int kPowerOffGuardSeconds = 180;  // no power-off this close to a recording
constexpr int kLongestWaitMs = 3600 * 1000;  // re-aimed at least hourly (clock changes)

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TSchedulerAgent::TSchedulerAgent(QString timetablePath, QObject* parent)
    : QObject(parent), path_(std::move(timetablePath)) {
  timer_.setSingleShot(true);
  // A coarse timer may wake minutes early on a long wait.
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    FireDue(QDateTime::currentDateTime());
    Rearm();
  });
  // The file is replaced by a rename on every save, so its folder is what can be watched.
  watcher_.addPath(QFileInfo(path_).absolutePath());
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { FolderChanged(); });
  seen_ = ReadAll(path_);
}

void TSchedulerAgent::FolderChanged() {
  const QByteArray now = ReadAll(path_);
  if (now == seen_) return;
  seen_ = now;
  Rearm();
  if (OnFileChanged) OnFileChanged();
}

TSchedulerAgent::~TSchedulerAgent() = default;

bool TSchedulerAgent::Listen() {
  endpoint_ = std::make_unique<ipc::TMessageEndpoint>(
      ipc::kSchedulerWindowClass,
      [this](quint32 msg, qint32 w, qint32 l) { return HandleMessage(msg, w, l); });
  if (endpoint_->Listen()) return true;
  endpoint_.reset();
  return false;
}

void TSchedulerAgent::SetFiring(bool on) {
  firing_ = on;
  Rearm();
}

void TSchedulerAgent::Rearm() {
  timer_.stop();
  if (!firing_) return;
  TTimetable table;
  table.Load(path_);
  const QDateTime now = QDateTime::currentDateTime();
  QDateTime next;
  if (!table.NextToFire(now.addSecs(-kLateSeconds), &next)) return;
  timer_.start(int(qBound<qint64>(0, now.msecsTo(next), qint64(kLongestWaitMs))));
}

void TSchedulerAgent::FireDue(const QDateTime& now) {
  TTimetable table;
  if (table.Load(path_) != TTimetable::TLoad::Ok) return;
  for (const TScheduleEntry& e : table.Entries) {
    const auto s = e.NextOccurrence(now.addSecs(-kLateSeconds));
    if (!s || *s > now || (e.LastFired.isValid() && e.LastFired >= *s)) continue;
    QString reason;
    const bool handed = FireEntry(path_, e.Id, now, &reason);
    if (!handed && OnNotice) OnNotice(reason);
    if (OnOutcome) OnOutcome(e.Id, handed ? TOutcome::Started : TOutcome::NotDelivered);
  }
}

qint32 TSchedulerAgent::HandleMessage(quint32 msg, qint32 wParam, qint32) {
  switch (msg) {
    case ipc::kMsgShowScheduler:
      if (OnShow) OnShow();
      return 1;
    case ipc::kMsgScheduledStatus: {
      const qint32 id = RecordOutcome(path_, wParam);
      if (id && OnOutcome) OnOutcome(id, OutcomeOfStatus(wParam));
      return id ? 1 : 0;
    }
    case ipc::kMsgSleepTimerExpired: {
      TTimetable table;
      table.Load(path_);
      const QDateTime now = QDateTime::currentDateTime();
      for (const TScheduleEntry& e : table.Entries) {
        const auto s = e.NextOccurrence(now.addSecs(-e.DurationSeconds));
        if (s && *s <= now.addSecs(kPowerOffGuardSeconds)) {
          if (OnNotice) OnNotice(settings::GetErrorMessage(2008));
          return 0;
        }
      }
      return platform::System().PowerOff() ? 1 : 0;
    }
    default:
      return 0;  // 3026 (language) and anything unknown
  }
}

}  // namespace pvx::scheduled

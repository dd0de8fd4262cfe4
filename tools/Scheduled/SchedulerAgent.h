#pragma once
// The running scheduler: it owns the "OKA_TV_SCHEDULED_RECORD" endpoint, keeps every 3028
// answer as the outcome of its entry, shows the window on 3027, powers the computer off on 3035,
// and, where no systemd timers do it, fires entries at their start times.

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "ScheduleEntry.h"

namespace pvx::platform::ipc {
class TMessageEndpoint;
}

namespace pvx::scheduled {

class TSchedulerAgent : public QObject {
  Q_OBJECT
 public:
  explicit TSchedulerAgent(QString timetablePath, QObject* parent = nullptr);
  ~TSchedulerAgent() override;

  // False when another scheduler already owns the endpoint.
  bool Listen();
  // Fire entries from this process at their times (no systemd timers do it).
  void SetFiring(bool on);
  bool Firing() const { return firing_; }
  // The timetable changed: aim the timer at the next start again.
  void Rearm();

  qint32 HandleMessage(quint32 msg, qint32 wParam, qint32 lParam);
  // Hands over every occurrence that has started within the last minute and is not yet fired.
  void FireDue(const QDateTime& now);

  std::function<void()> OnShow;
  // An entry's outcome changed (fired, or answered by the program).
  std::function<void(qint32 id, TOutcome outcome)> OnOutcome;
  std::function<void(const QString& text)> OnNotice;
  // Another process (the command line, a timer) changed the timetable file.
  std::function<void()> OnFileChanged;

 private:
  QString path_;
  std::unique_ptr<platform::ipc::TMessageEndpoint> endpoint_;
  QTimer timer_;
  QFileSystemWatcher watcher_;
  QByteArray seen_;  // the file as last looked at
  bool firing_ = false;

  void FolderChanged();
};

}  // namespace pvx::scheduled

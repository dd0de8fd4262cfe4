#pragma once
// Reaching the scheduler companion "Scheduled": starting it beside this program, finding its
// window, and telling it how its recordings went.

#include <QtGlobal>

namespace pvx::handoff {

// The companion's executable in this program's bin folder.
inline constexpr char kSchedulerProgram[] = "Scheduled";
inline constexpr char kSchedulerArgument[] = "srec_tv";

// Starts "Scheduled srec_tv"; false when it is not installed or would not start.
bool LaunchScheduler();
// Its window's endpoint answers.
bool FindSchedulerWindow();
// 3028 with the status: disk full, refused and source unavailable are sent (bounded wait),
// the end of a recording is posted. Dropped when the scheduler is not running. The desktop shows
// each as a notification, scheduler or not.
void TellScheduler(qint32 status);
// The Schedule command: a running scheduler shows itself (3027), else it is started. False
// only when it had to be started and could not be.
bool ShowScheduler();

}  // namespace pvx::handoff

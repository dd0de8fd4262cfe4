#include "handoff/SchedulerLink.h"

#include "platform/SystemServices.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"

namespace pvx::handoff {

namespace ipc = pvx::platform::ipc;

bool LaunchScheduler() {
  return platform::System().StartProgram(kSchedulerProgram, {kSchedulerArgument});
}

bool FindSchedulerWindow() { return ipc::FindWindow(ipc::kSchedulerWindowClass); }

void TellScheduler(qint32 status) {
  if (status == ipc::kScheduledRecordingEnded)
    ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgScheduledStatus, status, 0);
  else
    ipc::SendMessage(ipc::kSchedulerWindowClass, ipc::kMsgScheduledStatus, status, 0);
}

bool ShowScheduler() {
  if (ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgShowScheduler, 0, 0)) return true;
  return LaunchScheduler();
}

}  // namespace pvx::handoff

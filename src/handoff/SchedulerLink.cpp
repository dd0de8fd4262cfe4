#include "handoff/SchedulerLink.h"

#include "platform/SystemServices.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/Globals.h"

#include <utility>

namespace pvx::handoff {

namespace ipc = pvx::platform::ipc;

bool LaunchScheduler() {
  return platform::System().StartProgram(kSchedulerProgram, {kSchedulerArgument});
}

bool FindSchedulerWindow() { return ipc::FindWindow(ipc::kSchedulerWindowClass); }

void TellScheduler(qint32 status) {
  const std::pair<qint32, std::pair<const char*, const char*>> notices[] = {
      {ipc::kScheduledRecordingEnded, {"NoticeRecordingEnded", "Scheduled recording finished"}},
      {ipc::kScheduledDiskFull, {"NoticeDiskFull", "Scheduled recording stopped: the disk is full"}},
      {ipc::kScheduledStartRefused, {"NoticeStartRefused", "Scheduled recording could not start"}},
      {ipc::kScheduledSourceUnavailable,
       {"NoticeSourceUnavailable", "Scheduled recording could not start: the source is not available"}}};
  for (const auto& [code, text] : notices)
    if (code == status) platform::System().Notify(settings::LanguageText(text.first, QString::fromUtf8(text.second)), {});
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

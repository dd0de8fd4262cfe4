#include "HandOver.h"

#include "platform/ProgramFolder.h"
#include "platform/SystemServices.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"

namespace pvx::scheduled {

namespace ipc = platform::ipc;

QString RelayPath() { return platform::ProgramFolder() + "Relay.rec"; }

THandOver HandOver(const TScheduleEntry& entry, QString* reason) {
  if (!handoff::WriteRelayFile(RelayPath(), entry.Relay())) {
    if (reason) *reason = "Cannot write " + RelayPath();
    return THandOver::Failed;
  }
  if (ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgScheduledStart, 0, 0))
    return THandOver::Posted;
  const QString argument = entry.Source == handoff::rsFM ? "srec_fm" : "srec_tv";
  if (platform::System().StartProgram("oka-pvx", {argument})) return THandOver::Started;
  if (reason) *reason = "oka-pvx is not running and could not be started.";
  return THandOver::Failed;
}

bool FireEntry(const QString& timetablePath, qint32 id, const QDateTime& now, QString* reason) {
  TTimetable table;
  if (table.Load(timetablePath, reason) == TTimetable::TLoad::Corrupt) return false;
  TScheduleEntry* entry = table.Find(id);
  if (!entry) {
    if (reason) *reason = QStringLiteral("No entry %1.").arg(id);
    return false;
  }
  const THandOver result = HandOver(*entry, reason);
  entry->LastFired = entry->OccurrenceAt(now).value_or(now);
  entry->Outcome = result == THandOver::Failed ? TOutcome::NotDelivered : TOutcome::Started;
  table.Save(timetablePath);
  return result != THandOver::Failed;
}

qint32 RecordOutcome(const QString& timetablePath, qint32 status) {
  handoff::TRelayRecord relay;
  // Any format byte: the id is all that matters here.
  if (handoff::ReadRelayFile(RelayPath(), relay, 256) != handoff::TRelayError::None) return 0;
  qint32 id = EntryIdOfRelay(relay);
  TTimetable table;
  if (table.Load(timetablePath) != TTimetable::TLoad::Ok) return 0;
  TScheduleEntry* entry = table.Find(id);
  const TOutcome outcome = OutcomeOfStatus(status);
  if (outcome == TOutcome::None) return 0;
  // A recording ends long after it started: another order may have rewritten the relay file
  // meanwhile (and been refused). The entry still waiting for its answer is the one ending.
  const bool ending = outcome == TOutcome::Recorded || outcome == TOutcome::DiskFull;
  if (ending && (!entry || entry->Outcome != TOutcome::Started)) {
    for (TScheduleEntry& e : table.Entries)
      if (e.Outcome == TOutcome::Started && (entry == nullptr || entry->Outcome != TOutcome::Started ||
                                             e.LastFired > entry->LastFired))
        entry = &e;
  }
  if (!entry) return 0;
  // The end of a recording the full disk stopped: the disk stays the news.
  if (outcome == TOutcome::Recorded && entry->Outcome == TOutcome::DiskFull) return entry->Id;
  entry->Outcome = outcome;
  id = entry->Id;
  return table.Save(timetablePath) ? id : 0;
}

}  // namespace pvx::scheduled

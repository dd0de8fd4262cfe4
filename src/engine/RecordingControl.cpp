// The capture engine's recording steps: start (disk space, graph, copy protection, run), stop,
// the one-second clock, and time-shifting on top of them.

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "engine/CaptureFileName.h"
#include "engine/CaptureInfo.h"
#include "platform/SystemServices.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {
// Time-shift playback may begin once this much has been recorded.
constexpr qint64 kTimeShiftReadySeconds = 10;

QString CompanionOf(const QString& file) { return file.left(file.size() - 1) + "a"; }
}  // namespace

QString TCaptureInfo::MakeCaptureFileName(bool numbered, const QString& base, int kind) const {
  const QString waveFolder = Program().WaveFolder;
  const bool wave = WaveFolderActive && WaveFolderActive() && !waveFolder.isEmpty();
  return engine::MakeCaptureFileName(numbered, base, kind, wave ? waveFolder : CaptureFolder());
}

int TCaptureInfo::CurrentStreamKind() const {
  const settings::TCaptureSettings& s = settings_;
  return StreamKindOf({s.RecordFormat, s.RecordKind, s.AudioFormat, RadioMode(), timeShift_.Active});
}

TRecordRequest TCaptureInfo::RecordRequest() const {
  TRecordRequest r;
  r.Kind = CurrentStreamKind();
  r.TimeShift = timeShift_.Active;
  r.Radio = RadioMode();
  r.Standard = tuner_->VideoStandard();
  // Unattended recordings are always numbered, so the scheduler can predict the name.
  r.File = r.TimeShift && !settings_.SaveTimeShift
               ? FixedTimeShiftFile()
               : MakeCaptureFileName(Unattended() || !settings_.UseDateTimeName, settings_.FilePrefix, r.Kind);
  r.MPEG4Codec = Program().MPEG4Codec;
  r.AudioBitRate = recording_.AudioBitRate;
  r.AudioSampleRate = recording_.AudioSampleRate;
  r.AudioChannels = recording_.AudioChannels;
  return r;
}

bool TCaptureInfo::BuildRecordGraph() { return BuildRecording(false); }
bool TCaptureInfo::BuildWisRecordGraph() { return BuildRecording(true); }

bool TCaptureInfo::BuildRecording(bool wis) {
  if (Recording()) return false;
  const TRecordRequest request = RecordRequest();
  recording_.CurrentFile = request.File;
  timeShift_.Ready = false;
  return wis ? recordGraph_->BuildWis(request) : recordGraph_->Build(request);
}

bool TCaptureInfo::StartRecording() {
  if (Recording()) return false;
  timeShift_.Active = false;
  return StartRecordingRun();
}

bool TCaptureInfo::StartRecordingRun() {
  TRecordingState& r = recording_;
  // The disk watched is the one the file goes to; a folder not made yet is made now.
  recordFolder_ = QFileInfo(RecordRequest().File).absolutePath();
  QDir().mkpath(recordFolder_);
  r.FreeAtStart = platform::System().FreeBytes(recordFolder_);
  if (r.FreeAtStart < kMinFreeBytes) {
    ReportError(1100);
    return false;
  }
  bool ok = Chip().IsWis() ? BuildWisRecordGraph() : BuildRecordGraph();
  if (ok) {
    TFilter* tuner = devices_->TVTuner();
    auto* property = tuner && HasTuner() ? tuner->As<ITunerPropertySet>() : nullptr;
    qint32 flags = 0;
    if (property && property->GetCopyProtection(flags) && flags != 0) {
      ReportText("Cannot capture current video with macrovision protection...", true);
      ok = false;
    }
  }
  const bool built = ok;
  ok = ok && preview_->Run();
  // A writer that refused to start (a file it cannot create) says why; the graph alone does not.
  // A device that will not run (busy, or unplugged) is said as well: the user pressed record.
  if (built && !ok) ReportError(recordGraph_->RecordingError().isEmpty() ? 1002 : 1020);
  if (!ok) {
    // Leave a graph the preview can be rebuilt on.
    preview_->Stop();
    recordGraph_->TearDown();
  }
  r.Recording = ok;
  r.Timer.SetEnabled(ok);
  r.ElapsedSeconds = 0;
  r.BytesWritten = 0;
  return ok;
}

bool TCaptureInfo::StopRecording() {
  const bool stopped = preview_->Stop();
  // A file the writer could not complete is no success, and the user must hear of it.
  bool written = true;
  if (stopped && Recording()) {
    written = recordGraph_->RecordingError().isEmpty();
    recordGraph_->TearDown();
    recording_.Recording = false;
  }
  recording_.Timer.SetEnabled(recording_.Recording);
  if (!written) ReportError(1020);
  return stopped && written;
}

void TCaptureInfo::RecordingTick() {
  TRecordingState& r = recording_;
  ++r.ElapsedSeconds;
  bool stop = false;
  if (timeShift_.Active) {
    if (!timeShift_.Ready && r.ElapsedSeconds > kTimeShiftReadySeconds) {
      timeShift_.Ready = true;
      if (OnTimeShiftReady) OnTimeShiftReady(*this, true);
    }
  } else if (settings_.TimeLimitOn && r.ElapsedSeconds >= settings_.TimeLimit) {
    // At or past the limit: a limit lowered during the recording still ends it.
    stop = true;
  }
  const qint64 free = platform::System().FreeBytes(recordFolder_);
  r.BytesWritten = std::max<qint64>(0, r.FreeAtStart - free);
  // A writer that failed (a full or vanished disk) ends the recording like a full disk does.
  if (free <= kMinFreeBytes || !recordGraph_->RecordingError().isEmpty()) stop = true;
  if (OnCaptureProgress)
    OnCaptureProgress(*this, stop, timeShift_.Active, free - kMinFreeBytes, r.BytesWritten, r.ElapsedSeconds);
}

qint64 TCaptureInfo::RecordedBytes() const {
  const QString& file = recording_.CurrentFile;
  if (file.isEmpty()) return 0;
  qint64 bytes = QFileInfo(file).size();
  if (file.endsWith(".mpv")) bytes += QFileInfo(CompanionOf(file)).size();
  return bytes;
}

bool TCaptureInfo::StartTimeShift() {
  if (Recording()) return false;
  timeShiftBlock_ = SaveRecordingBlock();
  timeShift_.Active = true;
  timeShift_.Ready = false;
  if (StartRecordingRun()) return true;
  // A run that never started is no time-shift: the next recording must not take its profile.
  timeShift_.Active = false;
  RestoreRecordingBlock(timeShiftBlock_);
  return false;
}

bool TCaptureInfo::StopTimeShift() {
  const bool stopped = StopRecording();
  if (timeShift_.Active) RestoreRecordingBlock(timeShiftBlock_);
  timeShift_.Active = false;
  SetStillShown(false);
  return stopped;
}

}  // namespace pvx::engine

#include "engine/RecordingControl.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "engine/CaptureDevices.h"
#include "engine/CaptureFileName.h"
#include "engine/PreviewPipeline.h"
#include "platform/SystemServices.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "platform/graph/TFilterGraph.h"
#include "settings/ErrorMessages.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {
// Time-shift playback may begin once this much has been recorded.
constexpr qint64 kTimeShiftReadySeconds = 10;
constexpr int kCopyProtected = 1107;
constexpr int kEncoderMakesMpegOnly = 1108;

QString CompanionOf(const QString& file) { return file.left(file.size() - 1) + "a"; }
}  // namespace

TRecordingControl::TRecordingControl(TCaptureDevices& devices, TPreviewPipeline& preview, TCaptureFormats& formats,
                                     settings::TCaptureSettings& stored, const TErrorReporter& report,
                                     std::function<TRecordRequest()> request)
    : devices_(devices),
      preview_(preview),
      stored_(stored),
      report_(report),
      request_(std::move(request)),
      branch_(preview),
      graph_(branch_, devices, preview, formats, stored, report),
      wisGraph_(branch_, devices, preview, stored, report) {
  state_.Timer.OnTimer = [this](platform::TTimer&) { Tick(); };
}

void TRecordingControl::TearDown() { wisGraph_.TearDown(); }

bool TRecordingControl::Build(const TRecordRequest& request) {
  state_.CurrentFile = request.File;
  timeShift_.Ready = false;
  return devices_.Chip().IsWis() ? wisGraph_.Build(request) : graph_.Build(request);
}

bool TRecordingControl::Start() {
  if (Recording()) return false;
  timeShift_.Active = false;
  return Run();
}

bool TRecordingControl::Run() {
  TRecordingState& r = state_;
  const TRecordRequest request = request_();
  // The disk watched is the one the file goes to; a folder not made yet is made now.
  folder_ = QFileInfo(request.File).absolutePath();
  QDir().mkpath(folder_);
  r.FreeAtStart = platform::System().FreeBytes(folder_);
  if (r.FreeAtStart < kMinFreeBytes) {
    report_.Error(1100);
    return false;
  }
  // A protected programme is refused before anything is rebuilt, so live TV goes on behind the
  // warning.
  TFilter* tuner = devices_.TVTuner();
  auto* property = tuner && devices_.HasTuner() ? tuner->As<ITunerPropertySet>() : nullptr;
  qint32 flags = 0;
  if (property && property->GetCopyProtection(flags) && flags != 0) {
    report_.Text(settings::GetErrorMessage(kCopyProtected), true);
    return false;
  }
  // An encoder card makes MPEG only: an H.264 file from it would be MPEG under a wrong name.
  if (devices_.Chip().IsWis() && (request.Kind == kStreamMp4 || request.Kind == kStreamMatroska)) {
    report_.Text(settings::GetErrorMessage(kEncoderMakesMpegOnly), true);
    return false;
  }
  bool ok = Build(request);
  const bool built = ok;
  ok = ok && preview_.Run();
  // A writer that refused to start (a file it cannot create) says why; the graph alone does not.
  // A device that will not run (busy, or unplugged) is said as well: the user pressed record.
  if (built && !ok) report_.Error(branch_.RecordingError().isEmpty() ? 1002 : 1020);
  if (!ok) {
    // Leave a graph the preview can be rebuilt on.
    preview_.Stop();
    TearDown();
  }
  r.Recording = ok;
  r.Timer.SetEnabled(ok);
  r.ElapsedSeconds = 0;
  r.BytesWritten = 0;
  return ok;
}

bool TRecordingControl::Stop() {
  const bool stopped = preview_.Stop();
  // A file the writer could not complete is no success, and the user must hear of it.
  bool written = true;
  if (stopped && Recording()) {
    written = branch_.RecordingError().isEmpty();
    TearDown();
    state_.Recording = false;
  }
  state_.Timer.SetEnabled(state_.Recording);
  if (!written) report_.Error(1020);
  return stopped && written;
}

void TRecordingControl::Tick() {
  TRecordingState& r = state_;
  ++r.ElapsedSeconds;
  bool stop = false;
  if (timeShift_.Active) {
    if (!timeShift_.Ready && r.ElapsedSeconds > kTimeShiftReadySeconds) {
      timeShift_.Ready = true;
      if (OnTimeShiftReady) OnTimeShiftReady();
    }
  } else if (stored_.TimeLimitOn && r.ElapsedSeconds >= stored_.TimeLimit) {
    // At or past the limit: a limit lowered during the recording still ends it.
    stop = true;
  }
  const qint64 free = platform::System().FreeBytes(folder_);
  r.BytesWritten = std::max<qint64>(0, r.FreeAtStart - free);
  // A writer that failed (a full or vanished disk) ends the recording like a full disk does.
  if (free <= kMinFreeBytes || !branch_.RecordingError().isEmpty()) stop = true;
  if (OnProgress) OnProgress(stop, timeShift_.Active, free - kMinFreeBytes, r.BytesWritten, r.ElapsedSeconds);
}

qint64 TRecordingControl::RecordedBytes() const {
  const QString& file = state_.CurrentFile;
  if (file.isEmpty()) return 0;
  qint64 bytes = QFileInfo(file).size();
  if (file.endsWith(".mpv")) bytes += QFileInfo(CompanionOf(file)).size();
  return bytes;
}

bool TRecordingControl::StartTimeShift() {
  if (Recording()) return false;
  timeShiftBlock_ = SaveRecordingBlock(stored_);
  timeShift_.Active = true;
  timeShift_.Ready = false;
  if (Run()) return true;
  // A run that never started is no time-shift: the next recording must not take its profile.
  timeShift_.Active = false;
  RestoreRecordingBlock(stored_, timeShiftBlock_);
  return false;
}

bool TRecordingControl::StopTimeShift() {
  const bool stopped = Stop();
  if (timeShift_.Active) RestoreRecordingBlock(stored_, timeShiftBlock_);
  timeShift_.Active = false;
  return stopped;
}

}  // namespace pvx::engine

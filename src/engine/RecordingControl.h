#pragma once
// The engine's recordings: start (disk space, graph, copy protection, run), stop, the
// one-second clock with its time limit and full-disk stop, and time-shifting on top of them.

#include <functional>
#include <memory>

#include "engine/RecordingBranch.h"
#include "engine/RecordingGraph.h"
#include "engine/RecordingState.h"
#include "engine/WisRecordingGraph.h"

namespace pvx::engine {

class TCaptureDevices;
class TCaptureFormats;
class TPreviewPipeline;

class TRecordingControl {
 public:
  // `request` describes the recording about to start; the engine knows the file, the kind and
  // the standard.
  TRecordingControl(TCaptureDevices& devices, TPreviewPipeline& preview, TCaptureFormats& formats,
                    settings::TCaptureSettings& stored, const TErrorReporter& report,
                    std::function<TRecordRequest()> request);
  TRecordingControl(const TRecordingControl&) = delete;
  TRecordingControl& operator=(const TRecordingControl&) = delete;

  // A recording by the settings (never a time-shift buffer).
  bool Start();
  bool Stop();
  // Saves the recording settings, records the time-shift pair, and puts them back at the stop.
  bool StartTimeShift();
  bool StopTimeShift();
  // Takes the recording's filters out of the graph (it must be stopped).
  void TearDown();

  bool Recording() const { return state_.Recording; }
  const TRecordingState& State() const { return state_; }
  const TTimeShiftState& TimeShift() const { return timeShift_; }
  // Bytes in the file(s) being written; the free-space figure counts other writers too.
  qint64 RecordedBytes() const;

  // Set once by the engine: every second while recording, and when a time-shift buffer has
  // become long enough to play.
  std::function<void(bool stop, bool timeShift, qint64 freeLess500k, qint64 bytesWritten,
                     qint64 elapsedSeconds)>
      OnProgress;
  std::function<void()> OnTimeShiftReady;

 private:
  bool Run();
  bool Build(const TRecordRequest& request);
  void Tick();

  TCaptureDevices& devices_;
  TPreviewPipeline& preview_;
  settings::TCaptureSettings& stored_;
  const TErrorReporter& report_;
  std::function<TRecordRequest()> request_;
  TRecordingBranch branch_;
  TRecordingGraph graph_;
  TWisRecordingGraph wisGraph_;
  TRecordingState state_;
  TTimeShiftState timeShift_;
  TRecordingSettingsBlock timeShiftBlock_;
  QString folder_;  // where the free space is watched
};

}  // namespace pvx::engine

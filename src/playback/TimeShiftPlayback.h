#pragma once
// The time-shift player: the recorder's ".mpv" + ".mpa" pair played while it grows (two
// graphs, video and sound), or a stored ".mpv" on its own through the time-shift splitter. It
// never lets the viewer reach the recorder: a seek while live stays nine seconds short of the
// recorded end, and the one-second tick pauses at the end and resumes once more is recorded.

#include <QString>
#include <functional>
#include <memory>

#include "platform/TTimer.h"
#include "platform/video/IVideoWindow.h"
#include "playback/Player.h"

namespace pvx::platform::graph {
class TComponentRegistry;
class TFilter;
class TFilterGraph;
}  // namespace pvx::platform::graph
namespace pvx::engine {
class ISnapshotSink;
}

namespace pvx::playback {

// Media times are in 100-ns units.
inline constexpr qint64 kUnitsPerSecond = 10000000;
// A live seek lands at least this far before the recorded end.
inline constexpr qint64 kLiveSeekGuard = 9 * kUnitsPerSecond;

// The companion sound file of a time-shift video file: its last character made "a".
QString TimeShiftAudioFile(const QString& videoFile);

class TTimeShiftPlaybackProject final : public IPlayer {
 public:
  // The picture goes into `host` (hidden without one); the registry must outlive the player.
  TTimeShiftPlaybackProject(const platform::graph::TComponentRegistry& components,
                            platform::video::TVideoHost host, bool pip, bool singleFile);
  ~TTimeShiftPlaybackProject();
  TTimeShiftPlaybackProject(const TTimeShiftPlaybackProject&) = delete;
  TTimeShiftPlaybackProject& operator=(const TTimeShiftPlaybackProject&) = delete;

  bool BuildGraph();
  bool Play() override;
  bool Pause() override;
  bool Stop() override;
  bool IsPlaying() const override { return playing_; }
  // Position in hundredths of the length.
  int GetPosition() override;
  void SetPosition(int position) override;
  void Forward() override;
  void Backward() override;
  // Time-shift playback has no rate control: the faster and slower commands do nothing.
  void SetRate(int) override {}
  // The picture now shown, to the snapshot store; false when there is none.
  bool GrabFrame();
  // Picture-in-picture: a third of the host at the inset the shell chose, else filling it.
  void SetPip(bool on) override;
  // The real-screen toggle: a hidden picture is neither laid out nor visible.
  bool IsVideoHidden() const { return videoHidden_; }
  void SetVideoHidden(bool hidden);

  // Set by the creator before BuildGraph.
  bool Live = false;
  QString FileName, AudioFileName;
  // The recorder's elapsed seconds; read while Live.
  std::function<qint64()> RecordedSeconds;
  // Sender, position, current seconds, total seconds.
  std::function<void(TTimeShiftPlaybackProject&, int, int, int)> OnProgress;
  // Where GrabFrame puts pictures.
  engine::ISnapshotSink* Snapshots = nullptr;
  // Where the inset sits while picture-in-picture is on (the skin's borders).
  int PipLeft = 0, PipTop = 0, PipBorder = 0;
  // Shows or hides the picture's widget; the shell's, which owns the widgets.
  std::function<void(platform::video::IVideoWindow&, bool visible)> ShowVideoWindow;

  bool SingleFile() const { return singleFile_; }
  bool HasAudioGraph() const { return hasAudioGraph_; }
  bool AtLiveEdge() const { return atLiveEdge_; }
  int CurrentSeconds() const { return currentSeconds_; }
  int TotalSeconds() const { return totalSeconds_; }
  int SeekStep() const { return seekStep_; }
  static constexpr int PositionScale = kPositionScale;
  platform::TTimer& ProgressTimer() { return progressTimer_; }
  platform::video::IVideoWindow* VideoWindow() const { return window_; }
  platform::graph::TFilterGraph& VideoGraph() { return *videoGraph_; }
  platform::graph::TFilterGraph& AudioGraph() { return *audioGraph_; }

 private:
  bool BuildSingleFile();
  bool BuildTwoFiles();
  // Adds the growing or stored source for `file` to `graph` and renders its "Output".
  bool AddAndRenderSource(platform::graph::TFilterGraph& graph, const QString& file,
                          const QString& liveName, const QString& storedName, bool audio);
  bool MakeVideoWindow();
  void ProgressTimerTimer();
  void Progress(int position, int current);

  platform::video::TVideoHost host_;
  bool pip_;
  bool singleFile_;
  bool playing_ = false;
  bool hasAudioGraph_;
  bool atLiveEdge_ = false;
  bool videoHidden_ = false;
  bool seekable_ = false;
  int currentSeconds_ = 0, totalSeconds_ = 0, seekStep_ = 0;
  platform::TTimer progressTimer_;
  std::unique_ptr<platform::graph::TFilterGraph> videoGraph_, audioGraph_;
  std::shared_ptr<platform::graph::TFilter> grabber_;
  platform::video::IVideoWindow* window_ = nullptr;  // owned by its renderer in videoGraph_
};

}  // namespace pvx::playback

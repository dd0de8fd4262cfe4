#pragma once
// One media file played in its own graph: the picture in a video window (laid out by the main
// window, full size or as the picture-in-picture inset), the position reported once a second
// in hundredths of the length, seeking by steps, seven rates and a still frame for snapshots.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "platform/TTimer.h"
#include "platform/video/IVideoWindow.h"
#include "playback/Player.h"

class QObject;

namespace pvx::platform::graph {
class TComponentRegistry;
class TFilter;
class TFilterGraph;
struct TGraphEvent;
}  // namespace pvx::platform::graph

namespace pvx::playback {

inline constexpr double kPlaybackRates[] = {1.0, 2.0, 4.0, 8.0, 0.5, 0.25, 0.125};
inline constexpr int kRateCount = 7;

class TPlaybackProject final : public IPlayer {
 public:
  // Without AudioOnly a video window is made in `host` and a grabber for snapshots.
  TPlaybackProject(const platform::graph::TComponentRegistry& registry,
                   platform::video::TVideoHost host, bool pip, bool audioOnly);
  ~TPlaybackProject();
  TPlaybackProject(const TPlaybackProject&) = delete;
  TPlaybackProject& operator=(const TPlaybackProject&) = delete;

  // Builds the graph for FileName; false when its streams cannot be rendered (FailureText()
  // then says why).
  bool BuildGraph();
  bool Play() override;
  bool Pause() override;
  bool Stop() override;
  bool IsPlaying() const override { return Playing; }
  // Waits, pumping events, until the graph has stopped or ended; false after `maxMs`.
  bool WaitForCompletion(int maxMs);

  // 0..PositionScale.
  int GetPosition() override;
  void SetPosition(int position) override;
  void SetRate(int index) override;
  void Forward() override;
  void Backward() override;
  // The frame now shown; false without a grabber or before a frame passed it.
  bool GrabFrame(QImage& image) const;

  // Both hand the window to OnVideoWindow for the main window to lay out again.
  void SetPip(bool on) override;
  void ResizePip(int width, int height);
  bool Pip() const { return pip_; }

  // Why the file could not be played: the graph's own error when it gave one.
  QString FailureText() const { return failure_; }
  platform::graph::TFilterGraph& Graph() const { return *graph_; }
  platform::video::IVideoWindow* VideoWindow() const { return videoWindow_; }

  bool Playing = false;
  const bool AudioOnly;
  QString FileName;
  platform::TTimer ProgressTimer;
  int CurrentSeconds = 0;
  int TotalSeconds = 0;
  static constexpr int PositionScale = kPositionScale;
  int RateIndex = 0;
  int SeekStep = 0;
  // Whether the graph can be positioned; known once it first runs.
  bool Seeking = true;

  std::function<void(TPlaybackProject& sender, int position, int current, int total)> OnProgress;
  std::function<void(TPlaybackProject& sender)> OnComplete;
  // The window to lay out (fill, or the inset when `pip`); told at creation and by SetPip
  // and ResizePip.
  std::function<void(platform::video::IVideoWindow* window, bool pip)> OnVideoWindow;

 private:
  void OnGraphEvent(const platform::graph::TGraphEvent& event);
  void FollowPlaying();
  void CheckSeeking();
  bool RenderSource();
  QString ErrorText(const QString& why) const;

  std::unique_ptr<platform::graph::TFilterGraph> graph_;
  std::shared_ptr<platform::graph::TFilter> decoder_, grabber_, renderer_;
  platform::video::IVideoWindow* videoWindow_ = nullptr;
  bool pip_ = false;
  bool started_ = false;  // ran once
  bool ended_ = false;
  QString graphError_, failure_;
  // Receiver of the queued end-of-stream and error reports; goes with the project.
  std::unique_ptr<QObject> context_;
};

}  // namespace pvx::playback

#include "playback/TimeShiftPlayback.h"

#include <QFile>
#include <algorithm>

#include "engine/CaptureInfo.h"
#include "platform/Clock.h"
#include "platform/components/SampleConversion.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "settings/ErrorMessages.h"

namespace pvx::playback {

using namespace pvx::platform::graph;
namespace media = pvx::platform::media;

namespace {
constexpr int kCursorHideMs = 2000;
constexpr int kPauseRetryMs = 200;
// A graph that does not get to a state in this time has failed; the UI goes on.
constexpr int kStateWaitMs = 5000;
constexpr const char* kVideoDecoderName = "OKA MPEG Video Decoder";

// Forward and backward move by 33, 20, 10, 5 or 3 hundredths, coarser for short recordings.
int SeekStepFor(int totalSeconds) {
  const int d = totalSeconds < 10 ? 3 : totalSeconds < 100 ? 5 : totalSeconds < 500 ? 10
              : totalSeconds < 2000 ? 20 : 30;
  return TTimeShiftPlaybackProject::PositionScale / d;
}

void RemoveWhenUnused(TFilterGraph& graph, const std::shared_ptr<TFilter>& filter) {
  if (filter && !filter->HasConnectedMediaPin()) graph.RemoveFilter(*filter);
}
}  // namespace

QString TimeShiftAudioFile(const QString& videoFile) {
  return videoFile.isEmpty() ? QString() : videoFile.left(videoFile.size() - 1) + "a";
}

TTimeShiftPlaybackProject::TTimeShiftPlaybackProject(const TComponentRegistry& components,
                                                     platform::video::TVideoHost host, bool pip,
                                                     bool singleFile)
    : host_(host),
      pip_(pip),
      singleFile_(singleFile),
      hasAudioGraph_(!singleFile),
      videoGraph_(std::make_unique<TFilterGraph>(components)),
      audioGraph_(std::make_unique<TFilterGraph>(components)) {
  videoGraph_->SetStateWait(kStateWaitMs);
  audioGraph_->SetStateWait(kStateWaitMs);
  progressTimer_.SetInterval(1000);
  progressTimer_.SetEnabled(false);
  progressTimer_.OnTimer = [this](platform::TTimer&) { ProgressTimerTimer(); };
}

TTimeShiftPlaybackProject::~TTimeShiftPlaybackProject() {
  progressTimer_.SetEnabled(false);
  audioGraph_->Stop();
  videoGraph_->Stop();
  audioGraph_->RemoveAllFilters();
  window_ = nullptr;
  grabber_.reset();
  videoGraph_->RemoveAllFilters();
}

bool TTimeShiftPlaybackProject::MakeVideoWindow() {
  auto renderer = videoGraph_->AddComponent("Video Renderer", "PlaybackVideoWindow");
  auto* source = renderer ? renderer->As<platform::video::IVideoWindowSource>() : nullptr;
  window_ = source ? source->VideoWindow() : nullptr;
  if (!window_) return false;
  window_->Attach(host_, kCursorHideMs);
  SetPip(pip_);
  return true;
}

bool TTimeShiftPlaybackProject::BuildGraph() {
  seekable_ = false;
  return singleFile_ ? BuildSingleFile() : BuildTwoFiles();
}

bool TTimeShiftPlaybackProject::BuildSingleFile() {
  TFilterGraph& graph = *videoGraph_;
  // Our decoders and splitter first, so the source's stream goes through them; any of them
  // left unused is taken out again once the graph is built. (Our video decoder needs no
  // configuration call.)
  auto videoDecoder = graph.AddComponent(kVideoDecoderName, "MPEGTimeShiftVideo");
  auto audioDecoder = graph.AddComponent(media::kMpegAudioDecoderName, "MPEGTimeShiftAudio");
  auto splitter = graph.AddComponent(media::kTimeShiftSplitterName, "MPEG2Splitter");
  if (!MakeVideoWindow()) return false;
  auto source = graph.AddComponent(media::kSingleFileSourceName, "Async Source Filter");
  if (!source) {
    settings::ShowErrorCode(1023);
    return false;
  }
  auto* load = source->As<media::IFileSourceFilter>();
  if (!load || !load->Load(FileName)) return false;
  TPin* output = source->FindPin("Output");
  if (!output) {
    settings::ShowErrorText("Cannot find Video Async source filter output pin");
    return false;
  }
  bool rendered = graph.Render(*output);
  if (!rendered && splitter) {
    // Without our decoders the splitter's streams lead nowhere; the source on its own lets
    // the system's decoders in.
    graph.RemoveFilter(*splitter);
    splitter.reset();
    rendered = graph.Render(*output);
  }
  if (!rendered) {
    settings::ShowErrorText("Cannot render Async source filter output pin");
    return false;
  }
  RemoveWhenUnused(graph, splitter);
  RemoveWhenUnused(graph, videoDecoder);
  RemoveWhenUnused(graph, audioDecoder);
  seekable_ = true;
  return true;
}

bool TTimeShiftPlaybackProject::BuildTwoFiles() {
  // The grabber goes in before the window, so the decoded picture passes it on the way.
  grabber_ = videoGraph_->AddComponent("Sample Grabber", "TimeShiftSnapshot");
  if (!MakeVideoWindow()) return false;
  if (!AddAndRenderSource(*videoGraph_, FileName, "Async Source Filter", "Video Source Filter", false))
    return false;
  seekable_ = true;
  hasAudioGraph_ = !AudioFileName.isEmpty() && QFile::exists(AudioFileName);
  if (!hasAudioGraph_) return true;
  audioGraph_->Stop();
  audioGraph_->RemoveAllFilters();
  return AddAndRenderSource(*audioGraph_, AudioFileName, "Async Audio Source Filter", "Audio Source Filter", true);
}

bool TTimeShiftPlaybackProject::AddAndRenderSource(TFilterGraph& graph, const QString& file,
                                                   const QString& liveName, const QString& storedName,
                                                   bool audio) {
  std::shared_ptr<TFilter> source;
  if (Live) {
    source = graph.AddComponent(media::kGrowingFileSourceName, liveName);
    if (!source) {
      settings::ShowErrorCode(1023);
      return false;
    }
    auto* load = source->As<media::IFileSourceFilter>();
    if (!load || !load->Load(file)) return false;
  } else if (!(source = media::AddSourceFilter(graph, file, storedName))) {
    return false;
  }
  TPin* output = source->FindPin("Output");
  if (!output) {
    settings::ShowErrorText(audio ? "Cannot find Audio Async source filter output pin"
                                  : "Cannot find Video Async source filter output pin");
    return false;
  }
  if (!graph.Render(*output)) {
    settings::ShowErrorText(audio ? "Cannot render Audio Async source filter output pin"
                                  : "Cannot render Async source filter output pin");
    return false;
  }
  return true;
}

bool TTimeShiftPlaybackProject::Play() {
  playing_ = videoGraph_->Run();
  progressTimer_.SetEnabled(playing_);
  if (hasAudioGraph_) audioGraph_->Run();
  return playing_;
}

bool TTimeShiftPlaybackProject::Pause() {
  bool ok = videoGraph_->Pause();
  if (!ok) {
    platform::Wait(kPauseRetryMs);
    ok = videoGraph_->Pause();
  }
  playing_ = !ok;
  if (hasAudioGraph_) audioGraph_->Pause();
  // While live the tick goes on, to resume by itself at the live edge.
  if (!Live) progressTimer_.SetEnabled(playing_);
  return ok;
}

bool TTimeShiftPlaybackProject::Stop() {
  const bool ok = videoGraph_->Stop();
  if (ok) playing_ = false;
  progressTimer_.SetEnabled(playing_);
  if (hasAudioGraph_) audioGraph_->Stop();
  return ok;
}

int TTimeShiftPlaybackProject::GetPosition() {
  if (!seekable_) return 0;
  qint64 current = 0, stop = 0;
  // A graph that cannot say where it is keeps the last known seconds.
  if (videoGraph_->GetCurrentPosition(current) && (Live || videoGraph_->GetStopPosition(stop))) {
    const qint64 total = Live ? (RecordedSeconds ? RecordedSeconds() : 0) : stop / kUnitsPerSecond;
    totalSeconds_ = int(total);
    if (seekStep_ <= 0) seekStep_ = SeekStepFor(totalSeconds_);
    currentSeconds_ = int(current / kUnitsPerSecond);
  }
  if (totalSeconds_ <= 0) {
    currentSeconds_ = totalSeconds_ = 0;
    return 0;
  }
  return int(qint64(PositionScale) * currentSeconds_ / totalSeconds_);
}

void TTimeShiftPlaybackProject::SetPosition(int position) {
  if (!seekable_ || position < 0 || position > PositionScale) return;
  qint64 stop = 0;
  if (Live) {
    totalSeconds_ = int(RecordedSeconds ? RecordedSeconds() : 0);
    stop = qint64(totalSeconds_) * kUnitsPerSecond;
  } else {
    if (!videoGraph_->GetStopPosition(stop)) stop = 0;
    totalSeconds_ = int(stop / kUnitsPerSecond);
  }
  qint64 target = stop * position / PositionScale;
  // Never within nine seconds of what the recorder has written; never before the start.
  if (Live && stop - target < kLiveSeekGuard) target = std::max<qint64>(0, stop - kLiveSeekGuard);
  if (videoGraph_->SetPositions(target))
    currentSeconds_ = int(target / kUnitsPerSecond);
  else
    settings::ShowErrorText("Cannot set video position" + QString::number(target) + " and " +
                            QString::number(stop));
  if (hasAudioGraph_) audioGraph_->SetPositions(target);
  Progress(position, currentSeconds_);
}

void TTimeShiftPlaybackProject::Forward() {
  SetPosition(std::min(GetPosition() + seekStep_, int(PositionScale)));
}

void TTimeShiftPlaybackProject::Backward() { SetPosition(std::max(GetPosition() - seekStep_, 0)); }

void TTimeShiftPlaybackProject::ProgressTimerTimer() {
  const int position = GetPosition();
  if (currentSeconds_ >= totalSeconds_) {
    // Caught up with the recorder: wait here, one second short of the end.
    Pause();
    atLiveEdge_ = true;
    Progress(position, totalSeconds_ - 1);
    return;
  }
  // Only a pause at the live edge ends by itself; a user pause stays.
  if (atLiveEdge_) atLiveEdge_ = !Play();
  Progress(position, currentSeconds_);
}

void TTimeShiftPlaybackProject::Progress(int position, int current) {
  if (OnProgress) OnProgress(*this, position, current, totalSeconds_);
}

bool TTimeShiftPlaybackProject::GrabFrame() {
  QImage image;
  // The grabber keeps only the formats it converts; the window always has the picture shown.
  auto* grabber = grabber_ ? grabber_->As<ISampleGrabber>() : nullptr;
  if ((!grabber || !platform::components::GrabBitmap(*grabber, image)) && window_)
    image = window_->GrabFrame();
  if (image.isNull() || !Snapshots) return false;
  Snapshots->InsertSnapshot(image);
  return true;
}

void TTimeShiftPlaybackProject::SetPip(bool on) {
  pip_ = on;
  if (!window_) return;
  if (on)
    window_->DockInset(PipLeft, PipTop, PipBorder);
  else
    window_->DockFill();
}

void TTimeShiftPlaybackProject::SetVideoHidden(bool hidden) {
  videoHidden_ = hidden;
  if (!window_) return;
  if (!hidden) SetPip(pip_);
  if (ShowVideoWindow) ShowVideoWindow(*window_, !hidden);
}

}  // namespace pvx::playback

#include "playback/PlaybackProject.h"

#include <QFileInfo>
#include <QObject>

#include "platform/Clock.h"
#include "platform/components/SampleConversion.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "settings/ErrorMessages.h"

namespace pvx::playback {

using namespace pvx::platform::graph;

namespace {

constexpr int kCursorHideMs = 2000;
constexpr int kPauseRetryMs = 200;
constexpr qint64 kUnitsPerSecond = 10000000;
// A file that cannot be decoded must not hold the program for long at its start.
constexpr int kStateWaitMs = 5000;
constexpr int kCompletionPollMs = 20;

int StepDivisor(int totalSeconds) {
  if (totalSeconds < 10) return 3;
  if (totalSeconds < 100) return 5;
  if (totalSeconds < 500) return 10;
  if (totalSeconds < 2000) return 20;
  return 30;
}

bool IsMpegName(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == "mpg" || suffix == "mpeg";
}

// The stream format the file source found ("MPEG2Program", "AVI", ...).
QString FormatOf(TFilter& source) {
  TPin* out = source.FindPin("Output");
  return out && !out->MediaTypes.empty() ? out->MediaTypes.front().Subtype : QString();
}

bool AnyPinConnected(const TFilter& filter) {
  for (const auto& pin : filter.Pins())
    if (pin->IsConnected()) return true;
  return false;
}

}  // namespace

TPlaybackProject::TPlaybackProject(const TComponentRegistry& registry, platform::video::TVideoHost host,
                                   bool pip, bool audioOnly)
    : AudioOnly(audioOnly),
      graph_(std::make_unique<TFilterGraph>(registry)),
      context_(std::make_unique<QObject>()) {
  graph_->SetStateWait(kStateWaitMs);
  graph_->OnEvent = [this](const TGraphEvent& e) { OnGraphEvent(e); };
  ProgressTimer.SetEnabled(false);
  ProgressTimer.SetInterval(1000);
  ProgressTimer.OnTimer = [this](platform::TTimer&) {
    const int position = GetPosition();
    if (OnProgress) OnProgress(*this, position, CurrentSeconds, TotalSeconds);
  };
  if (AudioOnly) return;
  grabber_ = registry.Create(DeviceCategory::LegacyFilter, "Sample Grabber");
  if (auto* grabber = grabber_ ? grabber_->As<ISampleGrabber>() : nullptr) {
    // The window takes packed YUV as it comes, so grabbing in that form costs no extra pass.
    TMediaType type;
    type.Major = MediaMajor::Video;
    type.Subtype = "YUY2";
    grabber->SetMediaType(type);
  }
  renderer_ = registry.Create(DeviceCategory::LegacyFilter, "Video Renderer");
  auto* source = renderer_ ? renderer_->As<platform::video::IVideoWindowSource>() : nullptr;
  videoWindow_ = source ? source->VideoWindow() : nullptr;
  if (videoWindow_) videoWindow_->Attach(host, kCursorHideMs);
  pip_ = pip;
}

TPlaybackProject::~TPlaybackProject() {
  ProgressTimer.SetEnabled(false);
  graph_->OnEvent = nullptr;
  graph_->Stop();
  graph_->RemoveAllFilters();
  // The renderer owns the window; the graph has let go of it above.
  videoWindow_ = nullptr;
  renderer_.reset();
  grabber_.reset();
  decoder_.reset();
  graph_.reset();
}

QString TPlaybackProject::ErrorText(const QString& why) const {
  return QString("Cannot play \"%1\": %2").arg(QFileInfo(FileName).fileName(), why);
}

void TPlaybackProject::OnGraphEvent(const TGraphEvent& event) {
  if (event.kind == TGraphEvent::Warning || ended_) return;
  if (event.kind == TGraphEvent::Error) {
    graphError_ = event.Message.isEmpty() ? event.Debug : event.Message;
    // Before the start succeeded, PlayFile reports it; afterwards the playback ends here.
    if (!started_) return;
    failure_ = ErrorText(graphError_);
  }
  ended_ = true;
  // Handed on through the event loop: the receiver may well free this project.
  QMetaObject::invokeMethod(context_.get(), [this] {
    if (OnComplete) OnComplete(*this);
  }, Qt::QueuedConnection);
}

bool TPlaybackProject::RenderSource() {
  auto source = platform::media::AddSourceFilter(*graph_, FileName, "Source");
  if (!source) {
    failure_ = ErrorText(QFileInfo(FileName).isFile() ? "the file holds no picture or sound this program knows"
                                                      : "the file cannot be read");
    return false;
  }
  // The decoder takes an elementary MPEG video stream; a program stream's splitter decodes
  // its picture itself and must not find the decoder in its way.
  const QString format = FormatOf(*source);
  if (decoder_ && format != "MPEG1Video" && format != "MPEG2Video") {
    graph_->RemoveFilter(*decoder_);
    decoder_.reset();
  }
  bool any = false;
  for (TPin* out : source->PinsOf(PinDir::Output)) {
    if (out->IsConnected()) continue;
    if (!graph_->Render(*out)) {
      failure_ = ErrorText("none of its streams can be decoded");
      return false;
    }
    any = true;
  }
  if (!any) failure_ = ErrorText("the file holds no picture or sound this program knows");
  return any;
}

bool TPlaybackProject::BuildGraph() {
  graph_->Stop();
  failure_.clear();
  graphError_.clear();
  ended_ = false;
  if (grabber_) graph_->AddFilter(grabber_, "PlaybackSnapshot");
  if (renderer_) graph_->AddFilter(renderer_, "PlaybackVideoWindow");
  if (IsMpegName(FileName)) decoder_ = graph_->AddComponent("okaMPEG2VideoDecoder", "MPEG2Decoder");
  // The outside decoder's configuration interface is answered by none of our components.
  const bool rendered = RenderSource();
  if (decoder_ && !AnyPinConnected(*decoder_)) {
    graph_->RemoveFilter(*decoder_);
    decoder_.reset();
  }
  if (grabber_ && !AnyPinConnected(*grabber_)) {
    graph_->RemoveFilter(*grabber_);
    grabber_.reset();
  }
  return rendered;
}

void TPlaybackProject::FollowPlaying() { ProgressTimer.SetEnabled(Playing); }

void TPlaybackProject::CheckSeeking() {
  // A stream without a length cannot be positioned; the graph says so once it runs.
  qint64 length = 0;
  Seeking = graph_->GetStopPosition(length);
  if (!Seeking) settings::ShowErrorCode(1009);
}

bool TPlaybackProject::Play() {
  if (GetPosition() >= PositionScale) SetPosition(1);
  ended_ = false;
  Playing = graph_->Run();
  if (!Playing) {
    // Errors the graph posted on its way down arrive through the event loop.
    platform::PumpMessages();
    failure_ = ErrorText(graphError_.isEmpty() ? "its picture or sound cannot be decoded" : graphError_);
  } else if (!started_) {
    started_ = true;
    CheckSeeking();
  }
  FollowPlaying();
  return Playing;
}

bool TPlaybackProject::Pause() {
  bool ok = graph_->Pause();
  if (!ok) {
    platform::Wait(kPauseRetryMs);
    ok = graph_->Pause();
  }
  // A pause that failed twice leaves the playback running as far as the user is concerned.
  Playing = !ok;
  FollowPlaying();
  return ok;
}

bool TPlaybackProject::Stop() {
  const bool ok = graph_->Stop();
  if (ok) Playing = false;
  FollowPlaying();
  return ok;
}

bool TPlaybackProject::WaitForCompletion(int maxMs) {
  const qint64 start = platform::Clock().NowMs();
  while (graph_->State() == GraphState::Running && !ended_) {
    if (platform::Clock().NowMs() - start >= maxMs) return false;
    platform::Wait(kCompletionPollMs);
  }
  return true;
}

int TPlaybackProject::GetPosition() {
  if (!Seeking) return 0;
  qint64 stop = 0, current = 0;
  if (!graph_->GetStopPosition(stop) || !graph_->GetCurrentPosition(current)) return 0;
  TotalSeconds = int(stop / kUnitsPerSecond);
  if (SeekStep <= 0) SeekStep = PositionScale / StepDivisor(TotalSeconds);
  CurrentSeconds = int(current / kUnitsPerSecond);
  // Shorter than a second: no whole seconds to divide by.
  if (TotalSeconds <= 0) return 0;
  return int(qMin<qint64>(PositionScale, qint64(PositionScale) * CurrentSeconds / TotalSeconds));
}

void TPlaybackProject::SetPosition(int position) {
  if (!Seeking || position < 0 || position > PositionScale) return;
  qint64 stop = 0;
  if (!graph_->GetStopPosition(stop)) return;
  TotalSeconds = int(stop / kUnitsPerSecond);
  const qint64 target = stop * position / PositionScale;
  if (graph_->SetPositions(target)) {
    CurrentSeconds = int(target / kUnitsPerSecond);
    ended_ = false;
  }
  if (OnProgress) OnProgress(*this, position, CurrentSeconds, TotalSeconds);
}

void TPlaybackProject::Forward() { SetPosition(qMin(GetPosition() + SeekStep, PositionScale)); }

void TPlaybackProject::Backward() { SetPosition(qMax(GetPosition() - SeekStep, 0)); }

void TPlaybackProject::SetRate(int index) {
  if (index == RateIndex || index < 0 || index >= kRateCount) return;
  RateIndex = index;
  const double rate = kPlaybackRates[index];
  graph_->SetRate(rate);
  if (graph_->GetRate() != rate) settings::ShowErrorCode(1028);
}

bool TPlaybackProject::GrabFrame(QImage& image) const {
  auto* grabber = grabber_ ? grabber_->As<ISampleGrabber>() : nullptr;
  if (!grabber || !platform::components::GrabBitmap(*grabber, image)) return false;
  return !image.isNull();
}

void TPlaybackProject::SetPip(bool on) {
  pip_ = on;
  if (videoWindow_ && OnVideoWindow) OnVideoWindow(videoWindow_, pip_);
}

void TPlaybackProject::ResizePip(int, int) {
  // The inset is a third of the main window's size; the layout works it out from there.
  if (videoWindow_ && pip_ && OnVideoWindow) OnVideoWindow(videoWindow_, pip_);
}

}  // namespace pvx::playback

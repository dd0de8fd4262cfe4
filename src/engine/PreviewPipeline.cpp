#include "engine/PreviewPipeline.h"

#include "engine/CaptureDevices.h"
#include "engine/CaptureFormats.h"
#include "platform/components/TDeinterlacer.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {
constexpr int kCursorHideMs = 2000;
}  // namespace

TPreviewPipeline::TPreviewPipeline(TCaptureDevices& devices, TCaptureFormats& formats,
                                   const TEngineConfig& config, const TErrorReporter& report)
    : devices_(devices), formats_(formats), config_(config), report_(report) {
  NewGraph();
}

TPreviewPipeline::~TPreviewPipeline() { Release(); }

void TPreviewPipeline::NewGraph() {
  graph_ = std::make_unique<TFilterGraph>(*config_.Components);
  TFilterGraph* graph = graph_.get();
  graph_->OnEvent = [this, graph](const TGraphEvent& e) {
    // Errors of a start that failed are reported by whoever started it.
    if (e.kind != TGraphEvent::Error || graph->State() != GraphState::Running) return;
    if (OnRunningGraphError) OnRunningGraphError(e.Message);
  };
}

void TPreviewPipeline::ReleasePins() {
  previewPin_ = capturePin_ = audioCapturePin_ = audioTeePin_ = nullptr;
  hasCapturePin_ = hasVBIPin_ = false;
}

void TPreviewPipeline::Release() {
  if (graph_) graph_->Stop();
  ReleasePins();
  window_ = nullptr;
  for (auto* filter : {&smartTee_, &smartTeeAudio_, &overlay_, &deinterlacer_, &snapshot_, &videoDecoder_})
    filter->reset();
  // The graph owns the renderer and with it the video window.
  graph_.reset();
}

bool TPreviewPipeline::Run() { return graph_ && graph_->Run(); }
bool TPreviewPipeline::Stop() { return graph_ && graph_->Stop(); }
bool TPreviewPipeline::Pause() { return graph_ && graph_->Pause(); }

void TPreviewPipeline::RemoveFilter(FilterPtr& filter) {
  if (filter) graph_->RemoveFilter(*filter);
  filter.reset();
}

bool TPreviewPipeline::ConnectTunerChain() {
  TFilterGraph& graph = *graph_;
  TFilter* tuner = devices_.TVTuner();
  TFilter* tvAudio = devices_.TVAudio();
  TFilter* crossbar = devices_.CrossbarFilter();
  if (devices_.HasTuner() && tuner) {
    const auto pins = tuner->PinsOf(PinDir::Output);
    for (size_t i = 0; i < pins.size(); ++i) {
      TPin* pin = pins[i];
      if (pin->IsConnected() || graph.Render(*pin)) continue;
      if (i == 0) {
        report_.Error(1002);
        return false;
      }
      if (!tvAudio) continue;
      TPin* in = tvAudio->FindPin(PinDir::Input);
      TPin* out = tvAudio->FindPin(PinDir::Output);
      if (!in) report_.Text("Cannot find TV Audio input pin..");
      else if (!graph.Connect(*pin, *in)) report_.Text("Cannot connect to TV Audio input pin...");
      else if (!out) report_.Text("Cannot find TV Audio output pin..");
      else
        for (TPin* crossbarIn : crossbar->PinsOf(PinDir::Input))
          if (!crossbarIn->IsConnected() && graph.Connect(*out, *crossbarIn)) break;
    }
    return true;
  }
  // A tuner whose filter cannot be used: work without it.
  if (tuner) devices_.DropTuner(graph);
  if (crossbar) {
    if (TPin* out = crossbar->FindPin(PinDir::Output); out && !out->IsConnected()) graph.Render(*out);
  }
  return true;
}

bool TPreviewPipeline::BuildCommonStart(const TPreviewSettings& settings) {
  TFilter* capture = devices_.VCapture();
  if (!capture) return false;
  settings_ = settings;
  ReleasePins();
  if (!ConnectTunerChain()) return false;
  if (devices_.HasAudioCapture() && devices_.ACapture())
    audioCapturePin_ = devices_.ACapture()->FindPin(PinDir::Output, PinCategory::Capture);
  previewPin_ = capture->FindPin(PinDir::Output, PinCategory::Preview);
  capturePin_ = capture->FindPin(PinDir::Output, PinCategory::Capture);
  hasCapturePin_ = capturePin_ != nullptr;
  hasVBIPin_ = capture->FindPin(PinDir::Output, PinCategory::VBI) != nullptr;
  if (!capturePin_) {
    report_.Error(1003);
    return false;
  }
  smartTee_ = graph_->AddComponent("Smart Tee", "SmartTee");
  if (smartTee_ && !UseSmartTee()) RemoveFilter(smartTee_);
  return true;
}

bool TPreviewPipeline::UseSmartTee() {
  TPin* in = smartTee_->FindPin(PinDir::Input);
  TPin* preview = smartTee_->FindPin("Preview");
  TPin* capture = smartTee_->FindPin("Capture");
  QString failure;
  if (!in) failure = "Cannot find SmartTee input pin..";
  else if (!preview) failure = "Cannot find Smart Tee preview pin..";
  else if (!capture) failure = "Cannot find Smart Tee capture pin..";
  else if (!capturePin_->IsConnected() && !graph_->Connect(*capturePin_, *in))
    failure = "Cannot connect to Smart Tee input pin...";
  if (!failure.isEmpty()) {
    report_.Text(failure);
    return false;
  }
  previewPin_ = preview;
  capturePin_ = capture;
  return true;
}

bool TPreviewPipeline::ApplyCaptureSize() {
  TFilter* capture = devices_.VCapture();
  bool ok = false;
  for (const QSize& size : CaptureSizes(settings_.Standard, settings_.Deinterlace, devices_.Chip().Family))
    if (capture && (ok = formats_.Apply(*capture, size))) break;
  if (OnCaptureSizeSet) OnCaptureSizeSet();
  return ok;
}

bool TPreviewPipeline::CreateVideoWindow() {
  if (TFilter* old = graph_->FindFilter("VideoWindow")) graph_->RemoveFilter(*old);
  window_ = nullptr;
  auto renderer = graph_->AddComponent("Video Renderer", "VideoWindow");
  auto* source = renderer ? renderer->As<platform::video::IVideoWindowSource>() : nullptr;
  platform::video::IVideoWindow* window = source ? source->VideoWindow() : nullptr;
  if (!window) return false;
  window->Attach(config_.Host, kCursorHideMs);
  window_ = window;
  if (OnVideoWindowCreated) OnVideoWindowCreated(window);
  return true;
}

bool TPreviewPipeline::Insert(const FilterPtr& filter, TPin*& current) {
  TPin* in = filter->FindPin(PinDir::Input);
  TPin* out = filter->FindPin(PinDir::Output);
  if (!in || !out || !graph_->Connect(*current, *in)) return false;
  current = out;
  return true;
}

bool TPreviewPipeline::RenderPreview(bool snapshot, bool deinterlace, bool overlay) {
  TFilterGraph& graph = *graph_;
  if (!smartTee_) {
    if (snapshot) snapshot_ = graph.AddComponent("Sample Grabber", "Snapshot");
    if (!CreateVideoWindow() || !previewPin_ || !graph.Render(*previewPin_)) {
      report_.Error(1002);
      return false;
    }
    return true;
  }
  TPin* current = previewPin_;
  // A filter without its pins ends the chain there: the picture goes straight to the window.
  bool skipToRender = false;
  auto hasPins = [](const FilterPtr& f) { return f->FindPin(PinDir::Input) && f->FindPin(PinDir::Output); };
  if (deinterlace) {
    deinterlacer_.reset();
    for (const auto& m : config_.Components->Enumerate(DeviceCategory::LegacyFilter)) {
      if (m.FriendlyName.contains("OKA Deinterlacer", Qt::CaseInsensitive) ||
          m.FriendlyName.contains("TELIORDeinterlace Filter", Qt::CaseInsensitive)) {
        deinterlacer_ = graph.AddComponent(m.FriendlyName, "Deinterlace");
        break;
      }
    }
    if (!deinterlacer_) report_.Error(1016);
    // Another vendor's deinterlacer has no choice of method.
    if (auto* method = deinterlacer_ ? deinterlacer_->As<platform::components::IDeinterlaceMethod>() : nullptr)
      method->SetFast(settings_.DeinterlaceFast);
    skipToRender = !deinterlacer_ || !hasPins(deinterlacer_);
    if (!skipToRender && !Insert(deinterlacer_, current)) report_.Error(1017);
  }
  if (snapshot && !skipToRender) {
    snapshot_ = graph.AddComponent("Sample Grabber", "Snapshot");
    if (snapshot_) {
      // The grabber takes the capture format so snapshots convert from it.
      TMediaType type;
      type.Major = MediaMajor::Video;
      type.Subtype = formats_.GrabberSubtype();
      if (auto* grabber = snapshot_->As<ISampleGrabber>()) grabber->SetMediaType(type);
      skipToRender = !hasPins(snapshot_);
      if (!skipToRender && !Insert(snapshot_, current)) report_.Error(1008);
    }
  }
  if (overlay && !skipToRender) {
    overlay_ = graph.AddComponent("Overlay Mixer", "Overlay");
    if (!overlay_ || !Insert(overlay_, current)) report_.Text("Cannot use overlay");
  }
  if (!CreateVideoWindow() || !graph.Render(*current)) {
    report_.Error(1002);
    return false;
  }
  return true;
}

void TPreviewPipeline::RenderAudioThroughCapture() {
  TFilter* audio = devices_.ACapture();
  audioThroughCapture_ = audio && audio->PinsOf(PinDir::Input).size() < 2;
  if (!audioThroughCapture_ || !audioCapturePin_) return;
  smartTeeAudio_ = graph_->AddComponent("Infinite Pin Tee Filter", "SmartTeeAudio");
  TPin* in = smartTeeAudio_ ? smartTeeAudio_->FindPin(PinDir::Input) : nullptr;
  if (!in || !graph_->Connect(*audioCapturePin_, *in)) return;
  if (TPin* live = smartTeeAudio_->FindPin(PinDir::Output, PinCategory::None, 0)) graph_->Render(*live);
  audioTeePin_ = smartTeeAudio_->FindPin(PinDir::Output, PinCategory::None, 1);
}

bool TPreviewPipeline::Build(const TPreviewSettings& settings) {
  if (!BuildCommonStart(settings)) return false;
  formats_.ReadVideo(*devices_.VCapture());
  if (audioCapturePin_) formats_.ReadAudio(*devices_.ACapture());
  ApplyCaptureSize();
  if (previewPin_ && settings.Render && !RenderPreview(true, settings.Deinterlace, false)) return false;
  RenderAudioThroughCapture();
  return true;
}

bool TPreviewPipeline::BuildWis(const TPreviewSettings& settings) {
  if (!BuildCommonStart(settings)) return false;
  TFilter* capture = devices_.VCapture();
  // The encoder's MPEG-2 format at the preview size.
  const QSize size = CaptureSizes(settings.Standard, settings.Deinterlace, devices_.Chip().Family).front();
  if (auto* config = capture->As<IStreamConfig>()) {
    for (int i = 0; i < config->GetNumberOfCapabilities(); ++i) {
      TMediaType type;
      if (config->GetStreamCaps(i, type) && QSize(type.Width, type.Height) == size && type.Subtype == "MPEG2") {
        config->SetFormat(type);
        break;
      }
    }
  }
  // The encoder's sound leaves the capture device itself.
  TPin* audio = capture->FindPin(PinDir::Output, PinCategory::None, 2);
  if (!audio) audio = capture->FindPin(PinDir::Output, PinCategory::Capture, 1);
  if (!audio) {
    report_.Error(1004);
    return false;
  }
  audioCapturePin_ = audio;
  if (!RenderEncodedPreview(1)) {
    report_.Error(1002);
    return false;
  }
  if (!audio->IsConnected() && !graph_->Render(*audio)) report_.Text("Cannot render audio pin...");
  return true;
}

bool TPreviewPipeline::AddVideoDecoder(int kind) {
  QString name = "OKA MPEG Video Decoder";
  if (kind == 0) name = "MPEG Video Decoder";
  if (kind == 2) name = ProgramOf(config_).MPEG4Codec != 0 ? "WMVideo Decoder DMO" : "DivX Decoder Filter";
  videoDecoder_ = graph_->AddComponent(name, "MPEGVideoDecoder");
  return videoDecoder_ != nullptr;
}

bool TPreviewPipeline::RenderEncodedPreview(int kind) {
  TFilterGraph& graph = *graph_;
  if (previewPin_ && AddVideoDecoder(kind)) {
    TPin* in = videoDecoder_->FindPin(PinDir::Input);
    TPin* out = videoDecoder_->FindPin(PinDir::Output);
    if (in && out && graph.Connect(*previewPin_, *in) && CreateVideoWindow() && graph.Render(*out)) return true;
  }
  RemoveFilter(videoDecoder_);
  return previewPin_ && CreateVideoWindow() && graph.Render(*previewPin_);
}

bool TPreviewPipeline::Restart(const TPreviewSettings& settings) {
  settings_ = settings;
  if (settings.Radio) return true;
  ApplyCaptureSize();
  if (!previewPin_) return true;
  DropPictureChain();
  return RenderPreview(true, settings.Deinterlace, false);
}

void TPreviewPipeline::DropPictureChain() {
  if (!graph_) return;
  for (auto* filter : {&deinterlacer_, &snapshot_, &overlay_, &videoDecoder_}) RemoveFilter(*filter);
  if (TFilter* old = graph_->FindFilter("VideoWindow")) graph_->RemoveFilter(*old);
  window_ = nullptr;
  if (previewPin_ && previewPin_->IsConnected()) graph_->Disconnect(*previewPin_);
}

bool TPreviewPipeline::RenderRecordingPreview(bool deinterlace, int encodedKind) {
  if (!previewPin_) return true;
  DropPictureChain();
  return encodedKind < 0 ? RenderPreview(false, deinterlace, false) : RenderEncodedPreview(encodedKind);
}

bool TPreviewPipeline::RestartWis() {
  if (previewPin_ && previewPin_->IsConnected()) graph_->Disconnect(*previewPin_);
  RemoveFilter(videoDecoder_);
  if (RenderEncodedPreview(1)) return true;
  report_.Error(1002);
  return false;
}

bool TPreviewPipeline::Apply(const TPreviewSettings& next) {
  const int family = devices_.Chip().Family;
  const bool rebuild = next.Deinterlace != settings_.Deinterlace ||
                       (next.Deinterlace && next.DeinterlaceFast != settings_.DeinterlaceFast) ||
                       CaptureSizes(next.Standard, next.Deinterlace, family) !=
                           CaptureSizes(settings_.Standard, settings_.Deinterlace, family);
  if (!rebuild) {
    settings_ = next;
    return true;
  }
  graph_->Stop();
  if (next.Radio || !previewPin_) {
    settings_ = next;
    ApplyCaptureSize();
    return true;
  }
  if (devices_.Chip().IsWis()) {
    settings_ = next;
    return RestartWis() && Run();
  }
  return Restart(next) && Run();
}

}  // namespace pvx::engine

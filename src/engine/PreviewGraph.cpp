#include "engine/PreviewGraph.h"

#include "engine/CaptureInfo.h"
#include "engine/InputRouting.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/video/TVideoRenderer.h"
#include "platform/video/TVideoWindow.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {

constexpr quint32 kPreviewTVMin = 45250000;
constexpr quint32 kPreviewTVMax = 889250000;
constexpr int kCursorHideMs = 2000;

int ChipFamily() { return settings::MainInfo ? settings::MainInfo->ChipFamily : 0; }

// The capture pin's stream configuration: asked of the capture device.
IStreamConfig* StreamConfig(TCaptureInfo& e) {
  return e.VCapture ? e.VCapture->As<IStreamConfig>() : nullptr;
}

}  // namespace

int PixelFormatModeOf(int choice) {
  if (choice == 0) return 1;
  if (choice == 2) return 3;
  return 0;
}

bool TPreviewGraph::IsNtscLike() const {
  const int s = e_.VideoStandard;
  return s < 3 || s == 4;
}

bool TPreviewGraph::ConnectTunerChain() {
  TFilterGraph& graph = *e_.Graph;
  if (e_.HasTuner && e_.TVTuner) {
    const auto pins = e_.TVTuner->PinsOf(PinDir::Output);
    for (size_t i = 0; i < pins.size(); ++i) {
      TPin* pin = pins[i];
      if (pin->IsConnected() || graph.Render(*pin)) continue;
      if (i == 0) {
        e_.ReportError(1002);
        return false;
      }
      if (!e_.TVAudio) continue;
      TPin* in = e_.TVAudio->FindPin(PinDir::Input);
      if (!in) {
        e_.ReportText("Cannot find TV Audio input pin..");
        continue;
      }
      if (!graph.Connect(*pin, *in)) {
        e_.ReportText("Cannot connect to TV Audio input pin...");
        continue;
      }
      TPin* out = e_.TVAudio->FindPin(PinDir::Output);
      if (!out) {
        e_.ReportText("Cannot find TV Audio output pin..");
        continue;
      }
      for (TPin* crossbarIn : e_.CrossbarFilter->PinsOf(PinDir::Input)) {
        if (!crossbarIn->IsConnected() && graph.Connect(*out, *crossbarIn)) break;
      }
    }
    return true;
  }
  if (e_.TVTuner) {
    // A tuner whose filter cannot be used: work without it.
    e_.HasTuner = false;
    graph.RemoveFilter(*e_.TVTuner);
    e_.TVTuner.reset();
    if (e_.TVAudio) graph.RemoveFilter(*e_.TVAudio);
    e_.TVAudio.reset();
  }
  if (e_.CrossbarFilter) {
    if (TPin* out = e_.CrossbarFilter->FindPin(PinDir::Output); out && !out->IsConnected())
      graph.Render(*out);
  }
  return true;
}

bool TPreviewGraph::BuildCommonStart() {
  if (e_.Recording || !e_.VCapture) return false;
  e_.ReleasePins();
  if (!ConnectTunerChain()) return false;
  TFilterGraph& graph = *e_.Graph;
  e_.SmartTee = graph.AddComponent("Smart Tee", "SmartTee");

  if (e_.HasAudioCapture && e_.ACapture) {
    e_.AudioCapturePin = e_.ACapture->FindPin(PinDir::Output, PinCategory::Capture);
    e_.HasAudioCapture = e_.AudioCapturePin != nullptr;
  }
  e_.PreviewPin = e_.VCapture->FindPin(PinDir::Output, PinCategory::Preview);
  e_.HasPreviewPin = e_.PreviewPin != nullptr;
  e_.CapturePin = e_.VCapture->FindPin(PinDir::Output, PinCategory::Capture);
  e_.HasCapturePin = e_.CapturePin != nullptr;
  e_.VBIPin = e_.VCapture->FindPin(PinDir::Output, PinCategory::VBI);
  e_.HasVBIPin = e_.VBIPin != nullptr;
  if (!e_.CapturePin) {
    e_.ReportError(1003);
    return false;
  }

  if (e_.SmartTee) {
    TPin* in = e_.SmartTee->FindPin(PinDir::Input);
    TPin* preview = e_.SmartTee->FindPin("Preview");
    TPin* capture = e_.SmartTee->FindPin("Capture");
    QString failure;
    if (!in) failure = "Cannot find SmartTee input pin..";
    else if (!preview) failure = "Cannot find Smart Tee preview pin..";
    else if (!capture) failure = "Cannot find Smart Tee capture pin..";
    else if (!e_.CapturePin->IsConnected() && !graph.Connect(*e_.CapturePin, *in))
      failure = "Cannot connect to Smart Tee input pin...";
    if (failure.isEmpty()) {
      e_.HasPreviewPin = true;
      e_.PreviewPin = preview;
      e_.CapturePin = capture;
    } else {
      e_.ReportText(failure);
      graph.RemoveFilter(*e_.SmartTee);
      e_.SmartTee.reset();
    }
  }
  return true;
}

void TPreviewGraph::ListMediaTypes() {
  e_.VideoMediaTypes.clear();
  e_.VideoMediaTypeNames.clear();
  if (IStreamConfig* config = StreamConfig(e_)) {
    for (int i = 0; i < config->GetNumberOfCapabilities(); ++i) {
      TMediaType type;
      if (!config->GetStreamCaps(i, type)) continue;
      e_.VideoMediaTypes.push_back(type);
      e_.VideoMediaTypeNames << type.Name();
    }
  }
  auto first = [&](const char* word) {
    for (int i = 0; i < e_.VideoMediaTypeNames.size(); ++i)
      if (e_.VideoMediaTypeNames[i].contains(QLatin1String(word))) return i;
    return -1;
  };
  e_.UYVYIndex = first("UYVY");
  e_.YUY2Index = first("YUY2");
  e_.RGB24Index = first("RGB24");
  e_.RGB32Index = first("RGB32");
  if (e_.RGB32Index < 0) e_.RGB32Index = e_.RGB24Index;
  e_.PixelFormatMode = quint8(PixelFormatModeOf(e_.PixelFormatChoice));
}

void TPreviewGraph::ChooseAudioInput() {
  if (!e_.HasAudioCapture || !e_.ACapture) return;
  e_.AudioMediaTypes.clear();
  e_.AudioMediaTypeNames.clear();
  if (auto* config = e_.ACapture->As<IStreamConfig>()) {
    for (int i = 0; i < config->GetNumberOfCapabilities(); ++i) {
      TMediaType type;
      if (!config->GetStreamCaps(i, type)) continue;
      e_.AudioMediaTypes.push_back(type);
      e_.AudioMediaTypeNames << type.Name();
    }
  }
  const auto inputs = e_.ACapture->PinsOf(PinDir::Input);
  e_.AudioInputNames.clear();
  for (TPin* pin : inputs) e_.AudioInputNames << pin->Name();
  auto* mixer = e_.ACapture->As<IAudioInputMixer>();
  int enabled = -1;
  for (int i = 0; mixer && i < int(inputs.size()); ++i) {
    bool on = false;
    if (mixer->get_Enable(i, on) && on) {
      enabled = i;
      break;
    }
  }
  if (e_.AudioInputIndex < 0) {
    if (inputs.size() > 1 && enabled >= 0 && mixer) mixer->put_Enable(enabled, true);
    e_.AudioInputIndex = enabled;
  } else if (e_.AudioInputIndex != enabled) {
    if (e_.AudioInputIndex < int(inputs.size())) {
      if (mixer) mixer->put_Enable(e_.AudioInputIndex, true);
    } else {
      e_.AudioInputIndex = enabled;
    }
  }
  if (e_.AudioInputIndex < 0) e_.AudioInputIndex = 0;
}

bool TPreviewGraph::SetCaptureFormat(int width, int height) {
  IStreamConfig* config = StreamConfig(e_);
  if (!config || e_.VideoMediaTypes.empty()) return false;
  int index = -1;
  switch (e_.PixelFormatMode) {
    case 0: index = e_.YUY2Index; break;
    case 1: index = e_.UYVYIndex; break;
    case 3: index = e_.RGB24Index; break;
    case 4: index = e_.RGB32Index; break;
    default: index = e_.MediaTypeIndex; break;
  }
  if (index < 0) {
    // The first offered of UYVY, YUY2, RGB24 (an index of 0 never qualifies), else index 0.
    const struct { int index, mode, choice; } order[] = {
        {e_.UYVYIndex, 1, 0}, {e_.YUY2Index, 0, 1}, {e_.RGB24Index, 3, 2}};
    index = 0;
    e_.PixelFormatMode = 0;
    e_.PixelFormatChoice = 1;
    for (const auto& o : order) {
      if (o.index > 0) {
        index = o.index;
        e_.PixelFormatMode = quint8(o.mode);
        e_.PixelFormatChoice = o.choice;
        break;
      }
    }
  }
  if (index >= int(e_.VideoMediaTypes.size())) index = 0;
  e_.MediaTypeIndex = index;
  TMediaType type = e_.VideoMediaTypes[size_t(index)];
  if (type.Major == MediaMajor::Video) {
    type.Width = width;
    type.Height = height;
  }
  return config->SetFormat(type);
}

bool TPreviewGraph::ApplyCaptureSize() {
  bool ok = false;
  if (IsNtscLike()) {
    ok = e_.Deinterlace ? SetCaptureFormat(640, 480) : SetCaptureFormat(320, 240);
  } else if (ChipFamily() != 3) {
    ok = e_.Deinterlace ? SetCaptureFormat(640, 480) : SetCaptureFormat(352, 288);
  } else {
    ok = e_.Deinterlace ? (SetCaptureFormat(640, 576) || SetCaptureFormat(720, 576))
                        : SetCaptureFormat(352, 288);
  }
  if (ChipFamily() == 3) TInputRouting(e_).TellEmpiaInput(e_.InputKind);
  return ok;
}

bool TPreviewGraph::CreateVideoWindow() {
  TFilterGraph& graph = *e_.Graph;
  if (TFilter* old = graph.FindFilter("VideoWindow")) graph.RemoveFilter(*old);
  e_.VideoWindow = nullptr;
  auto renderer = graph.AddComponent("Video Renderer", "VideoWindow");
  if (!renderer) return false;
  auto* video = dynamic_cast<platform::video::TVideoRenderer*>(renderer.get());
  if (!video) return false;
  platform::video::TVideoWindow* window = video->Window();
  window->setObjectName("VideoWindow");
  window->SetOwner(e_.Owner);
  window->SetAligned(true);
  window->SetCursorHideDelay(kCursorHideMs);
  if (e_.Owner) window->show();
  e_.VideoWindow = window;
  if (e_.OnVideoWindowCreated) e_.OnVideoWindowCreated(e_, window, 0);
  return true;
}

bool TPreviewGraph::RenderPreview(bool snapshot, bool deinterlace, bool overlay) {
  TFilterGraph& graph = *e_.Graph;
  if (!e_.SmartTee) {
    if (snapshot) e_.Snapshot = graph.AddComponent("Sample Grabber", "Snapshot");
    if (!CreateVideoWindow() || !e_.PreviewPin || !graph.Render(*e_.PreviewPin)) {
      e_.ReportError(1002);
      return false;
    }
    return true;
  }
  TPin* current = e_.PreviewPin;
  bool skipToRender = false;
  if (deinterlace) {
    e_.Deinterlacer.reset();
    for (const auto& m : e_.Components.Enumerate(DeviceCategory::LegacyFilter)) {
      if (m.FriendlyName.contains("OKA Deinterlacer", Qt::CaseInsensitive) ||
          m.FriendlyName.contains("TELIORDeinterlace Filter", Qt::CaseInsensitive)) {
        e_.Deinterlacer = graph.AddComponent(m.FriendlyName, "Deinterlace");
        break;
      }
    }
    if (!e_.Deinterlacer) {
      e_.ReportError(1016);
      skipToRender = true;
    } else {
      TPin* in = e_.Deinterlacer->FindPin(PinDir::Input);
      TPin* out = e_.Deinterlacer->FindPin(PinDir::Output);
      if (!in || !out) skipToRender = true;
      else if (!graph.Connect(*current, *in)) e_.ReportError(1017);
      else current = out;
    }
  }
  if (snapshot && !skipToRender) {
    e_.Snapshot = graph.AddComponent("Sample Grabber", "Snapshot");
    if (e_.Snapshot) {
      // The grabber takes the capture format so snapshots convert from it.
      TMediaType type;
      type.Major = MediaMajor::Video;
      type.Subtype = e_.PixelFormatMode == 0 ? "YUY2" : e_.PixelFormatMode == 1 ? "UYVY" : "RGB24";
      if (auto* grabber = e_.Snapshot->As<ISampleGrabber>()) grabber->SetMediaType(type);
      TPin* in = e_.Snapshot->FindPin(PinDir::Input);
      TPin* out = e_.Snapshot->FindPin(PinDir::Output);
      if (!in || !out) skipToRender = true;
      else if (!graph.Connect(*current, *in)) e_.ReportError(1008);
      else current = out;
    }
  }
  if (overlay && !skipToRender) {
    e_.Overlay = graph.AddComponent("Overlay Mixer", "Overlay");
    TPin* in = e_.Overlay ? e_.Overlay->FindPin(PinDir::Input) : nullptr;
    TPin* out = e_.Overlay ? e_.Overlay->FindPin(PinDir::Output) : nullptr;
    if (!in || !out || !graph.Connect(*current, *in)) e_.ReportText("Cannot use overlay");
    else current = out;
  }
  if (!CreateVideoWindow() || !graph.Render(*current)) {
    e_.ReportError(1002);
    return false;
  }
  return true;
}

bool TPreviewGraph::FinishBuild() {
  if (!StreamConfig(e_)) {
    e_.ReportError(1010);
    return false;
  }
  if (e_.HasTuner && e_.TVTuner) {
    if (!e_.TVTuner->As<ITVTuner>()) {
      e_.ReportError(1010);
      return false;
    }
    if (e_.TVAudio && !e_.TVAudio->As<ITVAudio>()) {
      e_.ReportError(1011);
      return false;
    }
    if (!e_.TVTuner->As<ITunerPropertySet>()) {
      e_.ReportError(1012);
      return false;
    }
    e_.TVMin = kPreviewTVMin;
    e_.TVMax = kPreviewTVMax;
    e_.ReadTVBand();
    e_.ReadFMBand();
  }
  e_.Crossbar.reset();
  e_.RouteCount = 0;
  e_.RouteNames.clear();
  if (TPin* start = e_.VCapture->FindPin(PinDir::Input, PinCategory::AnalogVideoIn);
      start && e_.CrossbarFilter) {
    e_.Crossbar = std::make_unique<TCrossbar>(*start);
    e_.RouteCount = e_.Crossbar->GetInputCount();
    for (int i = 0; i < e_.RouteCount; ++i) {
      const QString name = e_.Crossbar->GetInputName(i);
      if (name.isEmpty()) continue;
      e_.RouteNames << name;
      if (name.contains("Aux")) e_.HasAuxInput = true;
    }
  } else {
    e_.InputKind = 0;
  }
  if (!e_.SignalAdjust.Init(*e_.VCapture)) return false;
  e_.SignalAdjust.ApplyLevels();
  return true;
}

bool TPreviewGraph::BuildPreviewGraph() {
  if (!BuildCommonStart()) return false;
  ListMediaTypes();
  ChooseAudioInput();
  ApplyCaptureSize();
  if (e_.HasPreviewPin && !e_.NoPreviewRender && !RenderPreview(true, e_.Deinterlace, false))
    return false;
  e_.AudioThroughCapture = e_.ACapture && e_.ACapture->PinsOf(PinDir::Input).size() < 2;
  if (e_.AudioThroughCapture && e_.AudioCapturePin) {
    TFilterGraph& graph = *e_.Graph;
    e_.SmartTeeAudio = graph.AddComponent("Infinite Pin Tee Filter", "SmartTeeAudio");
    TPin* in = e_.SmartTeeAudio ? e_.SmartTeeAudio->FindPin(PinDir::Input) : nullptr;
    if (in && graph.Connect(*e_.AudioCapturePin, *in)) {
      if (TPin* live = e_.SmartTeeAudio->FindPin(PinDir::Output, PinCategory::None, 0))
        graph.Render(*live);
      e_.AudioTeePin = e_.SmartTeeAudio->FindPin(PinDir::Output, PinCategory::None, 1);
    }
  }
  return FinishBuild();
}

bool TPreviewGraph::BuildWisPreviewGraph() {
  if (!BuildCommonStart()) return false;
  // The encoder's MPEG-2 format at the preview size.
  const int width = IsNtscLike() ? (e_.Deinterlace ? 640 : 320) : (e_.Deinterlace ? 720 : 352);
  const int height = IsNtscLike() ? (e_.Deinterlace ? 480 : 240) : (e_.Deinterlace ? 576 : 288);
  if (IStreamConfig* config = StreamConfig(e_)) {
    for (int i = 0; i < config->GetNumberOfCapabilities(); ++i) {
      TMediaType type;
      if (config->GetStreamCaps(i, type) && type.Width == width && type.Height == height &&
          type.Subtype == "MPEG2") {
        config->SetFormat(type);
        break;
      }
    }
  }
  // The encoder's sound leaves the capture device itself.
  TPin* audio = e_.VCapture->FindPin(PinDir::Output, PinCategory::None, 2);
  if (!audio) audio = e_.VCapture->FindPin(PinDir::Output, PinCategory::Capture, 1);
  if (!audio) {
    e_.ReportError(1004);
    return false;
  }
  e_.AudioCapturePin = audio;
  if (!RenderEncodedPreview(1)) {
    e_.ReportError(1002);
    return false;
  }
  if (!audio->IsConnected() && !e_.Graph->Render(*audio)) e_.ReportText("Cannot render audio pin...");
  return FinishBuild();
}

bool TPreviewGraph::AddVideoDecoder(int kind) {
  QString name = "OKA MPEG Video Decoder";
  if (kind == 0) name = "MPEG Video Decoder";
  if (kind == 2)
    name = settings::MainInfo && settings::MainInfo->MPEG4Codec != 0 ? "WMVideo Decoder DMO"
                                                                     : "DivX Decoder Filter";
  e_.VideoDecoder = e_.Graph->AddComponent(name, "MPEGVideoDecoder");
  return e_.VideoDecoder != nullptr;
}

bool TPreviewGraph::RenderEncodedPreview(int mode) {
  TFilterGraph& graph = *e_.Graph;
  const int kind = (mode == 0 || mode == 4 || mode == 5) ? 0 : (mode == 2 || mode == 3) ? 2 : 1;
  bool ok = e_.PreviewPin && AddVideoDecoder(kind);
  if (ok) {
    TPin* in = e_.VideoDecoder->FindPin(PinDir::Input);
    TPin* out = e_.VideoDecoder->FindPin(PinDir::Output);
    ok = in && out && graph.Connect(*e_.PreviewPin, *in) && CreateVideoWindow() && graph.Render(*out);
  }
  if (ok) return true;
  if (e_.VideoDecoder) graph.RemoveFilter(*e_.VideoDecoder);
  e_.VideoDecoder.reset();
  return e_.PreviewPin && CreateVideoWindow() && graph.Render(*e_.PreviewPin);
}

bool TPreviewGraph::StartPreview() {
  const bool built = ChipFamily() == 5 ? BuildWisPreviewGraph() : BuildPreviewGraph();
  if (!built) return false;
  if (e_.AudioThroughCapture) e_.FixCrossbarAudio();
  return e_.Graph->Run();
}

bool TPreviewGraph::StopPreview() { return e_.Graph && e_.Graph->Stop(); }

bool TPreviewGraph::PlayGraph() { return e_.Graph && e_.Graph->Run(); }

bool TPreviewGraph::RestartPreview() {
  if (e_.Recording) return false;
  if (ChipFamily() == 5) return RestartWisPreview();
  // Keep the device pins; the preview chain after the tee is built again.
  TPin* preview = e_.PreviewPin;
  if (e_.RadioMode) return true;
  ApplyCaptureSize();
  if (!e_.HasPreviewPin || !preview) return true;
  TFilterGraph& graph = *e_.Graph;
  for (auto* filter : {&e_.Deinterlacer, &e_.Snapshot, &e_.Overlay}) {
    if (*filter) graph.RemoveFilter(**filter);
    filter->reset();
  }
  if (TFilter* old = graph.FindFilter("VideoWindow")) graph.RemoveFilter(*old);
  if (preview->IsConnected()) graph.Disconnect(*preview);
  e_.PreviewPin = preview;
  return RenderPreview(true, e_.Deinterlace, false);
}

bool TPreviewGraph::RestartWisPreview() {
  if (e_.Recording) return false;
  TPin* preview = e_.PreviewPin;
  if (preview && preview->IsConnected()) e_.Graph->Disconnect(*preview);
  if (e_.VideoDecoder) e_.Graph->RemoveFilter(*e_.VideoDecoder);
  e_.VideoDecoder.reset();
  if (!RenderEncodedPreview(1)) {
    e_.ReportError(1002);
    return false;
  }
  return true;
}

bool TPreviewGraph::ResumeAfterModeChange() {
  // The video window always fills its area, so there is no aspect mode to reset here.
  const bool restarted = RestartPreview();
  return e_.Graph->Run() && restarted;
}

bool TPreviewGraph::SetDeinterlace(bool on) {
  if (e_.Recording) return false;
  e_.Deinterlace = on;
  e_.Graph->Stop();
  // A new capture size needs the chain after the tee rebuilt; RestartPreview does both.
  if (e_.RadioMode || !e_.HasPreviewPin) {
    ApplyCaptureSize();
    return true;
  }
  return RestartPreview() && e_.Graph->Run();
}

void TPreviewGraph::SetPixelFormatChoice(int choice) {
  if (choice == 0 && e_.UYVYIndex < 0) choice = 1;
  if (choice == 2 && e_.RGB24Index < 0) choice = 1;
  e_.PixelFormatChoice = choice;
  e_.PixelFormatMode = quint8(PixelFormatModeOf(choice));
}

void TPreviewGraph::DockVideoWindow(bool asThumbnail, int left, int top, int border) {
  platform::video::TVideoWindow* window = e_.VideoWindow;
  if (!window || !e_.Owner) return;
  if (!asThumbnail) {
    window->SetAligned(true);
    return;
  }
  window->SetAligned(false);
  const QSize client = e_.Owner->size();
  window->setGeometry(left, top, client.width() / 3 - 2 * border, client.height() / 3 - 2 * border);
}

}  // namespace pvx::engine

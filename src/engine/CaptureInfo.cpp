#include "engine/CaptureInfo.h"

#include <QFile>

#include "engine/DeviceDiscovery.h"
#include "engine/InputRouting.h"
#include "engine/PreviewGraph.h"
#include "engine/StillImages.h"
#include "engine/TunerControl.h"
#include "platform/video/TVideoWindow.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "util/Folders.h"

namespace pvx::engine {

TCaptureInfo::TCaptureInfo(QWidget* owner, const platform::graph::TComponentRegistry& components)
    : Owner(owner),
      Components(components),
      discovery_(std::make_unique<TDeviceDiscovery>(*this)),
      routing_(std::make_unique<TInputRouting>(*this)),
      preview_(std::make_unique<TPreviewGraph>(*this)),
      tuner_(std::make_unique<TTunerControl>(*this)),
      stills_(std::make_unique<TStillImages>(*this)) {
  CreateGraphObjects();
  Timer.SetInterval(1000);
  Timer.SetEnabled(false);
  VideoDeviceIndex = discovery_->DefaultVideoDeviceIndex();
  DeleteTimeShiftFiles();
}

TCaptureInfo::~TCaptureInfo() {
  ReleaseGraphObjects();
  DeleteTimeShiftFiles();
}

QString TCaptureInfo::FixedTimeShiftFile() {
  const QString folder = settings::MainInfo ? settings::MainInfo->CaptureFolder : util::DocumentsFolder();
  return folder + "ts0.mpv";
}

void TCaptureInfo::DeleteTimeShiftFiles() {
  const QString video = FixedTimeShiftFile();
  QFile::remove(video);
  QFile::remove(video.left(video.size() - 1) + "a");
}

void TCaptureInfo::CreateGraphObjects() {
  Graph = std::make_unique<platform::graph::TFilterGraph>(Components);
  Crossbar.reset();
  VideoDevices.clear();
  AudioDevices.clear();
  AudioInputNames.clear();
  VideoMediaTypes.clear();
  VideoMediaTypeNames.clear();
  AudioMediaTypes.clear();
  AudioMediaTypeNames.clear();
}

void TCaptureInfo::ReleaseGraphObjects() {
  if (Graph) Graph->Stop();
  ReleasePins();
  Crossbar.reset();
  SignalAdjust = TVideoSignalAdjust();
  VideoWindow = nullptr;
  for (auto* filter : {&VCapture, &ACapture, &TVTuner, &TVAudio, &CrossbarFilter, &SmartTee,
                       &SmartTeeAudio, &Overlay, &Deinterlacer, &Snapshot, &VideoDecoder})
    filter->reset();
  // The graph owns the renderer and with it the video window.
  Graph.reset();
}

void TCaptureInfo::ReleasePins() {
  PreviewPin = CapturePin = AudioCapturePin = VBIPin = AudioTeePin = nullptr;
}

bool TCaptureInfo::OpenDevices() { return discovery_->OpenDevices(); }

bool TCaptureInfo::ReopenDevices() {
  if (Graph) Graph->Stop();
  ReleaseGraphObjects();
  CreateGraphObjects();
  MediaTypeIndex = 0;
  if (!OpenDevices()) {
    ReportError(1000);
    return false;
  }
  return StartPreview();
}

bool TCaptureInfo::SelectInput(int kind) { return routing_->SelectInput(kind); }
void TCaptureInfo::FixCrossbarAudio() { routing_->FixCrossbarAudio(); }
bool TCaptureInfo::SelectAudioInputLine(int line) { return routing_->SelectAudioInputLine(line); }

bool TCaptureInfo::ConnectTunerChain() { return preview_->ConnectTunerChain(); }
bool TCaptureInfo::BuildPreviewGraph() { return preview_->BuildPreviewGraph(); }
bool TCaptureInfo::StartPreview() { return preview_->StartPreview(); }
bool TCaptureInfo::StopPreview() { return preview_->StopPreview(); }
bool TCaptureInfo::PlayGraph() { return preview_->PlayGraph(); }
bool TCaptureInfo::RestartPreview() { return preview_->RestartPreview(); }
bool TCaptureInfo::ResumeAfterModeChange() { return preview_->ResumeAfterModeChange(); }
bool TCaptureInfo::SetDeinterlace(bool on) { return preview_->SetDeinterlace(on); }
void TCaptureInfo::SetPixelFormatChoice(int choice) { preview_->SetPixelFormatChoice(choice); }
bool TCaptureInfo::BuildWisPreviewGraph() { return preview_->BuildWisPreviewGraph(); }
bool TCaptureInfo::RenderEncodedPreview(int mode) { return preview_->RenderEncodedPreview(mode); }
bool TCaptureInfo::RestartWisPreview() { return preview_->RestartWisPreview(); }
bool TCaptureInfo::AddVideoDecoder(int kind) { return preview_->AddVideoDecoder(kind); }
void TCaptureInfo::DockVideoWindow(bool asThumbnail, int left, int top, int border) {
  preview_->DockVideoWindow(asThumbnail, left, top, border);
}

bool TCaptureInfo::SetTVFrequency(quint32 hertz, bool pauseGraph) {
  return tuner_->SetTVFrequency(hertz, pauseGraph);
}
bool TCaptureInfo::SetFMFrequency(quint32 hertz) { return tuner_->SetFMFrequency(hertz); }
bool TCaptureInfo::FMUp() { return tuner_->FMUp(); }
bool TCaptureInfo::FMDown() { return tuner_->FMDown(); }
void TCaptureInfo::SetRadioMode(bool fm) { tuner_->SetRadioMode(fm); }
bool TCaptureInfo::SetVideoStandard(int standard) { return tuner_->SetVideoStandard(standard); }
bool TCaptureInfo::SetCountryCode(int code) { return tuner_->SetCountryCode(code); }
bool TCaptureInfo::SetTVAudioMode(int mode) { return tuner_->SetTVAudioMode(mode); }
void TCaptureInfo::ReadTVBand() { tuner_->ReadTVBand(); }
void TCaptureInfo::ReadFMBand() { tuner_->ReadFMBand(); }

bool TCaptureInfo::GrabSnapshot() { return stills_->GrabSnapshot(); }
bool TCaptureInfo::GrabStill() { return stills_->GrabStill(); }
void TCaptureInfo::SetStillShown(bool on) { stills_->SetStillShown(on); }

void TCaptureInfo::ReportError(int code) {
  if (!Unattended) settings::ShowErrorCode(code);
}

void TCaptureInfo::ReportText(const QString& text, bool evenUnattended) {
  if (!Unattended || evenUnattended) settings::ShowErrorText(text);
}

}  // namespace pvx::engine

#include "engine/CaptureInfo.h"

#include <QFile>

#include "engine/CaptureFileName.h"

#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "platform/graph/TFilterGraph.h"
#include "settings/ErrorMessages.h"
#include "util/Folders.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {
// The TV range a built preview tunes in until the tuner reports its own.
constexpr qint32 kPreviewTVMin = 45250000;
constexpr qint32 kPreviewTVMax = 889250000;

TEngineConfig WithComponents(TEngineConfig config, const TComponentRegistry& components) {
  config.Components = &components;
  return config;
}
}  // namespace

void TErrorReporter::Error(int code) const {
  if (!unattended_) settings::ShowErrorCode(code);
}

void TErrorReporter::Text(const QString& text, bool evenUnattended) const {
  if (!unattended_ || evenUnattended) settings::ShowErrorText(text);
}

TCaptureInfo::TCaptureInfo(const TComponentRegistry& components, TEngineConfig config)
    : config_(WithComponents(std::move(config), components)),
      devices_(std::make_unique<TCaptureDevices>(config_, report_)),
      formats_(std::make_unique<TCaptureFormats>(settings_)),
      preview_(std::make_unique<TPreviewPipeline>(*devices_, *formats_, config_, report_)),
      tuner_(std::make_unique<TTunerControl>(*devices_, *preview_, report_)),
      routing_(std::make_unique<TInputRouting>(*devices_, report_)),
      stills_(std::make_unique<TStillImages>(*preview_)),
      recorder_(std::make_unique<TRecordingControl>(*devices_, *preview_, *formats_, settings_, report_,
                                                    [this] { return RecordRequest(); })) {
  preview_->OnVideoWindowCreated = [this](platform::video::IVideoWindow* window) {
    if (OnVideoWindowCreated) OnVideoWindowCreated(*this, window, 0);
  };
  // The Empia 2800 forgets its input when the capture size changes.
  preview_->OnCaptureSizeSet = [this] { routing_->TellEmpiaInput(); };
  preview_->OnRunningGraphError = [this](const QString& message) {
    deviceLost_ = true;
    const QString file = Recording() ? recorder_->State().CurrentFile : QString();
    if (OnDeviceLost) OnDeviceLost(*this, message, file);
    // Whatever the shell did, nothing runs on a lost device; stopping completes the file.
    if (Recording()) StopRecording();
    StopPreview();
  };
  tuner_->OnFMTuned = [this](quint32 hertz, bool locked) {
    if (OnFMTuned) OnFMTuned(*this, hertz, locked);
  };
  recorder_->OnProgress = [this](bool stop, bool timeShift, qint64 free, qint64 written, qint64 elapsed) {
    if (OnCaptureProgress) OnCaptureProgress(*this, stop, timeShift, free, written, elapsed);
  };
  recorder_->OnTimeShiftReady = [this] {
    if (OnTimeShiftReady) OnTimeShiftReady(*this, true);
  };
  tuner_->CountryCode = [this] { return Program().CountryCode; };
  settings_.VideoDeviceIndex = devices_->DefaultVideoDeviceIndex();
}

TCaptureInfo::~TCaptureInfo() {
  ReleaseGraphObjects();
  DeleteTimeShiftFiles();
}

QString TCaptureInfo::CaptureFolder() const {
  const QString folder = Program().CaptureFolder;
  return folder.isEmpty() ? util::DocumentsFolder() : folder;
}

QString TCaptureInfo::FixedTimeShiftFile() const { return CaptureFolder() + "ts0.mpv"; }

void TCaptureInfo::DeleteTimeShiftFiles() const {
  const QString video = FixedTimeShiftFile();
  QFile::remove(video);
  QFile::remove(video.left(video.size() - 1) + "a");
}

void TCaptureInfo::CreateGraphObjects() {
  recorder_->TearDown();
  preview_->NewGraph();
  routing_->Clear();
  devices_->Release();
  formats_->Clear();
}

void TCaptureInfo::ReleaseGraphObjects() {
  recorder_->TearDown();
  preview_->Release();
  routing_->Clear();
  signalAdjust_ = TVideoSignalAdjust(config_.ColourLevels);
  devices_->Release();
}

bool TCaptureInfo::OpenDevices() {
  // A time-shift pair left by a run that ended abruptly: only now are the stored settings in, so
  // it is looked for in the folder the user chose.
  if (!devicesOpened_) DeleteTimeShiftFiles();
  routing_->Clear();
  if (!preview_->Graph()) preview_->NewGraph();
  devicesOpened_ = true;
  const bool ok = devices_->Open(*preview_->Graph(), settings_);
  if (devices_->FellBack()) formats_->ResetMediaTypeIndex();
  tuner_->SetSignalReadings(devices_->Chip().SignalReadings());
  if (OnChipDetected) OnChipDetected(*this, devices_->Chip());
  return ok;
}

bool TCaptureInfo::ReopenDevices() {
  preview_->Stop();
  ReleaseGraphObjects();
  CreateGraphObjects();
  formats_->ResetMediaTypeIndex();
  if (!OpenDevices()) {
    ReportError(1000);
    return false;
  }
  return StartPreview();
}

bool TCaptureInfo::SelectInput(int kind) { return !Recording() && routing_->SelectInput(kind); }
void TCaptureInfo::FixCrossbarAudio() { routing_->FixCrossbarAudio(); }
bool TCaptureInfo::SelectAudioInputLine(int line) { return routing_->SelectAudioInputLine(line, settings_); }

TPreviewSettings TCaptureInfo::PreviewSettings() const {
  return {tuner_->VideoStandard(), settings_.Deinterlace, tuner_->RadioMode(), !noPreviewRender_,
          settings_.DeinterlaceFast};
}

bool TCaptureInfo::FinishBuild() {
  TFilter& capture = *devices_->VCapture();
  if (!capture.As<IStreamConfig>()) {
    ReportError(1010);
    return false;
  }
  if (TFilter* tuner = devices_->TVTuner(); tuner && HasTuner()) {
    TFilter* audio = devices_->TVAudio();
    const int missing = !tuner->As<ITVTuner>()                  ? 1010
                        : audio && !audio->As<ITVAudio>()       ? 1011
                        : !tuner->As<ITunerPropertySet>()       ? 1012
                                                                : 0;
    if (missing) {
      ReportError(missing);
      return false;
    }
    tuner_->SetTVBand(kPreviewTVMin, kPreviewTVMax);
    tuner_->ReadTVBand();
    tuner_->ReadFMBand();
  }
  routing_->FindRoutes();
  if (!signalAdjust_.Init(capture)) return false;
  signalAdjust_.ApplyLevels();
  return true;
}

bool TCaptureInfo::BuildPreviewGraph() {
  return !Recording() && preview_->Build(PreviewSettings()) && FinishBuild();
}

bool TCaptureInfo::BuildWisPreviewGraph() {
  return !Recording() && preview_->BuildWis(PreviewSettings()) && FinishBuild();
}

bool TCaptureInfo::StartPreview() {
  const bool built = Chip().IsWis() ? BuildWisPreviewGraph() : BuildPreviewGraph();
  if (!built) return false;
  if (preview_->AudioThroughCapture()) FixCrossbarAudio();
  if (!preview_->Run()) return false;
  deviceLost_ = false;
  return true;
}

bool TCaptureInfo::StopPreview() { return preview_->Stop(); }

bool TCaptureInfo::RestartPreview() {
  if (Recording()) return false;
  return Chip().IsWis() ? preview_->RestartWis() : preview_->Restart(PreviewSettings());
}

bool TCaptureInfo::ResumeAfterModeChange() {
  // The video window always fills its area, so there is no aspect mode to reset here.
  const bool restarted = RestartPreview();
  return preview_->Run() && restarted;
}

bool TCaptureInfo::SetDeinterlace(bool on, bool fast) {
  if (Recording()) return false;
  settings_.Deinterlace = on;
  settings_.DeinterlaceFast = fast;
  return preview_->Apply(PreviewSettings());
}

bool TCaptureInfo::Apply(const settings::TCaptureSettings& next) {
  const settings::TCaptureSettings before = settings_;
  settings_ = next;
  const bool otherDevices =
      next.VideoDeviceIndex != before.VideoDeviceIndex || next.AudioDeviceIndex != before.AudioDeviceIndex;
  if (otherDevices && devicesOpened_) return ReopenDevices();
  // A running recording keeps its picture; the preview takes the choice when it is next built.
  const bool deinterlaceChanged =
      next.Deinterlace != before.Deinterlace || next.DeinterlaceFast != before.DeinterlaceFast;
  if (deinterlaceChanged && preview_->Graph() && !Recording()) SetDeinterlace(next.Deinterlace, next.DeinterlaceFast);
  return true;
}

void TCaptureInfo::SetPixelFormatChoice(int choice) { formats_->SetPixelFormatChoice(choice); }

bool TCaptureInfo::SetTVFrequency(quint32 hertz, bool pauseGraph) {
  return !Recording() && tuner_->SetTVFrequency(hertz, pauseGraph);
}
bool TCaptureInfo::SetFMFrequency(quint32 hertz) { return !Recording() && tuner_->SetFMFrequency(hertz); }
bool TCaptureInfo::FMUp() { return !Recording() && tuner_->FMUp(); }
bool TCaptureInfo::FMDown() { return !Recording() && tuner_->FMDown(); }

void TCaptureInfo::SetRadioMode(bool fm) {
  if (tuner_->SwitchMode(fm)) ResumeAfterModeChange();
}

bool TCaptureInfo::SetVideoStandard(int standard) {
  const int before = tuner_->VideoStandard();
  if (standard == before) return true;
  if (!tuner_->SetVideoStandard(standard)) return false;
  // Tuners outside the standard ones take the new standard's capture size at once.
  if (!Chip().IsStandardTuner() && IsNtscLike(before) != IsNtscLike(standard)) SetDeinterlace(settings_.Deinterlace);
  routing_->TellEmpiaInput();
  return true;
}

bool TCaptureInfo::SetCountryCode(int code) { return tuner_->SetCountryCode(code); }
bool TCaptureInfo::SetTVAudioMode(int mode) { return tuner_->SetTVAudioMode(mode); }
void TCaptureInfo::ReadFMBand() { tuner_->ReadFMBand(); }

void TCaptureInfo::SetVendorStandard(int value) {
  TFilter* vendor = devices_->Empia2800();
  if (auto* empia = vendor ? vendor->As<IEmpia2800>() : nullptr) empia->SetSettingValue(value);
}

bool TCaptureInfo::GrabSnapshot() {
  const QImage image = stills_->Grab(Chip().IsWis());
  if (image.isNull()) return false;
  if (Snapshots) Snapshots->InsertSnapshot(image);
  return true;
}

bool TCaptureInfo::GrabStill() { return stills_->GrabStill(Chip().IsWis()); }
void TCaptureInfo::SetStillShown(bool on) { stills_->SetStillShown(on); }

QString TCaptureInfo::MakeCaptureFileName(bool numbered, const QString& base, int kind) const {
  const QString waveFolder = Program().WaveFolder;
  const bool wave = WaveFolderActive && WaveFolderActive() && !waveFolder.isEmpty();
  return engine::MakeCaptureFileName(numbered, base, kind, wave ? waveFolder : CaptureFolder());
}

int TCaptureInfo::CurrentStreamKind() const {
  const settings::TCaptureSettings& s = settings_;
  return StreamKindOf({s.RecordFormat, s.RecordKind, s.AudioFormat, RadioMode(), TimeShift().Active});
}

TRecordRequest TCaptureInfo::RecordRequest() const {
  TRecordRequest r;
  r.Kind = CurrentStreamKind();
  r.TimeShift = TimeShift().Active;
  r.Radio = RadioMode();
  r.Standard = tuner_->VideoStandard();
  // Unattended recordings are always numbered, so the scheduler can predict the name.
  r.File = r.TimeShift && !settings_.SaveTimeShift
               ? FixedTimeShiftFile()
               : MakeCaptureFileName(Unattended() || !settings_.UseDateTimeName, settings_.FilePrefix, r.Kind);
  r.MPEG4Codec = Program().MPEG4Codec;
  r.AudioBitRate = Recorder().AudioBitRate;
  r.AudioSampleRate = Recorder().AudioSampleRate;
  r.AudioChannels = Recorder().AudioChannels;
  if (CurrentStation && !r.Radio) CurrentStation(r.Channel, r.Station);
  // An unattended recording is named after its programme.
  if (Unattended()) r.Title = settings_.FilePrefix;
  return r;
}

bool TCaptureInfo::StopTimeShift() {
  const bool stopped = recorder_->StopTimeShift();
  SetStillShown(false);
  return stopped;
}

}  // namespace pvx::engine

#include "engine/CaptureDevices.h"

#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {

const QString kNotTVCard =
    QStringLiteral("This is not a valid capture device for Tuner, try to load default setting...");

// The first device whose name contains `part` (empty parts match nothing); -1 when none.
int FindByName(const std::vector<TMoniker>& devices, const QString& part) {
  for (size_t i = 0; i < devices.size(); ++i) {
    if (NameContains(devices[i].FriendlyName, part)) return int(i);
  }
  return -1;
}

// The maker, then the model; an override replaces both.
int ChooseByChip(const std::vector<TMoniker>& devices, const TChipInfo& chip, const QString& override) {
  if (!override.isEmpty()) return FindByName(devices, override);
  const int index = FindByName(devices, chip.Maker);
  return index >= 0 ? index : FindByName(devices, chip.Model);
}

QStringList NamesOf(const std::vector<TMoniker>& devices) {
  QStringList names;
  for (const auto& m : devices) names << m.FriendlyName;
  return names;
}

}  // namespace

int TCaptureDevices::DefaultVideoDeviceIndex() const {
  const auto devices = config_.Components->Enumerate(DeviceCategory::VideoInputDevice);
  for (size_t i = 0; i < devices.size(); ++i) {
    for (const char* hint : {"Philips", "713", "Conexant", "88X", "878", "28"}) {
      if (NameContains(devices[i].FriendlyName, hint)) return int(i);
    }
  }
  return 0;
}

void TCaptureDevices::SetChip(const QString& name) {
  chip_ = DetectChip(name, config_.ChipMakers, config_.ChipModels);
  empia2800_.reset();
  if (chip_.IsEmpia2800()) {
    const auto objects = config_.Components->Enumerate(DeviceCategory::VendorObject);
    const int index = FindByName(objects, QString::fromLatin1(kEmpia2800ClassId));
    if (index >= 0) empia2800_ = objects[size_t(index)].Bind();
  }
}

void TCaptureDevices::Release() {
  for (auto* filter : {&vCapture_, &aCapture_, &tvTuner_, &tvAudio_, &crossbar_}) filter->reset();
  videoDevices_.clear();
  audioDevices_.clear();
}

void TCaptureDevices::DropTuner(TFilterGraph& graph) {
  hasTuner_ = false;
  for (auto* filter : {&tvTuner_, &tvAudio_}) {
    if (*filter) graph.RemoveFilter(**filter);
    filter->reset();
  }
}

bool TCaptureDevices::Open(TFilterGraph& graph, settings::TCaptureSettings& stored) {
  hasTuner_ = true;
  graph.Stop();
  if (!OpenVideoAndCrossbar(graph, stored)) return false;
  OpenAudio(graph, stored);
  OpenTuner(graph);
  return true;
}

bool TCaptureDevices::OpenVideoAndCrossbar(TFilterGraph& graph, settings::TCaptureSettings& stored) {
  // After one fallback the override is ignored: a named device without a crossbar would
  // otherwise be chosen again and again.
  fellBack_ = false;
  for (;;) {
    const auto videos = config_.Components->Enumerate(DeviceCategory::VideoInputDevice);
    videoDevices_ = NamesOf(videos);
    if (videos.empty()) return false;
    int& index = stored.VideoDeviceIndex;
    if (index < 0 || index >= int(videos.size())) index = 0;
    int candidate = index;
    if (config_.VideoNameOverride.isEmpty() || fellBack_) {
      SetChip(videos[size_t(candidate)].FriendlyName);
    } else {
      // Every device matching the override is taken in turn: the last one wins.
      for (size_t i = 0; i < videos.size(); ++i) {
        if (NameContains(videos[i].FriendlyName, config_.VideoNameOverride)) {
          candidate = int(i);
          SetChip(videos[i].FriendlyName);
        }
      }
    }
    vCapture_ = videos[size_t(candidate)].Bind();
    if (!vCapture_ || !graph.AddFilter(vCapture_, "VCapture")) return false;

    const auto crossbars = config_.Components->Enumerate(DeviceCategory::Crossbar);
    if (crossbars.empty()) return false;
    const int crossbar = ChooseByChip(crossbars, chip_, config_.CrossbarNameOverride);
    if (crossbar >= 0) {
      crossbar_ = crossbars[size_t(crossbar)].Bind();
      return crossbar_ && graph.AddFilter(crossbar_, "Crossbar");
    }
    if (candidate == 0) {
      hasTuner_ = false;
      return false;
    }
    report_.Text(kNotTVCard, true);
    index = 0;
    stored.PixelFormatChoice = 1;
    graph.RemoveFilter(*vCapture_);
    vCapture_.reset();
    fellBack_ = true;
  }
}

void TCaptureDevices::OpenAudio(TFilterGraph& graph, settings::TCaptureSettings& stored) {
  const auto audios = config_.Components->Enumerate(DeviceCategory::AudioInputDevice);
  audioDevices_ = NamesOf(audios);
  int& index = stored.AudioDeviceIndex;
  if (index < 0 || index >= int(audios.size())) {
    const QString& preferred = config_.PreferredAudioDevice;
    index = preferred.isEmpty() ? 0 : qMax(0, int(audioDevices_.indexOf(preferred)));
  }
  hasAudioCapture_ = !audios.empty();
  aCapture_.reset();
  // The Wis encoder carries its own sound.
  if (hasAudioCapture_ && !chip_.IsWis()) {
    aCapture_ = audios[size_t(qMin(index, int(audios.size()) - 1))].Bind();
    if (aCapture_) graph.AddFilter(aCapture_, "ACapture");
  }
}

void TCaptureDevices::OpenTuner(TFilterGraph& graph) {
  const auto tuners = config_.Components->Enumerate(DeviceCategory::TVTuner);
  int tuner = ChooseByChip(tuners, chip_, config_.TunerNameOverride);
  if (tuner < 0 && config_.TunerNameOverride.isEmpty() && chip_.Maker == "Philips")
    tuner = FindByName(tuners, "PhTVTune");
  if (tuner >= 0) tvTuner_ = tuners[size_t(tuner)].Bind();
  if (tuner < 0 || !tvTuner_ || !graph.AddFilter(tvTuner_, "TVTuner")) {
    hasTuner_ = false;
    return;
  }
  const auto tvAudios = config_.Components->Enumerate(DeviceCategory::TVAudio);
  const int tvAudio = ChooseByChip(tvAudios, chip_, config_.TVAudioNameOverride);
  tvAudio_.reset();
  if (tvAudio < 0) return;
  tvAudio_ = tvAudios[size_t(tvAudio)].Bind();
  if (tvAudio_) graph.AddFilter(tvAudio_, "TVAudio");
}

}  // namespace pvx::engine

#include "engine/DeviceDiscovery.h"

#include "engine/CaptureInfo.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

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
int ChooseByChip(const std::vector<TMoniker>& devices, const QString& override) {
  if (!override.isEmpty()) return FindByName(devices, override);
  const settings::TMainInfo& main = *settings::MainInfo;
  int index = FindByName(devices, main.ChipMaker);
  if (index < 0) index = FindByName(devices, main.ChipModel);
  return index;
}

}  // namespace

bool NameContains(const QString& name, const QString& part) {
  return !part.isEmpty() && name.contains(part, Qt::CaseInsensitive);
}

int TDeviceDiscovery::DefaultVideoDeviceIndex() const {
  const auto devices = e_.Components.Enumerate(DeviceCategory::VideoInputDevice);
  for (size_t i = 0; i < devices.size(); ++i) {
    for (const char* hint : {"Philips", "713", "Conexant", "88X", "878", "28"}) {
      if (NameContains(devices[i].FriendlyName, hint)) return int(i);
    }
  }
  return 0;
}

void TDeviceDiscovery::DetectChip(const QString& name) {
  settings::TMainInfo& main = *settings::MainInfo;
  main.ChipMaker.clear();
  main.ChipModel.clear();
  for (const QString& maker : main.ChipMakers) {
    if (NameContains(name, maker)) {
      main.ChipMaker = maker;
      break;
    }
  }
  for (const QString& model : main.ChipModels) {
    if (NameContains(name, model)) {
      main.ChipModel = model;
      break;
    }
  }
  auto any = [&](std::initializer_list<const char*> parts) {
    for (const char* p : parts)
      if (NameContains(name, p)) return true;
    return false;
  };
  auto makerIfEmpty = [&](const char* maker) {
    if (main.ChipMaker.isEmpty()) main.ChipMaker = maker;
  };
  if (any({"Philips", "713"})) {
    main.ChipFamily = 1;
    makerIfEmpty("Philips");
  } else if (any({"Conexant", "88X", "878"})) {
    main.ChipFamily = 2;
    makerIfEmpty("Conexant");
  } else if (any({"2800"})) {
    main.ChipFamily = 3;
    makerIfEmpty("Empia");
  } else if (any({"Wis"})) {
    main.ChipFamily = 5;
    makerIfEmpty("Wis");
  } else if (any({"2821", "2820", "2840"})) {
    main.ChipFamily = 4;
    makerIfEmpty("Empia");
  } else {
    main.ChipFamily = 0;
  }
  e_.Empia2800.reset();
  if (main.ChipFamily == 3) {
    const auto objects = e_.Components.Enumerate(DeviceCategory::VendorObject);
    const int index = FindByName(objects, QString::fromLatin1(kEmpia2800ClassId));
    if (index >= 0) e_.Empia2800 = objects[size_t(index)].Bind();
  }
  main.IsWisChip = main.ChipFamily == 5;
  e_.SignalReadings = main.ChipFamily == 2 || main.ChipFamily == 4 ? 3 : main.ChipFamily == 3 ? 10 : 1;
}

bool TDeviceDiscovery::OpenDevices() {
  TCaptureInfo& e = e_;
  TFilterGraph& graph = *e.Graph;
  e.HasTuner = true;
  e.HasAuxInput = false;
  graph.Stop();

  // After one fallback the override is ignored: a named device without a crossbar would
  // otherwise be chosen again and again.
  bool fellBack = false;
  for (;;) {
    // Video capture device.
    const auto videos = e_.Components.Enumerate(DeviceCategory::VideoInputDevice);
    e.VideoDevices.clear();
    for (const auto& m : videos) e.VideoDevices << m.FriendlyName;
    if (videos.empty()) return false;
    if (e.VideoDeviceIndex < 0 || e.VideoDeviceIndex >= int(videos.size())) e.VideoDeviceIndex = 0;
    int candidate = e.VideoDeviceIndex;
    if (e.VideoNameOverride.isEmpty() || fellBack) {
      DetectChip(videos[size_t(candidate)].FriendlyName);
    } else {
      // Every device matching the override is taken in turn: the last one wins.
      for (size_t i = 0; i < videos.size(); ++i) {
        if (NameContains(videos[i].FriendlyName, e.VideoNameOverride)) {
          candidate = int(i);
          DetectChip(videos[i].FriendlyName);
        }
      }
    }
    e.VCapture = videos[size_t(candidate)].Bind();
    if (!e.VCapture || !graph.AddFilter(e.VCapture, "VCapture")) return false;

    // Crossbar.
    const auto crossbars = e_.Components.Enumerate(DeviceCategory::Crossbar);
    if (crossbars.empty()) return false;
    const int crossbar = ChooseByChip(crossbars, e.CrossbarNameOverride);
    if (crossbar < 0) {
      if (candidate == 0) {
        e.HasTuner = false;
        return false;
      }
      e.ReportText(kNotTVCard, true);
      e.VideoDeviceIndex = 0;
      e.PixelFormatChoice = 1;
      e.MediaTypeIndex = 0;
      graph.RemoveFilter(*e.VCapture);
      e.VCapture.reset();
      fellBack = true;
      continue;
    }
    e.CrossbarFilter = crossbars[size_t(crossbar)].Bind();
    if (!e.CrossbarFilter || !graph.AddFilter(e.CrossbarFilter, "Crossbar")) return false;
    break;
  }

  // Audio capture device.
  const auto audios = e_.Components.Enumerate(DeviceCategory::AudioInputDevice);
  e.AudioDevices.clear();
  for (const auto& m : audios) e.AudioDevices << m.FriendlyName;
  if (e.AudioDeviceIndex < 0 || e.AudioDeviceIndex >= int(audios.size())) {
    const int preferred = e.AudioDevices.indexOf(e.PreferredAudioDevice);
    e.AudioDeviceIndex = preferred >= 0 && !e.PreferredAudioDevice.isEmpty() ? preferred : 0;
  }
  if (!audios.empty()) {
    e.HasAudioCapture = true;
    if (settings::MainInfo->ChipFamily != 5) {
      e.ACapture = audios[size_t(qMin(e.AudioDeviceIndex, int(audios.size()) - 1))].Bind();
      if (e.ACapture) graph.AddFilter(e.ACapture, "ACapture");
    }
  } else {
    e.HasAudioCapture = false;
    e.ACapture.reset();
  }

  // Tuner and its sound decoder.
  const auto tuners = e_.Components.Enumerate(DeviceCategory::TVTuner);
  int tuner = -1;
  if (!e.TunerNameOverride.isEmpty()) {
    tuner = FindByName(tuners, e.TunerNameOverride);
  } else {
    tuner = ChooseByChip(tuners, QString());
    if (tuner < 0 && settings::MainInfo->ChipMaker == "Philips") tuner = FindByName(tuners, "PhTVTune");
  }
  if (tuner < 0) {
    e.HasTuner = false;
    return true;
  }
  e.TVTuner = tuners[size_t(tuner)].Bind();
  if (!e.TVTuner || !graph.AddFilter(e.TVTuner, "TVTuner")) {
    e.HasTuner = false;
    return true;
  }
  const auto tvAudios = e_.Components.Enumerate(DeviceCategory::TVAudio);
  const int tvAudio = ChooseByChip(tvAudios, e.TVAudioNameOverride);
  if (tvAudio < 0) {
    e.TVAudio.reset();
  } else {
    e.TVAudio = tvAudios[size_t(tvAudio)].Bind();
    if (e.TVAudio) graph.AddFilter(e.TVAudio, "TVAudio");
  }
  return true;
}

}  // namespace pvx::engine

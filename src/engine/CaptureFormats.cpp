#include "engine/CaptureFormats.h"

#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {

void ReadTypes(TFilter& filter, std::vector<TMediaType>& types, QStringList& names) {
  types.clear();
  names.clear();
  auto* config = filter.As<IStreamConfig>();
  for (int i = 0; config && i < config->GetNumberOfCapabilities(); ++i) {
    TMediaType type;
    if (!config->GetStreamCaps(i, type)) continue;
    types.push_back(type);
    names << type.Name();
  }
}

}  // namespace

int PixelFormatModeOf(int choice) {
  if (choice == 0) return 1;
  if (choice == 2) return 3;
  return 0;
}

void TCaptureFormats::Clear() {
  videoTypes_.clear();
  audioTypes_.clear();
  videoTypeNames_.clear();
  audioTypeNames_.clear();
  audioInputNames_.clear();
}

void TCaptureFormats::ReadVideo(TFilter& videoCapture) {
  ReadTypes(videoCapture, videoTypes_, videoTypeNames_);
  auto first = [&](const char* word) {
    for (int i = 0; i < videoTypeNames_.size(); ++i)
      if (videoTypeNames_[i].contains(QLatin1String(word))) return i;
    return -1;
  };
  uyvy_ = first("UYVY");
  yuy2_ = first("YUY2");
  rgb24_ = first("RGB24");
  rgb32_ = first("RGB32");
  if (rgb32_ < 0) rgb32_ = rgb24_;
  pixelFormatMode_ = PixelFormatModeOf(stored_.PixelFormatChoice);
}

void TCaptureFormats::ReadAudio(TFilter& audioCapture) {
  ReadTypes(audioCapture, audioTypes_, audioTypeNames_);
  const auto inputs = audioCapture.PinsOf(PinDir::Input);
  audioInputNames_.clear();
  for (TPin* pin : inputs) audioInputNames_ << pin->Name();
  auto* mixer = audioCapture.As<IAudioInputMixer>();
  int enabled = -1;
  for (int i = 0; mixer && i < int(inputs.size()); ++i) {
    bool on = false;
    if (mixer->get_Enable(i, on) && on) {
      enabled = i;
      break;
    }
  }
  int& index = stored_.AudioInputIndex;
  if (index < 0) {
    if (inputs.size() > 1 && enabled >= 0 && mixer) mixer->put_Enable(enabled, true);
    index = enabled;
  } else if (index != enabled) {
    if (index < int(inputs.size())) {
      if (mixer) mixer->put_Enable(index, true);
    } else {
      index = enabled;
    }
  }
  if (index < 0) index = 0;
}

bool TCaptureFormats::Apply(TFilter& videoCapture, QSize size) {
  auto* config = videoCapture.As<IStreamConfig>();
  if (!config || videoTypes_.empty()) return false;
  int index = -1;
  switch (pixelFormatMode_) {
    case 0: index = yuy2_; break;
    case 1: index = uyvy_; break;
    case 3: index = rgb24_; break;
    case 4: index = rgb32_; break;
    default: index = mediaTypeIndex_; break;
  }
  if (index < 0) {
    // The first offered of UYVY, YUY2, RGB24 (an index of 0 never qualifies), else index 0.
    const struct { int index, mode, choice; } order[] = {{uyvy_, 1, 0}, {yuy2_, 0, 1}, {rgb24_, 3, 2}};
    index = 0;
    pixelFormatMode_ = 0;
    stored_.PixelFormatChoice = 1;
    for (const auto& o : order) {
      if (o.index > 0) {
        index = o.index;
        pixelFormatMode_ = o.mode;
        stored_.PixelFormatChoice = o.choice;
        break;
      }
    }
  }
  if (index >= int(videoTypes_.size())) index = 0;
  mediaTypeIndex_ = index;
  TMediaType type = videoTypes_[size_t(index)];
  if (type.Major == MediaMajor::Video) {
    type.Width = size.width();
    type.Height = size.height();
  }
  return config->SetFormat(type);
}

void TCaptureFormats::SetPixelFormatChoice(int choice) {
  if (choice == 0 && uyvy_ < 0) choice = 1;
  if (choice == 2 && rgb24_ < 0) choice = 1;
  stored_.PixelFormatChoice = choice;
  pixelFormatMode_ = PixelFormatModeOf(choice);
}

QString TCaptureFormats::GrabberSubtype() const {
  return pixelFormatMode_ == 0 ? "YUY2" : pixelFormatMode_ == 1 ? "UYVY" : "RGB24";
}

}  // namespace pvx::engine

#include <gst/gst.h>

#include "platform/devices/virtual/VirtualDeviceFilters.h"
#include "platform/devices/virtual/VirtualSound.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {

constexpr const char* kPipeline =
    "audiotestsrc name=src is-live=true wave=pink-noise volume=0.05 samplesperbuffer=960 "
    "! capsfilter name=out";

}  // namespace

TVirtualAudioCapture::TVirtualAudioCapture(std::shared_ptr<TVirtualCard> card)
    : TVirtualDeviceFilter(card, CardPart::AudioCapture, 0, card->DeviceName("Audio Capture")) {
  for (const QString& line : Card().AudioInputNames())
    AddPin(line, PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_Line);
  TPin& capture = AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Audio);
  for (int i = 0; i < GetNumberOfCapabilities(); ++i) {
    TMediaType t;
    GetStreamCaps(i, t);
    capture.MediaTypes.push_back(t);
  }
  if (GstElement* bin = MakeBin(kPipeline, "virtual-audio-capture")) {
    SetElement(bin);
    Ghost(bin, "out", "src", "Capture");
    if (GstElement* src = Child("src")) sound_ = AnimateSound(src);
  }
  GetStreamCaps(0, format_);
  SetFormat(format_);
  CardChanged();
}

GstElement* TVirtualAudioCapture::Child(const char* name) const {
  if (!Element()) return nullptr;
  return ChildByName(Element(), name).get();  // the bin keeps it
}

int TVirtualAudioCapture::GetNumberOfCapabilities() const { return CapturePcmRateCount(); }

bool TVirtualAudioCapture::GetStreamCaps(int index, TMediaType& type) const { return CapturePcmType(index, type); }

bool TVirtualAudioCapture::GetFormat(TMediaType& type) const {
  type = format_;
  return true;
}

bool TVirtualAudioCapture::SetFormat(const TMediaType& type) {
  if (Graph() && Graph()->State() != GraphState::Stopped) return false;
  if (!AcceptsCapturePcm(type)) return false;
  format_ = type;
  if (GstElement* out = Child("out")) {
    GstCapsPtr caps(ToCaps(type));
    g_object_set(out, "caps", caps.get(), nullptr);
  }
  return true;
}

bool TVirtualAudioCapture::put_Enable(int inputPin, bool enable) {
  if (!enable) return inputPin >= 0 && inputPin < Card().AudioInputNames().size();
  return Card().EnableAudioInput(inputPin);
}

bool TVirtualAudioCapture::get_Enable(int inputPin, bool& enabled) const {
  if (inputPin < 0 || inputPin >= Card().AudioInputNames().size()) return false;
  enabled = Card().EnabledAudioInput() == inputPin;
  return true;
}

void TVirtualAudioCapture::AfterStop() {
  if (sound_) sound_->Rest();
}

void TVirtualAudioCapture::CardChanged() {
  if (GstElement* src = Child("src")) ApplySound(src, Card(), Card().Sound(), sound_.get());
}

}  // namespace pvx::platform::devices

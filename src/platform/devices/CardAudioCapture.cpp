#include "platform/devices/CardFilters.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

TCardAudioCapture::TCardAudioCapture(std::shared_ptr<ICaptureCard> card)
    : TCardFilter(std::move(card), CardPart::AudioCapture), source_(Card().MakeAudioSource()) {
  for (const QString& line : Card().AudioInputNames())
    AddPin(line, PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_Line);
  TPin& capture = AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Audio);
  for (int i = 0; i < GetNumberOfCapabilities(); ++i) {
    TMediaType t;
    GetStreamCaps(i, t);
    capture.MediaTypes.push_back(t);
  }
  if (source_) SetElement(source_->Bin());
  GetStreamCaps(0, format_);
  SetFormat(format_);
  CardChanged();
}

int TCardAudioCapture::GetNumberOfCapabilities() const { return CapturePcmRateCount(); }

bool TCardAudioCapture::GetStreamCaps(int index, TMediaType& type) const {
  return CapturePcmType(index, type);
}

bool TCardAudioCapture::GetFormat(TMediaType& type) const {
  type = format_;
  return true;
}

bool TCardAudioCapture::SetFormat(const TMediaType& type) {
  if (Graph() && Graph()->State() != GraphState::Stopped) return false;
  if (!AcceptsCapturePcm(type)) return false;
  format_ = type;
  if (source_) source_->Apply(format_);
  return true;
}

bool TCardAudioCapture::put_Enable(int inputPin, bool enable) {
  // Lines are exclusive: a line is disabled by enabling another.
  if (!enable) return inputPin >= 0 && inputPin < Card().AudioInputNames().size();
  return Card().EnableAudioInput(inputPin);
}

bool TCardAudioCapture::get_Enable(int inputPin, bool& enabled) const {
  if (inputPin < 0 || inputPin >= Card().AudioInputNames().size()) return false;
  enabled = Card().EnabledAudioInput() == inputPin;
  return true;
}

void TCardAudioCapture::CardChanged() {
  if (source_) source_->Follow();
}

void TCardAudioCapture::AfterStop() {
  if (source_) source_->Rest();
}

}  // namespace pvx::platform::devices

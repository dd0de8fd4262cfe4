#include <gst/gst.h>

#include "platform/devices/CardFilters.h"
#include "platform/graph/FaultPlan.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {

bool IsProcAmpProperty(int property) { return property >= 0 && property <= VideoProcAmp_Sharpness; }

}  // namespace

std::vector<TMediaType> RawVideoTypes(const std::vector<QSize>& sizes, bool ntscLike) {
  std::vector<TMediaType> types;
  for (const QSize& size : sizes) {
    for (const char* subtype : {"YUY2", "UYVY", "RGB24"}) {
      TMediaType t;
      t.Subtype = QString::fromLatin1(subtype);
      t.Width = size.width();
      t.Height = size.height();
      t.AvgTimePerFrame = ntscLike ? 333667 : 400000;
      types.push_back(t);
    }
  }
  return types;
}

TCardVideoCapture::TCardVideoCapture(std::shared_ptr<ICaptureCard> card)
    : TCardFilter(std::move(card), CardPart::Capture), source_(Card().MakeVideoSource()) {
  AddPin("Analog Video In", PinDir::Input, PinCategory::AnalogVideoIn, MediaMajor::AnalogVideo,
         PhysConn_Video_VideoDecoder);
  TPin& capture = AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Video);
  if (Card().HasPreviewPin())
    AddPin("Preview", PinDir::Output, PinCategory::Preview, MediaMajor::Video);
  hasProcAmp_ = Card().HasProcAmp();
  capture.MediaTypes = Card().CaptureTypes();
  SetElement(source_->Bin());
  if (!capture.MediaTypes.empty()) format_ = capture.MediaTypes.front();
  source_->Apply(format_);
  CardChanged();
}

int TCardVideoCapture::GetNumberOfCapabilities() const { return int(Card().CaptureTypes().size()); }

bool TCardVideoCapture::GetStreamCaps(int index, TMediaType& type) const {
  const auto types = Card().CaptureTypes();
  if (index < 0 || index >= int(types.size())) return false;
  type = types[size_t(index)];
  return true;
}

bool TCardVideoCapture::GetFormat(TMediaType& type) const {
  type = format_;
  return true;
}

bool TCardVideoCapture::SetFormat(const TMediaType& type) {
  if ((Graph() && Graph()->State() != GraphState::Stopped) || Refused("SetFormat")) return false;
  if (type.Major != MediaMajor::Video || !GstVideoFormatOf(type.Subtype)) return false;
  if (type.Width < 16 || type.Height < 16 || type.Width > 1920 || type.Height > 1088) return false;
  if (!Card().CanCapture(type)) return false;
  format_ = type;
  source_->Apply(format_);
  return true;
}

void TCardVideoCapture::CardChanged() {
  if (!Card().IsGone()) {
    source_->Follow();  // property changes take effect from the next frame
    return;
  }
  // As a driver does once its device is gone: the running source fails with an error.
  const GstPtr<GstElement> src = Element() ? ChildByName(Element(), "src") : nullptr;
  if (src && Graph() && Graph()->State() != GraphState::Stopped)
    GST_ELEMENT_ERROR(src.get(), RESOURCE, NOT_FOUND,
                      ("The capture device %s is gone.", Card().Location().toUtf8().constData()),
                      (nullptr));
}

bool TCardVideoCapture::Answers(const std::type_info& interfaceType) const {
  if (interfaceType == typeid(IVideoProcAmp)) return hasProcAmp_;
  if (interfaceType == typeid(IAnalogVideoDecoder)) return Card().AvailableStandards() != 0;
  return true;
}

bool TCardVideoCapture::GetRange(int property, int& min, int& max, int& step, int& defaultValue,
                                 int& flags) const {
  TProcAmpRange range;
  if (!IsProcAmpProperty(property) || !Card().ReadProcAmpRange(property, range)) return false;
  min = range.Min;
  max = range.Max;
  step = range.Step;
  defaultValue = range.Default;
  flags = kVideoProcAmpFlagsManual;
  return true;
}

bool TCardVideoCapture::Get(int property, int& value, int& flags) const {
  if (!IsProcAmpProperty(property)) return false;
  flags = kVideoProcAmpFlagsManual;
  return Card().ReadProcAmp(property, value);
}

bool TCardVideoCapture::Set(int property, int value, int) {
  TProcAmpRange range;
  if (!IsProcAmpProperty(property) || !Card().ReadProcAmpRange(property, range)) return false;
  return value >= range.Min && value <= range.Max && Card().SetProcAmp(property, value);
}

bool TCardVideoCapture::get_HorizontalLocked(bool& locked) const {
  return Card().ReadHorizontalLock(locked);
}

bool TCardVideoCapture::get_AvailableTVFormats(int& formats) const {
  formats = Card().AvailableStandards();
  return true;
}

bool TCardVideoCapture::put_TVFormat(int format) {
  if (!Card().SetStandard(format)) return false;
  // The sizes offered follow the standard; the format keeps its own.
  if (TPin* capture = FindPin("Capture")) capture->MediaTypes = Card().CaptureTypes();
  source_->Apply(format_);
  return true;
}

bool TCardVideoCapture::get_TVFormat(int& format) const { return Card().ReadStandard(format); }

}  // namespace pvx::platform::devices

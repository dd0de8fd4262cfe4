#include <gst/gst.h>

#include <cstdlib>

#include "platform/devices/virtual/VirtualDeviceFilters.h"
#include "platform/devices/virtual/VirtualPicture.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {

// The picture is drawn in one format and converted at the end to what the capture pin offers.
constexpr const char* kPipeline =
    "videotestsrc name=src is-live=true pattern=snow ! capsfilter name=raw "
    "! textoverlay name=title valignment=top halignment=left font-desc=\"Sans Bold 18\" "
    "shaded-background=true ! textoverlay name=ticker valignment=bottom halignment=left wrap-mode=none "
    "font-desc=\"Sans 14\" shaded-background=true ! clockoverlay name=clock valignment=top "
    "halignment=right time-format=\"%H:%M:%S\" font-desc=\"Sans 14\" ! videobalance name=balance "
    "! videoconvert name=convert ! capsfilter name=out";

const char* const kSubtypes[] = {"YUY2", "UYVY", "RGB24"};

struct InputLook {
  const char* pattern;
  const char* title;
  int pan;
  bool zone;
};

InputLook LookOf(SourceKind kind) {
  switch (kind) {
    case SourceKind::Composite: return {"ball", "Composite", 0, false};
    case SourceKind::SVideo: return {"smpte75", "S-Video", 3, false};
    case SourceKind::Camera: return {"zone-plate", "Camera", 0, true};
    default: return {"snow", "", 0, false};
  }
}

// Clean within one PLL step of the carrier, then noisier up to the edge of the lock window.
int NoiseOf(int pllOffset) {
  const int steps = std::abs(pllOffset);
  const int window = int(kCaptureRange / kPllStep);
  return steps == 0 ? 0 : qMin(100, 10 + steps * 90 / window);
}

double Scaled(int value, int property) {
  const TProcAmpRange r = TVirtualCard::ProcAmpRange(property);
  return double(value - r.Default) / double(r.Max - r.Default + 1);
}

}  // namespace

TVirtualVideoCapture::TVirtualVideoCapture(std::shared_ptr<TVirtualCard> card)
    : TVirtualDeviceFilter(card, CardPart::Capture, 0, card->DeviceName("Video Capture")) {
  AddPin("Analog Video In", PinDir::Input, PinCategory::AnalogVideoIn, MediaMajor::AnalogVideo,
         PhysConn_Video_VideoDecoder);
  TPin& capture = AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Video);
  if (Card().Config().HasPreviewPin)
    AddPin("Preview", PinDir::Output, PinCategory::Preview, MediaMajor::Video);
  for (int i = 0; i < GetNumberOfCapabilities(); ++i) {
    TMediaType t;
    GetStreamCaps(i, t);
    capture.MediaTypes.push_back(t);
  }
  GstElement* bin = MakeBin(kPipeline, "virtual-capture");
  if (bin) {
    SetElement(bin);
    Ghost(bin, "out", "src", "Capture");
    if (Card().Config().HasPreviewPin) {
      // The preview pin shows the same picture, through a tee inside the device.
      GstElement* tee = MakeElement("tee", "pvtee");
      GstElement* queue = MakeElement("queue", "pvqueue");
      const GstPtr<GstElement> out = ChildByName(bin, "out");
      gst_bin_add_many(GST_BIN(bin), tee, queue, nullptr);
      g_object_set(tee, "allow-not-linked", TRUE, nullptr);
      g_object_set(queue, "leaky", 2, "max-size-buffers", 2, nullptr);
      // Re-point the capture pin at the tee and give the preview its own branch.
      const GstPtr<GstPad> ghost = StaticPad(bin, "Capture");
      gst_ghost_pad_set_target(GST_GHOST_PAD(ghost.get()), nullptr);
      gst_element_link(out.get(), tee);
      GstElement* captureQueue = MakeElement("queue", "capqueue");
      gst_bin_add(GST_BIN(bin), captureQueue);
      gst_element_link(tee, captureQueue);
      gst_element_link(tee, queue);
      gst_ghost_pad_set_target(GST_GHOST_PAD(ghost.get()), StaticPad(captureQueue, "src").get());
      Ghost(bin, "pvqueue", "src", "Preview");
    }
  }
  GstElement* src = Child("src");
  GstElement* ticker = Child("ticker");
  if (src && ticker) animator_ = TPictureAnimator::Attach(src, ticker);
  GetStreamCaps(0, format_);
  ApplyFormat();
  CardChanged();
}

GstElement* TVirtualVideoCapture::Child(const char* name) const {
  if (!Element()) return nullptr;
  return ChildByName(Element(), name).get();  // the bin keeps it
}

int TVirtualVideoCapture::GetNumberOfCapabilities() const { return 3; }

bool TVirtualVideoCapture::GetStreamCaps(int index, TMediaType& type) const {
  if (index < 0 || index >= GetNumberOfCapabilities()) return false;
  type = TMediaType{};
  type.Major = MediaMajor::Video;
  type.Subtype = QString::fromLatin1(kSubtypes[index]);
  type.Width = 640;
  type.Height = Card().IsNtscLike() ? 480 : 576;
  type.AvgTimePerFrame = Card().IsNtscLike() ? 333667 : 400000;
  return true;
}

bool TVirtualVideoCapture::GetFormat(TMediaType& type) const {
  type = format_;
  return true;
}

bool TVirtualVideoCapture::SetFormat(const TMediaType& type) {
  if (Graph() && Graph()->State() != GraphState::Stopped) return false;
  if (type.Major != MediaMajor::Video || !GstVideoFormatOf(type.Subtype)) return false;
  if (type.Width < 16 || type.Height < 16 || type.Width > 1920 || type.Height > 1088) return false;
  if (Card().Config().RefusedSizes.contains(QSize(type.Width, type.Height))) return false;
  format_ = type;
  ApplyFormat();
  return true;
}

void TVirtualVideoCapture::ApplyFormat() {
  // The frame rate follows the decoder's standard unless the caller asks for one.
  TMediaType drawn = format_;
  drawn.Subtype = "I420";
  if (drawn.AvgTimePerFrame <= 0)
    drawn.AvgTimePerFrame = Card().IsNtscLike() ? 333667 : 400000;
  TMediaType out = format_;
  out.AvgTimePerFrame = drawn.AvgTimePerFrame;
  if (GstElement* raw = Child("raw")) {
    GstCapsPtr caps(ToCaps(drawn));
    g_object_set(raw, "caps", caps.get(), nullptr);
  }
  if (GstElement* outCaps = Child("out")) {
    GstCapsPtr caps(ToCaps(out));
    g_object_set(outCaps, "caps", caps.get(), nullptr);
  }
  // The caption sits low in the band that scrolls it, whatever the height.
  if (GstElement* ticker = Child("ticker")) g_object_set(ticker, "ypad", qMax(1, drawn.Height / 40), nullptr);
}

void TVirtualVideoCapture::CardChanged() {
  if (Card().Unplugged()) {
    // As a real driver does once its device is gone: the source fails with an error.
    GstElement* src = Child("src");
    if (src && Graph() && Graph()->State() != GraphState::Stopped)
      GST_ELEMENT_ERROR(src, RESOURCE, NOT_FOUND,
                        ("The capture device %s is gone.", Card().DeviceName("Video Capture").toUtf8().constData()),
                        (nullptr));
    return;
  }
  // Property changes take effect from the next frame.
  GstElement* title = Child("title");
  GstElement* clock = Child("clock");
  GstElement* balance = Child("balance");
  if (!animator_ || !title || !clock || !balance) return;
  const TReception picture = Card().Picture();
  TPictureLook look;
  look.Box = picture.Kind != SourceKind::Snow;
  if (picture.Kind == SourceKind::Station) {
    const TVirtualStation& station = *picture.Station;
    look.Pattern = station.Pattern.toUtf8();
    look.Zone = station.HeavyMotion && station.Pattern.startsWith("zone-plate");
    // Heavy motion on any other pattern: a fast pan.
    look.Pan = station.Pan ? station.Pan : station.HeavyMotion && !look.Zone ? 8 : 0;
    look.Ticker = station.Ticker.toUtf8();
    look.Noise = NoiseOf(Card().PllOffset());
    look.FilePath = station.FilePath.toUtf8();
    look.FileName = station.FileName.toUtf8();
    g_object_set(title, "text", station.Name.toUtf8().constData(), "silent", FALSE, nullptr);
    g_object_set(clock, "silent", FALSE, nullptr);
  } else {
    const InputLook input = LookOf(picture.Kind);
    look.Pattern = input.pattern;
    look.Pan = input.pan;
    look.Zone = input.zone;
    g_object_set(title, "text", input.title, "silent", *input.title ? FALSE : TRUE, nullptr);
    g_object_set(clock, "silent", picture.Kind == SourceKind::Snow ? TRUE : FALSE, nullptr);
  }
  animator_->SetLook(look);
  const TVirtualCard& card = Card();
  g_object_set(balance, "brightness", Scaled(card.ProcAmp(VideoProcAmp_Brightness), 0), "contrast",
               1.0 + Scaled(card.ProcAmp(VideoProcAmp_Contrast), 1), "hue",
               Scaled(card.ProcAmp(VideoProcAmp_Hue), 2), "saturation",
               1.0 + Scaled(card.ProcAmp(VideoProcAmp_Saturation), 3), nullptr);
}

void TVirtualVideoCapture::AfterStop() {
  if (animator_) animator_->Rest();
}

QByteArray TVirtualVideoCapture::Caption() const {
  return animator_ ? animator_->Caption() : QByteArray();
}

bool TVirtualVideoCapture::Answers(const std::type_info& interfaceType) const {
  return interfaceType != typeid(IVideoProcAmp) || Card().Config().HasProcAmp;
}

bool TVirtualVideoCapture::GetRange(int property, int& min, int& max, int& step,
                                    int& defaultValue, int& flags) const {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  const TProcAmpRange r = TVirtualCard::ProcAmpRange(property);
  min = r.Min;
  max = r.Max;
  step = r.Step;
  defaultValue = r.Default;
  flags = kVideoProcAmpFlagsManual;
  return true;
}

bool TVirtualVideoCapture::Get(int property, int& value, int& flags) const {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  value = Card().ProcAmp(property);
  flags = kVideoProcAmpFlagsManual;
  return true;
}

bool TVirtualVideoCapture::Set(int property, int value, int) {
  return Card().SetProcAmp(property, value);
}

bool TVirtualVideoCapture::get_HorizontalLocked(bool& locked) const {
  locked = Card().HorizontalLocked();
  return true;
}

bool TVirtualVideoCapture::get_AvailableTVFormats(int& formats) const {
  formats = Card().AvailableStandards();
  return true;
}

bool TVirtualVideoCapture::put_TVFormat(int format) {
  if (!Card().SetStandard(format)) return false;
  ApplyFormat();
  return true;
}

bool TVirtualVideoCapture::get_TVFormat(int& format) const {
  format = Card().Standard();
  return true;
}

}  // namespace pvx::platform::devices

#include <gst/gst.h>
#include <linux/videodev2.h>

#include "platform/devices/v4l2/V4L2DeviceFilters.h"
#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices::v4l2 {

using namespace pvx::platform::graph;

namespace {

// The device's frames are converted and scaled to what the capture pin was set to; MJPEG
// frames are decoded first.
constexpr const char* kTail =
    " name=src ! capsfilter name=devcaps  videoconvert name=convert ! videoscale name=scale "
    "! capsfilter name=out";

const char* const kSubtypes[] = {"YUY2", "UYVY", "RGB24"};

constexpr quint32 kControls[] = {V4L2_CID_BRIGHTNESS, V4L2_CID_CONTRAST, V4L2_CID_HUE,
                                 V4L2_CID_SATURATION, V4L2_CID_SHARPNESS};

// Links two children pad to pad, dropping what either was linked to; the caps are settled
// when the stream starts.
void Relink(GstElement* from, GstElement* to) {
  const GstPtr<GstPad> src = StaticPad(from, "src");
  const GstPtr<GstPad> sink = StaticPad(to, "sink");
  for (GstPad* pad : {src.get(), sink.get()}) {
    if (GstPad* peer = gst_pad_get_peer(pad)) {
      GST_PAD_IS_SRC(pad) ? gst_pad_unlink(pad, peer) : gst_pad_unlink(peer, pad);
      gst_object_unref(peer);
    }
  }
  gst_pad_link_full(src.get(), sink.get(), GST_PAD_LINK_CHECK_NOTHING);
}

bool ListsSize(const TV4L2Format& f, const QSize& size) {
  return f.Sizes.empty() || std::find(f.Sizes.begin(), f.Sizes.end(), size) != f.Sizes.end();
}

// The device format to read for a requested type: the same raw format, any raw format, then
// MJPEG, each at that size if it has it.
const TV4L2Format* DeviceFormat(const std::vector<TV4L2Format>& formats, const TMediaType& type) {
  const QSize size(type.Width, type.Height);
  const TV4L2Format* fallback = formats.empty() ? nullptr : &formats.front();
  for (int pass = 0; pass < 3; ++pass) {
    for (const TV4L2Format& f : formats) {
      const bool raw = f.Subtype != "MJPEG";
      const bool fits = pass == 0 ? raw && f.Subtype == type.Subtype : pass == 1 ? raw : !raw;
      if (fits && ListsSize(f, size)) return &f;
    }
  }
  return fallback;
}

}  // namespace

TV4L2VideoCapture::TV4L2VideoCapture(std::shared_ptr<TV4L2Card> card)
    : TV4L2DeviceFilter(card, V4L2Part::Capture) {
  AddPin("Analog Video In", PinDir::Input, PinCategory::AnalogVideoIn, MediaMajor::AnalogVideo,
         PhysConn_Video_VideoDecoder);
  TPin& capture = AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Video);
  quint64 std = 0;
  if (Card().StdMask() && Card().GetStd(std)) standard_ = StandardOf(std);
  for (quint32 id : kControls) hasProcAmp_ = hasProcAmp_ || Card().Control(id).has_value();
  capture.MediaTypes = Types();
  const QString source = Card().SourceDescription.isEmpty()
                             ? QStringLiteral("v4l2src device=\"%1\"").arg(Card().Path())
                             : Card().SourceDescription;
  if (GstElement* bin = MakeBin((source + kTail).toUtf8().constData(), "v4l2-capture")) {
    SetElement(bin);
    Ghost(bin, "out", "src", "Capture");
  }
  if (!capture.MediaTypes.empty()) format_ = capture.MediaTypes.front();
  ApplyFormat();
}

GstElement* TV4L2VideoCapture::Child(const char* name) const {
  if (!Element()) return nullptr;
  return ChildByName(Element(), name).get();  // the bin keeps it
}

qint64 TV4L2VideoCapture::FrameDuration() const {
  return standard_ && !IsNtscLike(standard_) ? 400000 : 333667;
}

std::vector<TMediaType> TV4L2VideoCapture::Types() const {
  std::vector<QSize> sizes;
  for (const TV4L2Format& f : Card().Formats())
    for (const QSize& s : f.Sizes)
      if (std::find(sizes.begin(), sizes.end(), s) == sizes.end()) sizes.push_back(s);
  if (sizes.empty()) {
    // A decoder that scales: the sizes the engine captures at.
    if (standard_ && !IsNtscLike(standard_)) sizes = {{640, 576}, {720, 576}, {352, 288}, {640, 480}};
    else sizes = {{640, 480}, {320, 240}};
  }
  std::vector<TMediaType> types;
  if (Card().Formats().empty()) return types;
  for (const QSize& s : sizes) {
    for (const char* subtype : kSubtypes) {
      TMediaType t;
      t.Major = MediaMajor::Video;
      t.Subtype = QString::fromLatin1(subtype);
      t.Width = s.width();
      t.Height = s.height();
      t.AvgTimePerFrame = FrameDuration();
      types.push_back(t);
    }
  }
  return types;
}

int TV4L2VideoCapture::GetNumberOfCapabilities() const { return int(Types().size()); }

bool TV4L2VideoCapture::GetStreamCaps(int index, TMediaType& type) const {
  const auto types = Types();
  if (index < 0 || index >= int(types.size())) return false;
  type = types[size_t(index)];
  return true;
}

bool TV4L2VideoCapture::GetFormat(TMediaType& type) const {
  type = format_;
  return true;
}

bool TV4L2VideoCapture::SetFormat(const TMediaType& type) {
  if (Graph() && Graph()->State() != GraphState::Stopped) return false;
  if (type.Major != MediaMajor::Video || !GstVideoFormatOf(type.Subtype)) return false;
  if (type.Width < 16 || type.Height < 16 || type.Width > 1920 || type.Height > 1088) return false;
  if (Card().IsGone() || Card().Formats().empty()) return false;
  format_ = type;
  ApplyFormat();
  return true;
}

void TV4L2VideoCapture::ApplyFormat() {
  GstElement* devcaps = Child("devcaps");
  GstElement* convert = Child("convert");
  const TV4L2Format* device = DeviceFormat(Card().Formats(), format_);
  if (!devcaps || !convert || !device) return;
  const bool jpeg = device->Subtype == "MJPEG";
  GstCaps* caps = jpeg ? gst_caps_new_empty_simple("image/jpeg")
                       : gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                             GstVideoFormatOf(device->Subtype), nullptr);
  if (!device->Sizes.empty() && ListsSize(*device, QSize(format_.Width, format_.Height)))
    gst_caps_set_simple(caps, "width", G_TYPE_INT, format_.Width, "height", G_TYPE_INT, format_.Height, nullptr);
  g_object_set(devcaps, "caps", caps, nullptr);
  gst_caps_unref(caps);
  // The decoder sits between the device's caps and the converter only while MJPEG is read.
  GstElement* decoder = Child("jpegdec");
  if (jpeg && !decoder && (decoder = MakeElement("jpegdec", "jpegdec"))) gst_bin_add(GST_BIN(Element()), decoder);
  if (!jpeg && decoder) {
    gst_element_set_state(decoder, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(Element()), decoder);
    decoder = nullptr;
  }
  Relink(devcaps, decoder ? decoder : convert);
  if (decoder) Relink(decoder, convert);
  TMediaType out = format_;
  out.AvgTimePerFrame = 0;  // the device keeps its own rate
  if (GstElement* outCaps = Child("out")) {
    GstCapsPtr c(ToCaps(out));
    g_object_set(outCaps, "caps", c.get(), nullptr);
  }
}

bool TV4L2VideoCapture::BeforeRun() {
  // A node unplugged while stopped is found before the pipeline tries to read it.
  quint32 input = 0;
  return !Card().IsGone() && (Card().Inputs().empty() || Card().GetInput(input));
}

void TV4L2VideoCapture::CardGone() {
  // The graph reports this as its error; v4l2src would too, but only once it reads.
  if (GstElement* src = Child("src"))
    GST_ELEMENT_ERROR(src, RESOURCE, NOT_FOUND, ("The capture device %s is gone.", Card().Path().toUtf8().constData()),
                      (nullptr));
}

bool TV4L2VideoCapture::Answers(const std::type_info& interfaceType) const {
  if (interfaceType == typeid(IVideoProcAmp)) return hasProcAmp_;
  if (interfaceType == typeid(IAnalogVideoDecoder)) return Card().StdMask() != 0;
  return true;
}

bool TV4L2VideoCapture::GetRange(int property, int& min, int& max, int& step, int& defaultValue,
                                 int& flags) const {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  const auto range = Card().Control(kControls[property]);
  if (!range) return false;
  min = range->Min;
  max = range->Max;
  step = range->Step;
  defaultValue = range->Default;
  flags = kVideoProcAmpFlagsManual;
  return true;
}

bool TV4L2VideoCapture::Get(int property, int& value, int& flags) const {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  flags = kVideoProcAmpFlagsManual;
  return Card().GetControl(kControls[property], value);
}

bool TV4L2VideoCapture::Set(int property, int value, int) {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  const auto range = Card().Control(kControls[property]);
  if (!range || value < range->Min || value > range->Max) return false;
  return Card().SetControl(kControls[property], value);
}

bool TV4L2VideoCapture::get_HorizontalLocked(bool& locked) const {
  quint32 input = 0, status = 0;
  if (!Card().GetInput(input) || !Card().InputStatus(input, status)) return false;
  locked = !(status & (V4L2_IN_ST_NO_H_LOCK | V4L2_IN_ST_NO_SIGNAL));
  // On the tuner the tuner's own signal reading counts as well.
  const auto& inputs = Card().Inputs();
  const bool tuner = std::any_of(inputs.begin(), inputs.end(), [&](const TV4L2Input& in) {
    return in.Index == input && in.PhysicalType == PhysConn_Video_Tuner;
  });
  TTunerReading reading;
  if (locked && tuner && Card().ReadTuner(false, reading)) locked = reading.Signal > 0;
  return true;
}

bool TV4L2VideoCapture::get_AvailableTVFormats(int& formats) const {
  formats = StandardsOf(Card().StdMask());
  return true;
}

bool TV4L2VideoCapture::put_TVFormat(int format) {
  const quint64 id = V4L2StdOf(format) & Card().StdMask();
  if ((format & (format - 1)) || !id || !Card().SetStd(id)) return false;
  standard_ = format;
  format_.AvgTimePerFrame = FrameDuration();
  if (TPin* capture = FindPin("Capture")) capture->MediaTypes = Types();
  ApplyFormat();
  return true;
}

bool TV4L2VideoCapture::get_TVFormat(int& format) const {
  quint64 id = 0;
  if (!Card().GetStd(id)) return false;
  format = StandardOf(id);
  return true;
}

}  // namespace pvx::platform::devices::v4l2

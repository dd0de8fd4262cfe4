#include "platform/devices/v4l2/V4L2VideoSource.h"

#include <gst/gst.h>

#include <algorithm>

#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"

namespace pvx::platform::devices::v4l2 {

using namespace pvx::platform::graph;

namespace {

// The device's frames are converted and scaled to what the capture pin was set to; MJPEG
// frames are decoded first.
constexpr const char* kTail =
    " name=src ! capsfilter name=devcaps  videoconvert name=convert ! videoscale name=scale "
    "! capsfilter name=out";

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

TV4L2VideoSource::TV4L2VideoSource(const QString& source, std::vector<TV4L2Format> formats)
    : formats_(std::move(formats)) {
  GstElement* bin = MakeBin((source + kTail).toUtf8().constData(), "v4l2-capture");
  if (!bin) return;
  bin_ = Adopt(GST_ELEMENT(gst_object_ref_sink(bin)));
  Ghost(bin, "out", "src", "Capture");
}

GstElement* TV4L2VideoSource::Child(const char* name) const {
  if (!bin_) return nullptr;
  return ChildByName(bin_.get(), name).get();  // the bin keeps it
}

void TV4L2VideoSource::Apply(const TMediaType& format) {
  GstElement* devcaps = Child("devcaps");
  GstElement* convert = Child("convert");
  const TV4L2Format* device = DeviceFormat(formats_, format);
  if (!devcaps || !convert || !device) return;
  const bool jpeg = device->Subtype == "MJPEG";
  GstCaps* caps = jpeg ? gst_caps_new_empty_simple("image/jpeg")
                       : gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                             GstVideoFormatOf(device->Subtype), nullptr);
  if (!device->Sizes.empty() && ListsSize(*device, QSize(format.Width, format.Height)))
    gst_caps_set_simple(caps, "width", G_TYPE_INT, format.Width, "height", G_TYPE_INT, format.Height,
                        nullptr);
  g_object_set(devcaps, "caps", caps, nullptr);
  gst_caps_unref(caps);
  // The decoder sits between the device's caps and the converter only while MJPEG is read.
  GstElement* decoder = Child("jpegdec");
  if (jpeg && !decoder && (decoder = MakeElement("jpegdec", "jpegdec")))
    gst_bin_add(GST_BIN(bin_.get()), decoder);
  if (!jpeg && decoder) {
    gst_element_set_state(decoder, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(bin_.get()), decoder);
    decoder = nullptr;
  }
  Relink(devcaps, decoder ? decoder : convert);
  if (decoder) Relink(decoder, convert);
  TMediaType out = format;
  out.AvgTimePerFrame = 0;  // the device keeps its own rate
  if (GstElement* outCaps = Child("out")) {
    GstCapsPtr c(ToCaps(out));
    g_object_set(outCaps, "caps", c.get(), nullptr);
  }
}

}  // namespace pvx::platform::devices::v4l2

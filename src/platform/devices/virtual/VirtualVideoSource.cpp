#include "platform/devices/virtual/VirtualVideoSource.h"

#include <gst/gst.h>

#include <cstdlib>

#include "platform/devices/virtual/TVirtualCard.h"
#include "platform/devices/virtual/VirtualPicture.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"

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

TVirtualVideoSource::TVirtualVideoSource(const TVirtualCard& card) : card_(card) {
  GstElement* bin = MakeBin(kPipeline, "virtual-capture");
  if (!bin) return;
  bin_ = Adopt(GST_ELEMENT(gst_object_ref_sink(bin)));
  Ghost(bin, "out", "src", "Capture");
  if (card_.HasPreviewPin()) AddPreviewBranch();
  GstElement* src = Child("src");
  GstElement* ticker = Child("ticker");
  if (src && ticker) animator_ = TPictureAnimator::Attach(src, ticker);
}

void TVirtualVideoSource::AddPreviewBranch() {
  // The preview pin shows the same picture, through a tee inside the device.
  GstElement* tee = MakeElement("tee", "pvtee");
  GstElement* queue = MakeElement("queue", "pvqueue");
  const GstPtr<GstElement> out = ChildByName(bin_.get(), "out");
  gst_bin_add_many(GST_BIN(bin_.get()), tee, queue, nullptr);
  g_object_set(tee, "allow-not-linked", TRUE, nullptr);
  g_object_set(queue, "leaky", 2, "max-size-buffers", 2, nullptr);
  // Re-point the capture pin at the tee and give the preview its own branch.
  const GstPtr<GstPad> ghost = StaticPad(bin_.get(), "Capture");
  gst_ghost_pad_set_target(GST_GHOST_PAD(ghost.get()), nullptr);
  gst_element_link(out.get(), tee);
  GstElement* captureQueue = MakeElement("queue", "capqueue");
  gst_bin_add(GST_BIN(bin_.get()), captureQueue);
  gst_element_link(tee, captureQueue);
  gst_element_link(tee, queue);
  gst_ghost_pad_set_target(GST_GHOST_PAD(ghost.get()), StaticPad(captureQueue, "src").get());
  Ghost(bin_.get(), "pvqueue", "src", "Preview");
}

GstElement* TVirtualVideoSource::Child(const char* name) const {
  if (!bin_) return nullptr;
  return ChildByName(bin_.get(), name).get();  // the bin keeps it
}

void TVirtualVideoSource::Apply(const TMediaType& format) {
  // The frame rate follows the decoder's standard unless the caller asks for one.
  TMediaType drawn = format;
  drawn.Subtype = "I420";
  if (drawn.AvgTimePerFrame <= 0) drawn.AvgTimePerFrame = card_.IsNtscLike() ? 333667 : 400000;
  TMediaType out = format;
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
  if (GstElement* ticker = Child("ticker"))
    g_object_set(ticker, "ypad", qMax(1, drawn.Height / 40), nullptr);
}

void TVirtualVideoSource::Follow() {
  GstElement* title = Child("title");
  GstElement* clock = Child("clock");
  GstElement* balance = Child("balance");
  if (!animator_ || !title || !clock || !balance) return;
  const TReception picture = card_.Picture();
  TPictureLook look;
  look.Box = picture.Kind != SourceKind::Snow;
  if (picture.Kind == SourceKind::Station) {
    const TVirtualStation& station = *picture.Station;
    look.Pattern = station.Pattern.toUtf8();
    look.Zone = station.HeavyMotion && station.Pattern.startsWith("zone-plate");
    // Heavy motion on any other pattern: a fast pan.
    look.Pan = station.Pan ? station.Pan : station.HeavyMotion && !look.Zone ? 8 : 0;
    look.Interlaced = station.Interlaced;
    look.Ticker = station.Ticker.toUtf8();
    look.Noise = NoiseOf(card_.PllOffset());
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
  g_object_set(balance, "brightness", Scaled(card_.ProcAmp(VideoProcAmp_Brightness), 0), "contrast",
               1.0 + Scaled(card_.ProcAmp(VideoProcAmp_Contrast), 1), "hue",
               Scaled(card_.ProcAmp(VideoProcAmp_Hue), 2), "saturation",
               1.0 + Scaled(card_.ProcAmp(VideoProcAmp_Saturation), 3), nullptr);
}

void TVirtualVideoSource::Rest() {
  if (animator_) animator_->Rest();
}

}  // namespace pvx::platform::devices

#include "platform/devices/virtual/VirtualPicture.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/devices/virtual/VirtualFilePlayer.h"
#include "platform/graph/GstPtr.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {

constexpr int kNoiseSpan = 1 << 16;  // random row starts within a table this long
constexpr int kMaxRow = 1920;
constexpr int kBandTop = 86;  // % of the height where the caption's band starts

// A triangle wave: 0 .. range .. 0 over `period` frames.
int Bounce(quint64 frame, int period, int range) {
  const int phase = int(frame % quint64(period));
  const int half = period / 2;
  return (phase < half ? phase : period - phase) * range / half;
}

// Maps the probe's buffer for drawing, made writable first when it is shared.
bool MapForDrawing(GstPad* pad, GstPadProbeInfo* info, GstVideoFrame& frame) {
  GstCapsPtr caps(gst_pad_get_current_caps(pad));
  GstVideoInfo format;
  if (!caps || !gst_video_info_from_caps(&format, caps.get())) return false;
  GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
  GST_PAD_PROBE_INFO_DATA(info) = buffer;
  return gst_video_frame_map(&frame, &format, buffer, GST_MAP_READWRITE);
}

// Where an interlaced zone's centre stands at a field's time, two fields a frame: over the
// middle of the picture, so that its coarse rings stay in sight.
std::pair<int, int> ZoneCentre(quint64 field, int width, int height) {
  const double t = double(field);
  return {int(std::lround(width * 0.375 * std::sin(t / 90))),
          int(std::lround(height * 0.375 * std::cos(t / 120)))};
}

int Sign(int v) { return (v > 0) - (v < 0); }

quint32 NextRandom(quint32& seed) {
  seed ^= seed << 13;
  seed ^= seed >> 17;
  seed ^= seed << 5;
  return seed;
}

}  // namespace

TPictureAnimator::TPictureAnimator(GstElement* source, GstElement* ticker)
    : source_(source), ticker_(ticker) {}

TPictureAnimator::~TPictureAnimator() = default;

void TPictureAnimator::SetLook(const TPictureLook& look) {
  // Streaming starts and stops only from the UI thread, so the answer holds while we set.
  const GstPtr<GstPad> pad = StaticPad(source_, "src");
  GST_OBJECT_LOCK(pad.get());
  GstTask* task = GST_PAD_TASK(pad.get());
  const bool streaming = task && gst_task_get_state(task) == GST_TASK_STARTED;
  GST_OBJECT_UNLOCK(pad.get());
  std::lock_guard lock(mutex_);
  look_ = look;
  pending_ = streaming;
  if (!streaming) ApplyPattern(look);
}

QByteArray TPictureAnimator::Caption() const {
  std::lock_guard lock(mutex_);
  return caption_;
}

void TPictureAnimator::ApplyPattern(const TPictureLook& look) {
  // videotestsrc does not guard its cached picture against a pattern change while it draws,
  // so while it streams this runs in its thread between two frames.
  gst_util_set_object_arg(G_OBJECT(source_), "pattern", look.Pattern.constData());
  g_object_set(source_, "horizontal-speed", look.Pan, nullptr);
  if (look.Zone)
    g_object_set(source_, "kx2", 24, "ky2", 24, "kt", 3, "kt2", 0, "kxt", 0, "kyt", 0, "xoffset", 0,
                 "yoffset", 0, nullptr);
}

int TPictureAnimator::OnFrame(GstPad* pad, GstPadProbeInfo* info, void* self) {
  auto& a = *static_cast<TPictureAnimator*>(self);
  TPictureLook look;
  bool apply = false;
  {
    std::lock_guard lock(a.mutex_);
    look = a.look_;
    apply = a.pending_;
    a.pending_ = false;
  }
  if (apply) a.ApplyPattern(look);
  a.Animate(pad, info, look);
  ++a.frame_;
  return GST_PAD_PROBE_OK;
}

std::shared_ptr<TPictureAnimator> TPictureAnimator::Attach(GstElement* source, GstElement* ticker) {
  auto animator = std::shared_ptr<TPictureAnimator>(new TPictureAnimator(source, ticker));
  const auto add = [&](GstElement* element, GstPadProbeCallback probe) {
    gst_pad_add_probe(
        StaticPad(element, "src").get(), GST_PAD_PROBE_TYPE_BUFFER, probe,
        new std::shared_ptr<TPictureAnimator>(animator),
        [](gpointer data) { delete static_cast<std::shared_ptr<TPictureAnimator>*>(data); });
  };
  add(source, [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    return GstPadProbeReturn(
        OnFrame(pad, info, static_cast<std::shared_ptr<TPictureAnimator>*>(data)->get()));
  });
  // The ticker draws in the source's streaming thread, so the two never run at once.
  add(ticker, [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    (*static_cast<std::shared_ptr<TPictureAnimator>*>(data))->ScrollCaption(pad, info);
    return GST_PAD_PROBE_OK;
  });
  return animator;
}

void TPictureAnimator::Animate(GstPad* pad, GstPadProbeInfo* info, const TPictureLook& look) {
  GstVideoFrame frame;
  if (!MapForDrawing(pad, info, frame)) return;
  // Marked on every frame, as a capture driver does: the recorder reads each frame's fields.
  constexpr auto kFields = GST_VIDEO_BUFFER_FLAG_INTERLACED | GST_VIDEO_BUFFER_FLAG_TFF;
  if (look.Interlaced) {
    GST_BUFFER_FLAG_SET(frame.buffer, kFields);
  } else {
    GST_BUFFER_FLAG_UNSET(frame.buffer, kFields);
  }
  interlaced_ = look.Interlaced;
  bool failed = false;
  bool showsFile = false;
  if (look.FilePath.isEmpty()) {
    player_.reset();
  } else {
    showsFile = ShowFile(frame, look, failed);
  }
  const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
  // Where the pattern stands half a frame on, for the bottom field: a positive pan moves it left.
  int right = -(look.Pan + Sign(look.Pan)) / 2, down = 0;
  if (look.Zone && look.Interlaced) {
    const auto [x0, y0] = ZoneCentre(2 * frame_, width, height);
    const auto [x1, y1] = ZoneCentre(2 * frame_ + 1, width, height);
    right += x1 - x0;
    down = y1 - y0;
  }
  if (look.Interlaced && !showsFile && (right || down)) LaterBottomField(frame, right, down);
  if (look.Box && !showsFile) DrawBox(frame, look.Interlaced);
  if (look.Noise > 0) AddNoise(frame, look.Noise);
  gst_video_frame_unmap(&frame);
  ShowCaption(look, failed, showsFile);
  if (look.Zone) MoveZone(look.Interlaced, width, height);
}

void TPictureAnimator::MoveZone(bool interlaced, int width, int height) {
  // The zone's centre wanders, so its rings sweep across the whole picture. Changing phases
  // cannot be drawn half a frame on, so an interlaced zone moves whole: its bottom field is
  // then the frame shifted.
  if (interlaced) {
    const auto [x, y] = ZoneCentre(2 * frame_ + 2, width, height);
    g_object_set(source_, "xoffset", x, "yoffset", y, nullptr);
    return;
  }
  const double t = double(frame_);
  g_object_set(source_, "kxt", int(std::lround(10 * std::sin(t / 45))), "kyt",
               int(std::lround(10 * std::cos(t / 60))), nullptr);
}

bool TPictureAnimator::ShowFile(GstVideoFrame& frame, const TPictureLook& look, bool& failed) {
  const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
  if (!player_ || player_->Path() != QString::fromUtf8(look.FilePath) || playerWidth_ != width ||
      playerHeight_ != height) {
    player_.reset();  // one decoder at a time
    GstCapsPtr wanted(gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING,
        gst_video_format_to_string(GST_VIDEO_FRAME_FORMAT(&frame)), "width", G_TYPE_INT, width,
        "height", G_TYPE_INT, height, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    player_ = std::make_shared<TVirtualFilePlayer>(QString::fromUtf8(look.FilePath), wanted.get());
    playerWidth_ = width;
    playerHeight_ = height;
  }
  failed = player_->Failed();
  GstSample* sample = failed ? nullptr : player_->Picture();
  if (!sample) return false;  // the pattern until the first picture
  GstVideoInfo format;
  GstVideoFrame picture;
  bool shown = false;
  if (gst_video_info_from_caps(&format, gst_sample_get_caps(sample)) &&
      GST_VIDEO_INFO_WIDTH(&format) == width && GST_VIDEO_INFO_HEIGHT(&format) == height &&
      gst_video_frame_map(&picture, &format, gst_sample_get_buffer(sample), GST_MAP_READ)) {
    shown = gst_video_frame_copy(&frame, &picture);
    gst_video_frame_unmap(&picture);
  }
  gst_sample_unref(sample);
  return shown;
}

void TPictureAnimator::AddNoise(GstVideoFrame& frame, int level) {
  if (level != noiseLevel_) {
    // Two uniform draws summed: grainier near zero, as off-carrier noise looks.
    noise_.resize(size_t(kNoiseSpan + kMaxRow));
    const int amplitude = level * 6 / 10 + 2;
    for (qint16& n : noise_) {
      const int a = int(NextRandom(seed_) % quint32(2 * amplitude + 1)) - amplitude;
      const int b = int(NextRandom(seed_) % quint32(2 * amplitude + 1)) - amplitude;
      n = qint16(a + b);
    }
    noiseLevel_ = level;
  }
  const int width = qMin(GST_VIDEO_FRAME_COMP_WIDTH(&frame, 0), kMaxRow);
  const int height = GST_VIDEO_FRAME_COMP_HEIGHT(&frame, 0);
  const int stride = GST_VIDEO_FRAME_COMP_STRIDE(&frame, 0);
  auto* plane = static_cast<quint8*>(GST_VIDEO_FRAME_COMP_DATA(&frame, 0));
  for (int y = 0; y < height; ++y) {
    quint8* row = plane + y * stride;
    const qint16* n = noise_.data() + NextRandom(seed_) % kNoiseSpan;
    for (int x = 0; x < width; ++x) {
      const int v = row[x] + n[x];
      row[x] = quint8(v < 16 ? 16 : v > 235 ? 235 : v);
    }
  }
}

void TPictureAnimator::LaterBottomField(GstVideoFrame& frame, int right, int down) {
  // Luma only: in 4:2:0 both fields share the chroma rows, which keep the top field's time.
  const int width = GST_VIDEO_FRAME_COMP_WIDTH(&frame, 0);
  const int height = GST_VIDEO_FRAME_COMP_HEIGHT(&frame, 0);
  if (GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, 0) != 1 || width < 1) return;
  const int stride = GST_VIDEO_FRAME_COMP_STRIDE(&frame, 0);
  auto* plane = static_cast<quint8*>(GST_VIDEO_FRAME_COMP_DATA(&frame, 0));
  const int by = (width - right % width) % width;
  row_.resize(size_t(width));
  // Rows taken from above are still unmoved going up the picture, rows from below going down.
  const int lines = height / 2;
  for (int i = 0; i < lines; ++i) {
    const int y = 1 + 2 * (down > 0 ? lines - 1 - i : i);
    const int from = qBound(0, y - down, height - 1);
    std::memcpy(row_.data(), plane + from * stride, size_t(width));
    quint8* row = plane + y * stride;
    std::memcpy(row, row_.data() + by, size_t(width - by));
    std::memcpy(row + width - by, row_.data(), size_t(by));
  }
}

void TPictureAnimator::DrawBox(GstVideoFrame& frame, bool interlaced) {
  const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
  const int side = qMax(2, height / 8) & ~1;
  // Kept to the middle of the picture, clear of the caption and the corners. Timed in fields,
  // two a frame, so an interlaced frame's bottom rows show it one field on.
  const auto at = [&](quint64 field) {
    return std::pair(width / 4 + Bounce(field, 300, qMax(0, width * 13 / 20 - side)),
                     height / 8 + Bounce(field, 220, qMax(0, height / 2 - side)));
  };
  const std::pair<int, int> fields[2] = {at(2 * frame_), at(2 * frame_ + 1)};
  const quint8 colour[3] = {210, 40, 170};  // Y, U, V: a warm orange
  for (int c = 0; c < int(GST_VIDEO_FRAME_N_COMPONENTS(&frame)) && c < 3; ++c) {
    const int cw = GST_VIDEO_FRAME_COMP_WIDTH(&frame, c), ch = GST_VIDEO_FRAME_COMP_HEIGHT(&frame, c);
    const int stride = GST_VIDEO_FRAME_COMP_STRIDE(&frame, c);
    auto* plane = static_cast<quint8*>(GST_VIDEO_FRAME_COMP_DATA(&frame, c));
    // Chroma rows serve both fields and keep the top field's time.
    const bool split = interlaced && c == 0;
    for (int f = 0; f < (split ? 2 : 1); ++f) {
      const auto [left, top] = fields[f];
      const int x0 = left * cw / width, y0 = top * ch / height;
      const int x1 = qMin(cw, (left + side) * cw / width);
      const int y1 = qMin(ch, (top + side) * ch / height);
      for (int y = split ? y0 + ((y0 & 1) != f) : y0; y < y1; y += split ? 2 : 1)
        std::memset(plane + y * stride + x0, colour[c], size_t(x1 - x0));
    }
  }
}

void TPictureAnimator::ShowCaption(const TPictureLook& look, bool failed, bool showsFile) {
  // Real footage keeps its picture whole: no caption scrolls over it.
  const QByteArray text = failed      ? "Cannot play " + look.FileName
                          : showsFile ? QByteArray()
                                      : look.Ticker;
  if (text == shownCaption_) return;
  g_object_set(ticker_, "text", text.constData(), "silent", text.isEmpty(), nullptr);
  shownCaption_ = text;
  std::lock_guard lock(mutex_);
  caption_ = text;
}

void TPictureAnimator::ScrollCaption(GstPad* pad, GstPadProbeInfo* info) {
  if (shownCaption_.isEmpty()) return;
  // The caption is drawn once where it stands and its band is turned round under it: moving
  // the text itself would lay it out again on every frame.
  GstVideoFrame frame;
  if (!MapForDrawing(pad, info, frame)) return;
  const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
  // Right to left, about ten seconds across; even, so the chroma moves with the luma.
  const int speed = qMax(2, 2 * width / 640) & ~1;
  const int shift = int((frame_ * quint64(speed)) % quint64(qMax(2, width))) & ~1;
  for (int c = 0; c < int(GST_VIDEO_FRAME_N_PLANES(&frame)); ++c) {
    const int cw = GST_VIDEO_FRAME_COMP_WIDTH(&frame, c), ch = GST_VIDEO_FRAME_COMP_HEIGHT(&frame, c);
    const int pixel = GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, c);
    const int by = shift * cw / qMax(1, width) * pixel;
    // Interlaced, the bottom field's luma has scrolled on for half a frame more.
    const int late = c == 0 && interlaced_ ? (shift + speed / 2) % width * pixel : by;
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, c);
    auto* plane = static_cast<quint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, c));
    for (int y = ch * (kBandTop * height / 100) / height; y < ch; ++y) {
      quint8* row = plane + y * stride;
      std::rotate(row, row + (y & 1 ? late : by), row + cw * pixel);
    }
  }
  gst_video_frame_unmap(&frame);
}

}  // namespace pvx::platform::devices

#include "platform/video/TVideoRenderer.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QLoggingCategory>
#include <QObject>
#include <QThread>

#include "platform/graph/GstPtr.h"
#include "platform/video/FrameToImage.h"
#include "platform/video/TVideoWindow.h"

Q_LOGGING_CATEGORY(lcVideo, "pvx.video")

namespace pvx::platform::video {
namespace {

// A short leaky queue and a one-frame sink keep the picture live: late frames are dropped,
// never queued up behind a busy UI thread. The capture formats pass videoconvert untouched and
// are turned into RGB in one pass when painted; anything else is converted to BGRx first.
constexpr const char* kBinDescription =
    "videoconvert name=convert"
    " ! video/x-raw,format={ (string)YUY2, (string)UYVY, (string)BGRx }"
    " ! appsink name=sink emit-signals=false max-buffers=1 drop=true sync=true qos=false";

}  // namespace

TVideoRenderer::TVideoRenderer()
    : graph::TFilter("Video Renderer"), context_(std::make_unique<QObject>()) {
  AddPin("Input", graph::PinDir::Input, graph::PinCategory::None, graph::MediaMajor::Video);
  GstElement* bin = graph::MakeBin(kBinDescription, "VideoRenderer");
  if (!bin) return;
  SetElement(bin);
  if (!graph::Ghost(bin, "convert", "sink", "Input")) {
    qCWarning(lcVideo) << "video renderer: cannot expose its input";
    return;
  }
  graph::GstPtr<GstElement> sink = graph::Adopt(gst_bin_get_by_name(GST_BIN(bin), "sink"));
  if (!sink) return;
  sink_ = sink.get();
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = [](GstAppSink* s, gpointer self) {
    return static_cast<GstFlowReturn>(OnNewSample(s, self));
  };
  callbacks.new_preroll = [](GstAppSink* s, gpointer self) {
    return static_cast<GstFlowReturn>(OnNewPreroll(s, self));
  };
  gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &callbacks, this, nullptr);
}

TVideoRenderer::~TVideoRenderer() {
  // The streaming thread touches our members: join it before they go.
  if (GstElement* bin = Element()) gst_element_set_state(bin, GST_STATE_NULL);
  if (sink_) {
    GstAppSinkCallbacks none{};
    gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &none, nullptr, nullptr);
  }
  context_.reset();
  if (TVideoWindow* window = window_.data()) {
    if (window->thread() == QThread::currentThread())
      delete window;
    else
      window->deleteLater();
  }
}

TVideoWindow* TVideoRenderer::Window() {
  if (!window_) {
    window_ = new TVideoWindow();
    std::lock_guard lock(frameMutex_);
    if (!frame_.IsNull()) window_->ShowFrame(frame_);
  }
  return window_;
}

QImage TVideoRenderer::LastFrame() const {
  std::lock_guard lock(frameMutex_);
  if (imageSerial_ != frameSerial_) {
    image_ = FrameToImage(frame_);
    imageSerial_ = frameSerial_;
  }
  return image_;
}

QSize TVideoRenderer::FrameSize() const {
  std::lock_guard lock(frameMutex_);
  return frame_.size;
}

int TVideoRenderer::OnNewSample(GstAppSink* sink, void* self) {
  graph::GstSamplePtr sample(gst_app_sink_pull_sample(sink));
  // No sample means the sink is being flushed or stopped; that is not an error.
  if (!sample) return GST_FLOW_FLUSHING;
  return static_cast<TVideoRenderer*>(self)->Present(sample.get(), true);
}

int TVideoRenderer::OnNewPreroll(GstAppSink* sink, void* self) {
  graph::GstSamplePtr sample(gst_app_sink_pull_preroll(sink));
  if (!sample) return GST_FLOW_FLUSHING;
  // A paused graph shows its first frame; it is counted when it is rendered.
  return static_cast<TVideoRenderer*>(self)->Present(sample.get(), false);
}

int TVideoRenderer::Present(GstSample* sample, bool counts) {
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstVideoInfo info;
  if (!caps || !buffer || !gst_video_info_from_caps(&info, caps)) {
    qCWarning(lcVideo) << "video renderer: a sample without video caps";
    return GST_FLOW_ERROR;
  }
  // The frame stays mapped while anyone holds it; painting reads it in place.
  auto* mapped = new GstVideoFrame;
  if (!gst_video_frame_map(mapped, &info, buffer, GST_MAP_READ)) {
    delete mapped;
    qCWarning(lcVideo) << "video renderer: cannot map a frame";
    return GST_FLOW_ERROR;
  }
  TRawFrame frame;
  frame.size = QSize(GST_VIDEO_FRAME_WIDTH(mapped), GST_VIDEO_FRAME_HEIGHT(mapped));
  frame.stride = GST_VIDEO_FRAME_PLANE_STRIDE(mapped, 0);
  frame.data = static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(mapped, 0));
  if (GST_VIDEO_FRAME_FORMAT(mapped) == GST_VIDEO_FORMAT_YUY2) frame.format = PackedFormat::YUY2;
  if (GST_VIDEO_FRAME_FORMAT(mapped) == GST_VIDEO_FORMAT_UYVY) frame.format = PackedFormat::UYVY;
  frame.keep = std::shared_ptr<void>(mapped, [](void* p) {
    auto* f = static_cast<GstVideoFrame*>(p);
    gst_video_frame_unmap(f);
    delete f;
  });
  {
    std::lock_guard lock(frameMutex_);
    frame_ = std::move(frame);
    ++frameSerial_;
  }
  if (counts) framesRendered_.fetch_add(1);
  RequestRepaint();
  return GST_FLOW_OK;
}

void TVideoRenderer::RequestRepaint() {
  // One queued repaint at a time: the UI thread always takes the latest frame.
  if (repaintPending_.exchange(true)) return;
  QMetaObject::invokeMethod(
      context_.get(),
      [this] {
        repaintPending_ = false;
        if (!window_) return;
        TRawFrame frame;
        {
          std::lock_guard lock(frameMutex_);
          frame = frame_;
        }
        window_->ShowFrame(frame);
      },
      Qt::QueuedConnection);
}

}  // namespace pvx::platform::video

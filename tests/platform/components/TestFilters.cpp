#include "TestFilters.h"

#include <gst/app/gstappsink.h>

#include "platform/components/ComponentSupport.h"
#include "platform/graph/MediaCaps.h"

namespace pvx::test {

using namespace platform::graph;
using platform::components::BuildBin;

TTestSource::TTestSource(const QString& description, MediaMajor major)
    : TFilter(QStringLiteral("Test Source")) {
  AddPin("Capture", PinDir::Output, PinCategory::Capture, major);
  auto bin = BuildBin(description.toUtf8().constData(), "testsource", {{"out", "src", "Capture"}});
  SetElement(bin.get());
}

std::shared_ptr<TTestSource> VideoSource(const char* format, const char* pattern, int width,
                                         int height, const char* extraCaps, int frames) {
  const QString pace = frames ? QString("num-buffers=%1").arg(frames) : "is-live=true";
  return std::make_shared<TTestSource>(
      QString("videotestsrc %1 pattern=%2 ! capsfilter name=out caps=\"video/x-raw,format=%3,width=%4,"
              "height=%5,framerate=30/1%6\"")
          .arg(pace, pattern, format, QString::number(width), QString::number(height), extraCaps),
      MediaMajor::Video);
}

std::shared_ptr<TTestSource> AudioSource() {
  return std::make_shared<TTestSource>(
      "audiotestsrc is-live=true ! capsfilter name=out caps=audio/x-raw,format=S16LE,rate=48000,channels=2",
      MediaMajor::Audio);
}

std::shared_ptr<TTestSource> EncodedSource(const char* encoder, int width, int height) {
  return std::make_shared<TTestSource>(
      QString("videotestsrc is-live=true ! video/x-raw,format=I420,width=%1,height=%2,framerate=25/1 ! %3 "
              "name=out").arg(QString::number(width), QString::number(height), encoder),
      MediaMajor::Stream);
}

TTestSink::TTestSink(MediaMajor major) : TFilter(QStringLiteral("Test Sink")) {
  AddPin("Input", PinDir::Input, PinCategory::None, major);
  auto bin = BuildBin("appsink name=sink sync=false", "testsink", {{"sink", "sink", "Input"}});
  if (!bin) return;
  const GstPtr<GstElement> sink = ChildByName(bin.get(), "sink");
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = [](GstAppSink* s, gpointer self) { return GstFlowReturn(OnSample(s, self)); };
  gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, this, nullptr);
  SetElement(bin.get());
}

int TTestSink::OnSample(void* appsink, void* rawSelf) {
  auto* self = static_cast<TTestSink*>(rawSelf);
  GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(appsink));
  if (!sample) return GST_FLOW_ERROR;
  const GstSamplePtr owned(sample);
  gchar* caps = gst_caps_to_string(gst_sample_get_caps(sample));
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  std::lock_guard lock(self->mutex_);
  self->last_.caps = QString::fromUtf8(caps);
  g_free(caps);
  FromCaps(gst_sample_get_caps(sample), self->last_.type);
  if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    self->last_.bytes = QByteArray(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
    gst_buffer_unmap(buffer, &map);
  }
  ++self->frames_;
  return GST_FLOW_OK;
}

}  // namespace pvx::test

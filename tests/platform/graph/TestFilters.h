#pragma once
// Filters used only by graph tests: a sink that keeps what reaches it.

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>

#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilter.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

class TTestSink final : public platform::graph::TFilter {
 public:
  explicit TTestSink(platform::graph::MediaMajor major = platform::graph::MediaMajor::Video)
      : TFilter("Test Sink") {
    AddPin("Input", platform::graph::PinDir::Input, platform::graph::PinCategory::None, major);
    GstElement* bin = platform::graph::MakeBin("appsink name=sink sync=false max-buffers=2 drop=true",
                                               "test-sink");
    SetElement(bin);
    platform::graph::Ghost(bin, "sink", "sink", "Input");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(bin), "sink");
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = [](GstAppSink* s, gpointer self) -> GstFlowReturn {
      static_cast<TTestSink*>(self)->OnSample(s);
      return GST_FLOW_OK;
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    gst_object_unref(sink);
  }

  int Frames() const { return frames_; }
  QByteArray LastFrame() const {
    std::lock_guard lock(mutex_);
    return last_;
  }
  platform::graph::TMediaType LastType() const {
    std::lock_guard lock(mutex_);
    return type_;
  }

 private:
  void OnSample(GstAppSink* sink) {
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample) return;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
      std::lock_guard lock(mutex_);
      last_ = QByteArray(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
      platform::graph::FromCaps(gst_sample_get_caps(sample), type_);
      gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    ++frames_;
  }

  std::atomic<int> frames_{0};
  mutable std::mutex mutex_;
  QByteArray last_;
  platform::graph::TMediaType type_;
};

}  // namespace pvx::test

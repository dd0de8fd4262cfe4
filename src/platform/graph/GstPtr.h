#pragma once
// Owning handles for GStreamer objects. Adopt takes over a reference the caller already owns;
// Ref adds one. Only platform code includes this.

#include <gst/gst.h>

#include <memory>

namespace pvx::platform::graph {

struct GstObjectUnref {
  void operator()(gpointer object) const {
    if (object) gst_object_unref(object);
  }
};

template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;

template <typename T>
GstPtr<T> Adopt(T* object) {
  return GstPtr<T>(object);
}

template <typename T>
GstPtr<T> Ref(T* object) {
  if (object) gst_object_ref(object);
  return GstPtr<T>(object);
}

struct GstMiniObjectUnref {
  void operator()(gpointer object) const {
    if (object) gst_mini_object_unref(GST_MINI_OBJECT_CAST(object));
  }
};
using GstCapsPtr = std::unique_ptr<GstCaps, GstMiniObjectUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstMiniObjectUnref>;
using GstBufferPtr = std::unique_ptr<GstBuffer, GstMiniObjectUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMiniObjectUnref>;

// Creates an element by factory name; nullptr (and a log line naming it) when it is missing.
GstElement* MakeElement(const char* factory, const char* name = nullptr);

// Builds a bin from a gst-launch description, or nullptr. Pads are not ghosted: use Ghost.
GstElement* MakeBin(const char* description, const char* name);

// Exposes pad `pad` of the bin's child `child` as a ghost pad named `ghost` (a pin name).
bool Ghost(GstElement* bin, const char* child, const char* pad, const char* ghost);

// Initialises GStreamer once per process.
bool EnsureGstreamer();

}  // namespace pvx::platform::graph

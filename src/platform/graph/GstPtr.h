#pragma once
// Owning handles for GStreamer objects. Adopt takes over a reference the caller already owns;
// Ref adds one. Only forward declarations here, so that headers outside the platform can hold
// these owners without seeing GStreamer.

#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;
typedef struct _GstBus GstBus;
typedef struct _GstCaps GstCaps;
typedef struct _GstSample GstSample;
typedef struct _GstBuffer GstBuffer;
typedef struct _GstMessage GstMessage;

namespace pvx::platform::graph {

// gst_object_ref / gst_object_unref and gst_mini_object_unref, each accepting nullptr.
void RefObject(void* object);
void UnrefObject(void* object);
void UnrefMiniObject(void* object);

struct GstObjectUnref {
  void operator()(void* object) const { UnrefObject(object); }
};

template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;

template <typename T>
GstPtr<T> Adopt(T* object) {
  return GstPtr<T>(object);
}

template <typename T>
GstPtr<T> Ref(T* object) {
  RefObject(object);
  return GstPtr<T>(object);
}

struct GstMiniObjectUnref {
  void operator()(void* object) const { UnrefMiniObject(object); }
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

// A child of a bin by name (a new reference), or nullptr.
GstPtr<GstElement> ChildByName(GstElement* bin, const char* name);
// A static pad of an element (a new reference), or nullptr.
GstPtr<GstPad> StaticPad(GstElement* element, const char* name);

// Initialises GStreamer once per process.
bool EnsureGstreamer();

}  // namespace pvx::platform::graph

#include <gst/gst.h>

#include <QLoggingCategory>

#include "platform/graph/GstPtr.h"

Q_LOGGING_CATEGORY(lcGraph, "pvx.graph")

namespace pvx::platform::graph {

void RefObject(void* object) {
  if (object) gst_object_ref(object);
}

void UnrefObject(void* object) {
  if (object) gst_object_unref(object);
}

void UnrefMiniObject(void* object) {
  if (object) gst_mini_object_unref(GST_MINI_OBJECT_CAST(object));
}

bool EnsureGstreamer() {
  static bool ok = [] {
    GError* error = nullptr;
    const bool started = gst_init_check(nullptr, nullptr, &error);
    if (error) {
      qCWarning(lcGraph) << "GStreamer did not start:" << error->message;
      g_error_free(error);
    }
    return started;
  }();
  return ok;
}

GstElement* MakeElement(const char* factory, const char* name) {
  if (!EnsureGstreamer()) return nullptr;
  GstElement* element = gst_element_factory_make(factory, name);
  if (!element) qCWarning(lcGraph) << "missing GStreamer element" << factory;
  return element;
}

GstElement* MakeBin(const char* description, const char* name) {
  if (!EnsureGstreamer()) return nullptr;
  GError* error = nullptr;
  GstElement* bin = gst_parse_bin_from_description_full(description, FALSE, nullptr,
                                                        GST_PARSE_FLAG_FATAL_ERRORS, &error);
  if (error) {
    qCWarning(lcGraph) << "cannot build" << name << ":" << error->message;
    g_error_free(error);
    if (bin) gst_object_unref(gst_object_ref_sink(bin));
    return nullptr;
  }
  if (bin && name) gst_object_set_name(GST_OBJECT(bin), name);
  return bin;
}

GstPtr<GstElement> ChildByName(GstElement* bin, const char* name) {
  return Adopt(bin ? gst_bin_get_by_name(GST_BIN(bin), name) : nullptr);
}

GstPtr<GstPad> StaticPad(GstElement* element, const char* name) {
  return Adopt(element ? gst_element_get_static_pad(element, name) : nullptr);
}

bool Ghost(GstElement* bin, const char* child, const char* pad, const char* ghost) {
  GstPtr<GstPad> target = StaticPad(ChildByName(bin, child).get(), pad);
  if (!target) return false;
  GstPad* ghostPad = gst_ghost_pad_new(ghost, target.get());
  if (!ghostPad) return false;
  gst_pad_set_active(ghostPad, TRUE);
  return gst_element_add_pad(bin, ghostPad);
}

}  // namespace pvx::platform::graph

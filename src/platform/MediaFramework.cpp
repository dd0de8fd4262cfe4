#include "platform/MediaFramework.h"

#include <gst/gst.h>

namespace pvx::platform {

QStringList RequiredMediaElements() {
  return {"videotestsrc", "audiotestsrc", "appsrc",       "appsink",      "tee",
          "queue",        "capsfilter",   "videoconvert", "videoscale",   "videorate",
          "videobalance", "deinterlace",  "textoverlay",  "clockoverlay", "audioconvert",
          "audioresample", "volume",      "fakesink"};
}

QStringList MissingMediaElements(const QStringList& required) {
  GError* error = nullptr;
  if (!gst_init_check(nullptr, nullptr, &error)) {
    if (error) g_error_free(error);
    return {"gstreamer"};
  }
  QStringList missing;
  for (const QString& name : required) {
    GstElementFactory* factory = gst_element_factory_find(name.toUtf8().constData());
    if (!factory) {
      missing << name;
      continue;
    }
    gst_object_unref(factory);
  }
  return missing;
}

}  // namespace pvx::platform

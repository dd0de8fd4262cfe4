#include "platform/media/TFileWriter.h"

#include <gst/gst.h>

#include "platform/graph/FaultPlan.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::media {

using namespace graph;

TFileWriter::TFileWriter(QString friendlyName, QString inputName)
    : TFilter(std::move(friendlyName)) {
  AddPin(inputName, PinDir::Input, PinCategory::None, MediaMajor::Stream);
  if (!EnsureGstreamer()) return;
  GstElement* bin = gst_bin_new(nullptr);
  GstPad* pad = gst_ghost_pad_new_no_target(inputName.toUtf8().constData(), GST_PAD_SINK);
  gst_pad_set_active(pad, TRUE);
  gst_element_add_pad(bin, pad);
  SetElement(bin);
}

bool TFileWriter::SetFileName(const QString& path) {
  if (path.isEmpty() || (Graph() && Graph()->State() != GraphState::Stopped)) return false;
  if (graph::Refused("SetFileName")) return false;
  path_ = path;
  return true;
}

bool TFileWriter::SetMode(int mode) {
  if (mode != 0 && mode != 1) return false;
  mode_ = mode;
  return true;
}

}  // namespace pvx::platform::media

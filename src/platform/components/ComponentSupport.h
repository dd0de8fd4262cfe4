#pragma once
// Shared by the components: their log category and a factory that refuses a component whose
// GStreamer elements are missing, so the engine sees "not registered" instead of a dead filter.

#include <gst/gst.h>

#include <QLoggingCategory>
#include <memory>

#include "platform/graph/GstPtr.h"
#include "platform/graph/TFilter.h"

Q_DECLARE_LOGGING_CATEGORY(lcComponents)

namespace pvx::platform::components {

template <typename T, typename... Args>
std::shared_ptr<graph::TFilter> MakeComponent(Args&&... args) {
  auto filter = std::make_shared<T>(std::forward<Args>(args)...);
  if (!filter->Element()) return nullptr;
  return filter;
}

// Builds a bin from a description and ghosts (child, pad, pin) triples; empty on any failure.
// The handle owns a full reference: SetElement adds its own.
struct TGhostPin {
  const char* child;
  const char* pad;
  const char* pin;
};
graph::GstPtr<GstElement> BuildBin(const char* description, const char* name,
                                   std::initializer_list<TGhostPin> ghosts);

}  // namespace pvx::platform::components

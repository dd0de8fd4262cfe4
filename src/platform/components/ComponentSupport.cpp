#include "platform/components/ComponentSupport.h"

#include "platform/graph/GstPtr.h"

Q_LOGGING_CATEGORY(lcComponents, "pvx.components")

namespace pvx::platform::components {

graph::GstPtr<GstElement> BuildBin(const char* description, const char* name,
                                   std::initializer_list<TGhostPin> ghosts) {
  GstElement* made = graph::MakeBin(description, name);
  if (!made) return nullptr;
  auto bin = graph::Adopt(GST_ELEMENT(gst_object_ref_sink(made)));
  for (const TGhostPin& g : ghosts) {
    if (!graph::Ghost(bin.get(), g.child, g.pad, g.pin)) {
      qCWarning(lcComponents) << name << "has no pad" << g.child << g.pad << "for pin" << g.pin;
      return nullptr;
    }
  }
  return bin;
}

}  // namespace pvx::platform::components

#include "platform/graph/TFilter.h"

#include <gst/gst.h>

namespace pvx::platform::graph {

GstPad* TPin::Pad() const {
  GstElement* element = owner_.Element();
  if (!element || IsDevicePin()) return nullptr;
  // The bin keeps the pad alive.
  return StaticPad(element, name_.toUtf8().constData()).get();
}

TFilter::TFilter(QString friendlyName) : friendlyName_(std::move(friendlyName)) {}

TFilter::~TFilter() {
  if (element_) gst_element_set_state(element_.get(), GST_STATE_NULL);
}

TPin* TFilter::FindPin(const QString& name) const {
  for (const auto& pin : pins_) {
    if (pin->Name().compare(name, Qt::CaseInsensitive) == 0) return pin.get();
  }
  return nullptr;
}

TPin* TFilter::FindPin(PinDir dir, PinCategory category, int index) const {
  for (const auto& pin : pins_) {
    if (pin->Dir() != dir) continue;
    if (category != PinCategory::None && pin->Category() != category) continue;
    if (index-- == 0) return pin.get();
  }
  return nullptr;
}

int TFilter::PinIndex(const TPin& pin) const {
  int index = 0;
  for (const auto& p : pins_) {
    if (p->Dir() != pin.Dir()) continue;
    if (p.get() == &pin) return index;
    ++index;
  }
  return -1;
}

std::vector<TPin*> TFilter::PinsOf(PinDir dir) const {
  std::vector<TPin*> out;
  for (const auto& pin : pins_) {
    if (pin->Dir() == dir) out.push_back(pin.get());
  }
  return out;
}

bool TFilter::HasConnectedMediaPin() const {
  for (const auto& pin : pins_) {
    if (!pin->IsDevicePin() && pin->IsConnected()) return true;
  }
  return false;
}

TPin& TFilter::AddPin(QString name, PinDir dir, PinCategory category, MediaMajor major,
                      int physicalType) {
  pins_.push_back(std::make_unique<TPin>(*this, std::move(name), dir, category, major, physicalType));
  return *pins_.back();
}

void TFilter::SetElement(GstElement* bin) {
  element_ = Adopt(bin ? GST_ELEMENT(gst_object_ref_sink(bin)) : nullptr);
}

}  // namespace pvx::platform::graph

#include "platform/devices/virtual/VirtualDeviceFilters.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

TVirtualEmpiaObject::TVirtualEmpiaObject(std::shared_ptr<TVirtualCard> card)
    : TFilter(kEmpia2800ClassId), card_(std::move(card)) {}

bool TVirtualEmpiaObject::SetSettingValue(int value) {
  if (value < 0 || value > 127) return false;
  card_->VendorSetting = value;
  return true;
}

bool TVirtualEmpiaObject::SetTVAudioMode(int mode) {
  card_->VendorAudioMode = mode;
  return card_->SetTVAudioMode(mode);
}

bool TVirtualEmpiaObject::SetSource(int source) {
  if (source < 0 || source > 2) return false;
  card_->VendorSource = source;
  return true;
}

}  // namespace pvx::platform::devices

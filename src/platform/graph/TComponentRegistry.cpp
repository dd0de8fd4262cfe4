#include "platform/graph/TComponentRegistry.h"

#include <algorithm>

#include "platform/graph/TFilter.h"

namespace pvx::platform::graph {

void TComponentRegistry::Register(DeviceCategory category, const QString& friendlyName,
                                  FilterFactory factory) {
  entries_.push_back({category, friendlyName, std::move(factory)});
}

bool TComponentRegistry::Unregister(const QString& friendlyName) {
  const auto before = entries_.size();
  std::erase_if(entries_, [&](const Entry& e) { return e.name == friendlyName; });
  return entries_.size() != before;
}

void TComponentRegistry::AddProvider(IDeviceProvider* provider) {
  if (std::find(providers_.begin(), providers_.end(), provider) == providers_.end())
    providers_.push_back(provider);
}

void TComponentRegistry::RemoveProvider(IDeviceProvider* provider) {
  std::erase(providers_, provider);
}

std::vector<TMoniker> TComponentRegistry::Enumerate(DeviceCategory category) const {
  std::vector<TMoniker> out;
  for (IDeviceProvider* provider : providers_) {
    for (auto& m : provider->Devices(category)) out.push_back(std::move(m));
  }
  for (const Entry& e : entries_) {
    if (e.category == category) out.push_back({e.name, e.factory});
  }
  return out;
}

std::shared_ptr<TFilter> TComponentRegistry::Create(DeviceCategory category,
                                                    const QString& part) const {
  for (const TMoniker& m : Enumerate(category)) {
    if (m.FriendlyName.contains(part, Qt::CaseInsensitive)) return m.Bind();
  }
  return nullptr;
}

}  // namespace pvx::platform::graph

#pragma once
// Components and devices the graphs can be built from, found by category and friendly name.
// Devices come from device providers (the virtual card, real cards); components are our own
// implementations registered under the names the engine looks for.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graph/GraphTypes.h"

namespace pvx::platform::graph {

class TFilter;

using FilterFactory = std::function<std::shared_ptr<TFilter>()>;

struct TMoniker {
  QString FriendlyName;
  FilterFactory Bind;
};

// Supplies the devices of one card (or several) for the device categories.
class IDeviceProvider {
 public:
  virtual ~IDeviceProvider() = default;
  virtual std::vector<TMoniker> Devices(DeviceCategory category) = 0;
};

// Filled by the program's start-up (and by the test support for each test) and handed to the
// graphs built from it.
class TComponentRegistry {
 public:
  void Register(DeviceCategory category, const QString& friendlyName, FilterFactory factory);
  // Removes every entry with exactly this friendly name; true when one was removed.
  bool Unregister(const QString& friendlyName);

  // Providers are asked in the order added; the caller keeps ownership.
  void AddProvider(IDeviceProvider* provider);
  void RemoveProvider(IDeviceProvider* provider);

  // Everything in a category, in enumeration order: devices of the providers, then components.
  std::vector<TMoniker> Enumerate(DeviceCategory category) const;
  // The first entry whose friendly name contains `part`, ignoring case.
  std::shared_ptr<TFilter> Create(DeviceCategory category, const QString& part) const;

 private:
  struct Entry {
    DeviceCategory category;
    QString name;
    FilterFactory factory;
  };
  std::vector<Entry> entries_;
  std::vector<IDeviceProvider*> providers_;
};

}  // namespace pvx::platform::graph

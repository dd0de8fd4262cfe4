#pragma once
// Finding the card's devices, binding them into the graph and telling the chip family.

#include <QString>

namespace pvx::engine {

class TCaptureInfo;

class TDeviceDiscovery {
 public:
  explicit TDeviceDiscovery(TCaptureInfo& engine) : e_(engine) {}

  // The first video device whose name suggests a TV card; 0 when none does.
  int DefaultVideoDeviceIndex() const;
  bool OpenDevices();

  // Sets the chip maker, model and family of the main settings from a device name.
  void DetectChip(const QString& deviceName);

 private:
  TCaptureInfo& e_;
};

// Case-insensitive "contains" where an empty part matches nothing.
bool NameContains(const QString& name, const QString& part);

}  // namespace pvx::engine

#include "platform/SystemServices.h"

#include "platform/LinuxSystemServices.h"

namespace pvx::platform {
namespace {
ISystemServices* gServices = nullptr;
}

ISystemServices& System() {
  if (gServices) return *gServices;
  static LinuxSystemServices services;
  return services;
}

void SetSystemServices(ISystemServices* services) { gServices = services; }

}  // namespace pvx::platform

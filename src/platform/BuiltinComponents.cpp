#include "platform/BuiltinComponents.h"

#include <QDir>

#include "platform/ProgramFolder.h"
#include "platform/components/Registration.h"
#include "platform/devices/v4l2/AlsaCapture.h"
#include "platform/devices/v4l2/V4L2DeviceProvider.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/media/Registration.h"
#include "platform/video/TAudioRenderer.h"
#include "platform/video/TVideoRenderer.h"

namespace pvx::platform {

using graph::DeviceCategory;

void RegisterBuiltinComponents(graph::TComponentRegistry& registry) {
  // Real cards come first; without one the virtual card is the machine's capture card.
  auto& real = devices::v4l2::DefaultV4L2Provider();
  real.AudioCaptureFactory = devices::v4l2::MakeAlsaAudioCapture;
  const QString choice = devices::v4l2::DeviceSetting(qEnvironmentVariable("OKA_PVX_DEVICE"),
                                                      QDir(ProgramFolder()).filePath("Devices.ini"));
  if (devices::v4l2::UseRealCards(choice, [&] { return !real.Cards().empty(); }))
    registry.AddProvider(&real);
  registry.AddProvider(&devices::DefaultVirtualProvider());
  registry.Register(DeviceCategory::LegacyFilter, "Video Renderer",
                    [] { return std::make_shared<video::TVideoRenderer>(); });
  registry.Register(DeviceCategory::LegacyFilter, "Audio Renderer",
                    [] { return std::make_shared<video::TAudioRenderer>(); });
  components::RegisterPreviewComponents(registry);
  media::RegisterRecorderComponents(registry);
}

}  // namespace pvx::platform

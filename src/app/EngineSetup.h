#pragma once
// What the shell tells the capture engine when it creates it: the window it shows in, the
// device names to prefer, and how it reads the program's settings.

#include <QString>

#include "engine/EngineConfig.h"

class QWidget;

namespace pvx::settings {
class TCountryInfo;
class TMainInfo;
}
namespace pvx::util {
class TOEMInfo;
}

namespace pvx::app {

engine::TEngineConfig EngineConfigFor(settings::TMainInfo& main, const settings::TCountryInfo& country,
                                      const util::TOEMInfo& oem,
                                      const QString& preferredAudioDevice, QWidget* host);

}  // namespace pvx::app

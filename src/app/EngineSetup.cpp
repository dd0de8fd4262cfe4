#include "app/EngineSetup.h"

#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "util/OEMInfo.h"

namespace pvx::app {

engine::TEngineConfig EngineConfigFor(settings::TMainInfo& main, const settings::TCountryInfo& country,
                                      const util::TOEMInfo& oem,
                                      const QString& preferredAudioDevice, QWidget* host) {
  engine::TEngineConfig config;
  config.Host.Widget = host;
  config.ChipMakers = main.ChipMakers();
  config.ChipModels = main.ChipModels();
  config.VideoNameOverride = oem.DeviceNames[0];
  config.CrossbarNameOverride = oem.DeviceNames[1];
  config.TunerNameOverride = oem.DeviceNames[2];
  config.TVAudioNameOverride = oem.DeviceNames[3];
  config.TuningPause = oem.TuningPause;
  config.PreferredAudioDevice = preferredAudioDevice;
  // Read when needed: the settings dialog changes folders and the codec while the engine runs.
  config.Program = [&main, &country] {
    return engine::TProgramSettings{main.Prefs().CaptureFolder, main.Prefs().WaveFolder,
                                    main.Prefs().MPEG4Codec, country.CountryCode};
  };
  config.ColourLevels = {[&main] { return main.Prefs().ColorLevels; },
                         [&main](const engine::TColourLevels& levels) { main.SetColorLevels(levels); }};
  return config;
}

}  // namespace pvx::app

#include "support/TunedChannels.h"

#include <gtest/gtest.h>

#include "platform/ProgramFolder.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "tuning/CountryList.h"

namespace pvx::test {

void StoreTunedChannels() {
  const QString path = platform::ProgramFolder() + settings::TChannelSettingsFile::kFileName;
  settings::TChannelInfo channels;
  settings::TPreviewInfo preview(channels);
  // From the state a missing file leaves, as on a real first start.
  settings::TChannelSettingsFile::Load(path, channels, preview);
  ASSERT_TRUE(tuning::LoadCountryPlan(channels, System().CountryCode));
  channels.SetVideoSource(settings::TChannelInfo::kTuner);
  channels.SetTable(settings::TChannelInfo::kAntenna);
  ASSERT_TRUE(settings::TChannelSettingsFile::Save(path, channels, preview));
}

}  // namespace pvx::test

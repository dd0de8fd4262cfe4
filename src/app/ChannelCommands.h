#pragma once
// Channels: next, previous, recall, the scan, the first-run channel plan and the OSD text of
// a channel change.

#include <QString>

namespace pvx::settings {
class TChannelInfo;
}

namespace pvx::app {

struct TShell;

// "7", "7 Seven Sports" or "7 Seven Sports - Stereo": the number, the name when there is one
// and the audio mode that the channel's display text carries.
QString ChannelOSDText(const settings::TChannelInfo& channels, int channel, const QString& displayText);

// The name the current table gives channel n; empty when it has none.
QString ChannelName(const settings::TChannelInfo& channels, int channel);

// Until the setup wizard has run, the channels of the user's country plan are offered as they
// are: the first start of a scheduled recording, which nobody attends.
void FirstRunChannels(TShell& shell, int countryCode);

// The TV setup wizard on the channel object, with the mixer's sound lines; true on Finish.
bool SetupWizard(TShell& shell, bool firstRun);

}  // namespace pvx::app

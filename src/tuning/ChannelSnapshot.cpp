#include "tuning/ChannelSnapshot.h"

namespace pvx::tuning {

using settings::TChannelInfo;

TChannelSnapshot TChannelSnapshot::Take(const TChannelInfo& c) {
  return {c.AntennaChannels, c.CableChannels, c.TableIndex, c.Standard, c.TVSystemChoice,
          c.CableTypeChoice, c.CountryCode};
}

void TChannelSnapshot::Restore(TChannelInfo& c) const {
  c.AntennaChannels = Antenna;
  c.CableChannels = Cable;
  c.TableIndex = TableIndex;
  c.SetStandard(Standard);
  c.SetCountryCode(CountryCode);
  c.TVSystemChoice = TVSystemChoice;
  c.CableTypeChoice = CableTypeChoice;
}

}  // namespace pvx::tuning

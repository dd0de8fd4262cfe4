#include "tuning/ChannelSnapshot.h"

namespace pvx::tuning {

using settings::TChannelInfo;

TChannelSnapshot TChannelSnapshot::Take(const TChannelInfo& c) {
  return {c.AntennaChannels(), c.CableChannels(),   c.TableIndex(), c.Standard(),
          c.TVSystemChoice(),  c.CableTypeChoice(), c.CountryCode()};
}

void TChannelSnapshot::Restore(TChannelInfo& c) const {
  c.RestoreTables(Antenna, Cable);
  c.SetSetupChoices(CableTypeChoice, TableIndex, TVSystemChoice);
  c.SetStandard(Standard);
  c.SetCountryCode(CountryCode);
}

}  // namespace pvx::tuning

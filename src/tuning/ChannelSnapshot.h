#pragma once
// The channel tables and table choices as the setup wizard found them; Cancel writes them back.

#include "settings/ChannelInfo.h"

namespace pvx::tuning {

struct TChannelSnapshot {
  settings::TChannelInfo::TChannelTable Antenna{}, Cable{};
  quint8 TableIndex = 0, Standard = 0, TVSystemChoice = 0, CableTypeChoice = 0;
  qint32 CountryCode = 0;

  static TChannelSnapshot Take(const settings::TChannelInfo& channels);
  void Restore(settings::TChannelInfo& channels) const;
};

}  // namespace pvx::tuning

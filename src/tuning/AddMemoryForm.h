#pragma once
// Stores the current antenna or cable channel in a memory (favourite) entry.

#include "tuning/MemoryEntryDialog.h"

namespace pvx::settings {
class TChannelInfo;
}

namespace pvx::tuning {

class TFormAddMemoryChannel final : public TMemoryEntryDialog {
  Q_OBJECT
 public:
  explicit TFormAddMemoryChannel(settings::TChannelInfo& channels, QWidget* parent = nullptr);

  // Stores into the chosen entry while the antenna or cable table is current; closes either way.
  void BitBtnOKClick() override;

 private:
  settings::TChannelInfo& channels_;
};

// The dialog for the channel tables' current channel.
void AddMemoryChannel(settings::TChannelInfo& channels, QWidget* owner);

}  // namespace pvx::tuning

#pragma once
// Stores an FM frequency in one of the 50 FM memories.

#include "tuning/MemoryEntryDialog.h"

namespace pvx::settings {
class TChannelInfo;
}

namespace pvx::tuning {

class TFormAddFMFrequency final : public TMemoryEntryDialog {
  Q_OBJECT
 public:
  TFormAddFMFrequency(settings::TChannelInfo& channels, qint32 frequency, QWidget* parent = nullptr);

  void BitBtnOKClick() override;

  qint32 Frequency;

 private:
  settings::TChannelInfo& channels_;
};

// The dialog for `frequency`; nothing happens for 0 or less.
void AddFMFrequency(settings::TChannelInfo& channels, QWidget* owner, qint32 frequency);

}  // namespace pvx::tuning

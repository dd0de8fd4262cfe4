#include "tuning/AddFMForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "tuning/FrequencyText.h"

namespace pvx::tuning {

using settings::TChannelInfo;

namespace {

// The memory number proposed: the first empty one, else the first (overwritten on OK).
int FirstFreeFMMemory(const TChannelInfo& channels) {
  for (int i = 0; i < TChannelInfo::kMemoryCount; ++i)
    if (channels.FMChannels()[i].Frequency == 0) return i + 1;
  return 1;
}

}  // namespace

TFormAddFMFrequency::TFormAddFMFrequency(TChannelInfo& channels, qint32 frequency, QWidget* parent)
    : TMemoryEntryDialog("FormAddFMFrequency", "FM Channel", parent), Frequency(frequency), channels_(channels) {
  auto* shown = Named(new QLabel(FrequencyText(frequency), this), "LabelFrequency");
  shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);  // next to its unit
  auto* unit = Named(new QLabel("MHz", this), "LabelMHz");
  Build(shown, unit, FirstFreeFMMemory(channels), "FMAddChannel", {});
}

void TFormAddFMFrequency::BitBtnOKClick() {
  if (settings::TFMMemoryChannelRecord* entry = channels_.FMRecord(SpinEditMemory_->value())) {
    entry->Frequency = quint32(Frequency);
    entry->Name = EditChannelName_->text();
  }
  accept();
}

void AddFMFrequency(settings::TChannelInfo& channels, QWidget* owner, qint32 frequency) {
  if (frequency <= 0) return;
  TFormAddFMFrequency dialog(channels, frequency, owner);
  dialog.exec();
}

}  // namespace pvx::tuning

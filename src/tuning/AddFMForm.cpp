#include "tuning/AddFMForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>

#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "util/FrequencyFormat.h"

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
  auto* caption = Named(new QLabel("Frequency", this), "LabelFrequencyCaption");
  auto* shown = Named(new QLabel(util::MHzText(quint32(std::max(frequency, 0))), this), "LabelFrequency");
  Build(caption, shown, FirstFreeFMMemory(channels), "FMAddChannel", {{"Frequency", caption}});
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

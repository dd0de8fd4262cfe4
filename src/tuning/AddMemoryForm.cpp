#include "tuning/AddMemoryForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "settings/ChannelInfo.h"
#include "settings/Globals.h"

namespace pvx::tuning {

using settings::TChannelInfo;

namespace {

// The memory number proposed: the first entry in use, else the first.
int FirstUsedMemory(const TChannelInfo& channels) {
  for (int i = 0; i < TChannelInfo::kMemoryCount; ++i)
    if (channels.MemoryChannels()[i].Valid) return i + 1;
  return 1;
}

}  // namespace

TFormAddMemoryChannel::TFormAddMemoryChannel(TChannelInfo& channels, QWidget* parent)
    : TMemoryEntryDialog("FormAddMemoryChannel", "Memory Channel", parent), channels_(channels) {
  auto* caption = Named(new QLabel("Channel", this), "LabelChannel");
  auto* number = Named(new QLabel(QString::number(channels.CurrentChannel()), this), "LabelChannelNumber");
  Build(caption, number, FirstUsedMemory(channels), "FMAddChannel", {{"Channel", caption}});
}

void TFormAddMemoryChannel::BitBtnOKClick() {
  const int table = channels_.CurrentTable();
  if (table == TChannelInfo::kAntenna || table == TChannelInfo::kCable) {
    if (settings::TMemoryChannelRecord* entry = channels_.MemoryRecord(SpinEditMemory_->value())) {
      entry->Valid = true;
      entry->Source = quint8(table);
      entry->Channel = channels_.CurrentChannel();
      entry->Name = EditChannelName_->text();
    }
  }
  accept();
}

void AddMemoryChannel(settings::TChannelInfo& channels, QWidget* owner) {
  TFormAddMemoryChannel dialog(channels, owner);
  dialog.exec();
}

}  // namespace pvx::tuning

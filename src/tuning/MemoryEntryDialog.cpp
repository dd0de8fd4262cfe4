#include "tuning/MemoryEntryDialog.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace pvx::tuning {

// Room for a channel name typed in full.
constexpr int kNameWidth = 160;

TMemoryEntryDialog::TMemoryEntryDialog(const char* name, const char* title, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QLatin1String(name));
  setWindowTitle(QLatin1String(title));
}

void TMemoryEntryDialog::Build(QLabel* caption, QLabel* value, int memory, const char* titleKey,
                               TCaptions captions) {
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(caption, 0, 0);
  grid->addWidget(value, 0, 1);

  auto* labelMemo = Named(new QLabel("Memo to channel:", this), "LabelMemoChannel");
  SpinEditMemory_ = Named(new QSpinBox(this), "SpinEditMemory");
  SpinEditMemory_->setRange(1, kMemoryCount);
  SpinEditMemory_->setValue(memory);
  labelMemo->setBuddy(SpinEditMemory_);
  grid->addWidget(labelMemo, 1, 0);
  grid->addWidget(SpinEditMemory_, 1, 1, Qt::AlignLeft);

  auto* labelName = Named(new QLabel("Channel Name", this), "LabelChannelName");
  EditChannelName_ = Named(new QLineEdit(this), "EditChannelName");
  EditChannelName_->setMinimumWidth(kNameWidth);
  labelName->setBuddy(EditChannelName_);
  grid->addWidget(labelName, 2, 0);
  grid->addWidget(EditChannelName_, 2, 1);
  layout->addLayout(grid);
  auto [ok, cancel] = AddOKCancel(*this, *layout, [this] { BitBtnOKClick(); });

  captions.insert(captions.end(), {{"FMMemoChannel", labelMemo}, {"FMChannelName", labelName},
                                   {"OK", ok}, {"Cancel", cancel}});
  ApplyLanguage(*this, titleKey, captions);
  setTabOrder(SpinEditMemory_, EditChannelName_);
  setTabOrder(EditChannelName_, ok);
  setTabOrder(ok, cancel);
  SpinEditMemory_->setFocus();
  FixToContents(*this, *layout);
}

}  // namespace pvx::tuning

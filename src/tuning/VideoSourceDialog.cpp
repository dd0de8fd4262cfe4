#include "tuning/VideoSourceDialog.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/PreviewInfo.h"
#include "tuning/DialogParts.h"

namespace pvx::tuning {
namespace {

struct Item {
  const char* name;
  const char* text;
  const char* key;
};
constexpr Item kItems[] = {{"RadioButtonAntenna", "Antenna", "Antenna"},
                           {"RadioButtonCable", "Cable", "Cable"},
                           {"RadioButtonComposite", "Composite", "Composite"},
                           {"RadioButtonSVideo", "S-Video", "SVideo"},
                           {"RadioButtonCamera", "Camera", "Camera"}};
constexpr int kCameraItem = 4;
// Antenna and cable are the entries that take a channel.
constexpr int kLastTunerItem = 1;

}  // namespace

TFormVideoSource::TFormVideoSource(settings::TSourceMapCell& cell, bool hasCamera,
                                   int currentChannel, QWidget* parent)
    : QDialog(parent), cell_(cell) {
  setObjectName("FormVideoSource");
  setWindowTitle("Video Source");
  auto* layout = new QVBoxLayout(this);

  RadioGroupSource_ = Named(new QGroupBox("Video Source", this), "RadioGroupSource");
  auto* list = new QVBoxLayout(RadioGroupSource_);
  items_ = new QButtonGroup(this);
  const int count = hasCamera ? kCameraItem + 1 : kCameraItem;
  for (int i = 0; i < count; ++i) {
    auto* button = Named(new QRadioButton(kItems[i].text, RadioGroupSource_), kItems[i].name);
    items_->addButton(button, i);
    list->addWidget(button);
  }
  layout->addWidget(RadioGroupSource_);

  auto* channelRow = new QHBoxLayout;
  LabelChannel_ = Named(new QLabel("Channel", this), "LabelChannel");
  SpinEditChannel_ = Named(new QSpinBox(this), "SpinEditChannel");
  SpinEditChannel_->setRange(1, kMaxChannel);
  LabelChannel_->setBuddy(SpinEditChannel_);
  channelRow->addWidget(LabelChannel_);
  channelRow->addWidget(SpinEditChannel_);
  channelRow->addStretch(1);
  layout->addLayout(channelRow);
  auto [ok, cancel] = AddOKCancel(*this, *layout, [this] { BitBtnOKClick(); });

  const bool set = cell.Kind > 0;
  SetItemIndex(set && cell.Kind <= count ? cell.Kind - 1 : 0);
  SpinEditChannel_->setValue(set ? cell.Channel : currentChannel);
  connect(items_, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) RadioGroupSourceClick();
  });

  TCaptions captions = {{"MapSource", RadioGroupSource_}, {"Channel", LabelChannel_}, {"OK", ok}, {"Cancel", cancel}};
  for (int i = 0; i < count; ++i) captions.emplace_back(kItems[i].key, items_->button(i));
  ApplyLanguage(*this, "MapSource", captions);
  setTabOrder(items_->button(ItemIndex()), SpinEditChannel_);
  setTabOrder(SpinEditChannel_, ok);
  setTabOrder(ok, cancel);
  items_->button(ItemIndex())->setFocus();
  FixToContents(*this, *layout);
}

int TFormVideoSource::ItemIndex() const { return items_->checkedId(); }

void TFormVideoSource::SetItemIndex(int index) {
  if (QAbstractButton* button = items_->button(index)) button->setChecked(true);
  RadioGroupSourceClick();
}

void TFormVideoSource::RadioGroupSourceClick() {
  const bool tuner = ItemIndex() <= kLastTunerItem;
  LabelChannel_->setEnabled(tuner);
  SpinEditChannel_->setEnabled(tuner);
}

void TFormVideoSource::BitBtnOKClick() {
  // A disabled channel box still gives its value.
  cell_.Kind = quint8(ItemIndex() + 1);
  cell_.Channel = SpinEditChannel_->value();
  accept();
}

bool EditSourceMap(QWidget* owner, settings::TSourceMapCell& cell, bool hasCamera, int currentChannel) {
  TFormVideoSource dialog(cell, hasCamera, currentChannel, owner);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pvx::tuning

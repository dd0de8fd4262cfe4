#include "ui/settings/ServingGroup.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "util/QrCode.h"

namespace pvx::ui {
namespace {

// The code's side at 100% scale: large enough for a phone's camera at arm's length.
constexpr int kCodeSide = 150;

}  // namespace

TServingGroup::TServingGroup(QWidget* parent) : QGroupBox(QStringLiteral("Home network"), parent) {
  setObjectName(QStringLiteral("GroupBoxServing"));
  auto* grid = new QGridLayout(this);
  CheckBoxServe_ = Named(new QCheckBox(QStringLiteral("Let phones and computers watch and control the program"), this),
                         "CheckBoxServe");
  CheckBoxServeOtherDevices_ = Named(
      new QCheckBox(QStringLiteral("Allow other devices on the home network (otherwise this computer only)"), this),
      "CheckBoxServeOtherDevices");
  EditServingAddress_ = Named(new QLineEdit(this), "EditServingAddress");
  EditServingAddress_->setReadOnly(true);
  labelAddress_ = new QLabel(QStringLiteral("Address"), this);
  labelAddress_->setBuddy(EditServingAddress_);
  BitBtnCopyAddress_ = Named(new QPushButton(QStringLiteral("Copy"), this), "BitBtnCopyAddress");
  LabelServingNote_ = Named(new QLabel(QStringLiteral("The address contains a secret token: anyone who has it "
                                                      "can watch and control the program."),
                                       this),
                            "LabelServingNote");
  LabelServingNote_->setWordWrap(true);
  LabelServingCode_ = Named(new QLabel(this), "LabelServingCode");
  LabelServingCode_->hide();
  BitBtnApplyServing_ = Named(new QPushButton(QStringLiteral("Apply"), this), "BitBtnApplyServing");
  for (QPushButton* button : {BitBtnCopyAddress_, BitBtnApplyServing_}) button->setAutoDefault(false);
  grid->addWidget(CheckBoxServe_, 0, 0, 1, 3);
  grid->addWidget(CheckBoxServeOtherDevices_, 1, 0, 1, 3);
  grid->addWidget(labelAddress_, 2, 0);
  grid->addWidget(EditServingAddress_, 2, 1);
  grid->addWidget(BitBtnCopyAddress_, 2, 2);
  grid->addWidget(LabelServingCode_, 3, 1, Qt::AlignLeft);
  grid->addWidget(LabelServingNote_, 4, 0, 1, 3);
  grid->addWidget(BitBtnApplyServing_, 5, 2);
  grid->setColumnStretch(1, 1);

  connect(CheckBoxServe_, &QCheckBox::toggled, this, &TServingGroup::Follow);
  connect(BitBtnCopyAddress_, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(EditServingAddress_->text()); });
  connect(BitBtnApplyServing_, &QPushButton::clicked, this, [this] {
    if (OnApply) OnApply();
  });
  Follow();
}

void TServingGroup::Load(bool on, bool otherDevices) {
  CheckBoxServe_->setChecked(on);
  CheckBoxServeOtherDevices_->setChecked(otherDevices);
  EditServingAddress_->clear();
  ShowCode({});
  addressPending_ = on;
  ApplyItemTexts();
  Follow();
}

bool TServingGroup::On() const { return CheckBoxServe_->isChecked(); }
bool TServingGroup::OtherDevices() const { return CheckBoxServeOtherDevices_->isChecked(); }

void TServingGroup::ShowAddress(const QString& address) {
  addressPending_ = false;
  EditServingAddress_->setText(address);
  ShowCode(address);
  ApplyItemTexts();
  Follow();
}

// Whole device pixels per module and black on white whatever the theme: a camera reads a sharp,
// high-contrast code.
void TServingGroup::ShowCode(const QString& address) {
  const QImage code = util::QrCodeImage(address);
  LabelServingCode_->setVisible(!code.isNull());
  if (code.isNull()) {
    LabelServingCode_->clear();
    return;
  }
  const qreal ratio = devicePixelRatioF();
  const int module = std::max(1, qRound(kCodeSide * ratio / code.width()));
  QPixmap pixmap = QPixmap::fromImage(code.scaled(code.size() * module, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  pixmap.setDevicePixelRatio(ratio);
  LabelServingCode_->setPixmap(pixmap);
}

// The second choice only counts while serving; there is nothing to copy without an address.
void TServingGroup::Follow() {
  CheckBoxServeOtherDevices_->setEnabled(CheckBoxServe_->isChecked());
  BitBtnCopyAddress_->setEnabled(!EditServingAddress_->text().isEmpty());
}

TCaptionList TServingGroup::Captions() {
  return {{"ServeGroup", this},
          {"ServeOn", CheckBoxServe_},
          {"ServeOtherDevices", CheckBoxServeOtherDevices_},
          {"ServeAddress", labelAddress_},
          {"Copy", BitBtnCopyAddress_},
          {"ServeTokenNote", LabelServingNote_},
          {"ServeApply", BitBtnApplyServing_}};
}

void TServingGroup::ApplyItemTexts() {
  EditServingAddress_->setPlaceholderText(
      addressPending_ ? Text("ServeShownAfterApply", QStringLiteral("Shown after Apply")) : QString());
  // A label with a picture has no caption to translate, so its tip stands in for one.
  const QString scan = Text("ServeCode", QStringLiteral("Scan with a phone to open the page"));
  LabelServingCode_->setToolTip(scan);
  LabelServingCode_->setAccessibleName(scan);
}

}  // namespace pvx::ui

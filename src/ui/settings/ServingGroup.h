#pragma once
// The Other page's home network group: whether the program serves its page, to whom, and the
// page's address once a choice was applied (the address holds the access token, so it is never
// read back from the server on opening).

#include <QGroupBox>
#include <functional>

#include "ui/settings/ConfigText.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pvx::ui {

class TServingGroup final : public QGroupBox {
  Q_OBJECT
 public:
  explicit TServingGroup(QWidget* parent);

  void Load(bool on, bool otherDevices);
  bool On() const;
  bool OtherDevices() const;
  // The answer of the server to an applied choice: its address, empty when it does not serve.
  void ShowAddress(const QString& address);
  TCaptionList Captions();
  void ApplyItemTexts();

  // The group's Apply button: the choice taken at once, without closing the dialog.
  std::function<void()> OnApply;

 private:
  void Follow();
  void ShowCode(const QString& address);

  QCheckBox *CheckBoxServe_, *CheckBoxServeOtherDevices_;
  QLabel *labelAddress_, *LabelServingNote_, *LabelServingCode_;
  QLineEdit* EditServingAddress_;
  QPushButton *BitBtnCopyAddress_, *BitBtnApplyServing_;
  // Serving when the dialog opened: the address is there but shown only after Apply.
  bool addressPending_ = false;
};

}  // namespace pvx::ui

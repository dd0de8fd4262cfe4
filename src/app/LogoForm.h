#pragma once
// The splash window: QLOGO.BMP on a borderless, stay-on-top window. Without the bitmap the
// window exists but stays hidden.

#include <QWidget>

class QLabel;

namespace pvx::app {

class TFormLogo final : public QWidget {
  Q_OBJECT
 public:
  TFormLogo();
  // Loads the bitmap and shows the window when the bitmap exists.
  void ShowLogo();
  void RepaintLogo();
  bool HasLogo() const { return hasLogo_; }

 private:
  QLabel* Image_;
  bool hasLogo_ = false;
};

}  // namespace pvx::app

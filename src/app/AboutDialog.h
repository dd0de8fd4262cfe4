#pragma once
// The About dialog: the product texts, with the web page and mail address as links.

#include <QDialog>

class QLabel;
class QPushButton;

namespace pvx::util {
class TOEMInfo;
}

namespace pvx::app {

class TDialogAbout final : public QDialog {
  Q_OBJECT
 public:
  TDialogAbout(const util::TOEMInfo& info, QWidget* parent = nullptr);

  // Opens the web page or the mail address, as a click on their labels does.
  void LabelWWWClick();
  void LabelEmailClick();

 private:
  QString web_, mail_;
};

}  // namespace pvx::app

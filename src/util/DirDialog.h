#pragma once
// The folder chooser component: a title shown to the user and the folder chosen.

#include <QString>

class QWidget;

namespace pvx::util {

class TDirDialog {
 public:
  explicit TDirDialog(QWidget* owner = nullptr) : owner_(owner) {}

  QString Title;
  QString Directory;

  // Shows the chooser; true with Directory set when the user picked a folder.
  bool Execute();

 private:
  QWidget* owner_;
};

}  // namespace pvx::util

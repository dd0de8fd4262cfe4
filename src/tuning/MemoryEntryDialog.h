#pragma once
// The shape both add-to-memory dialogs share: what is being stored, the memory number it goes
// to (1..50) and a name for it.

#include <QDialog>

#include "tuning/DialogParts.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace pvx::tuning {

class TMemoryEntryDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMemoryCount = 50;

  virtual void BitBtnOKClick() = 0;

 protected:
  TMemoryEntryDialog(const char* name, const char* title, QWidget* parent);
  // Lays out `caption` and `value` above the memory number (starting at `memory`) and the
  // name, then applies the language under `titleKey` to them and to `captions`.
  void Build(QLabel* caption, QLabel* value, int memory, const char* titleKey, TCaptions captions);

  QSpinBox* SpinEditMemory_ = nullptr;
  QLineEdit* EditChannelName_ = nullptr;
};

}  // namespace pvx::tuning

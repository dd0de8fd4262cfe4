#pragma once
// The modal warning window: one line per message on a red field, and OK.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pvx::app {

class TFormWarning final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormWarning(const QStringList& lines, QWidget* parent = nullptr);

  // Applies the active language's "Warning" and "OK" texts and font size.
  void FormCreate();

 private:
  QLabel* Image1_;
  QLabel* LabelWarning_;
  QPlainTextEdit* MemoErrorDesc_;
  QPushButton* BitBtnOK_;
};

// Makes the platform dialog service show warnings in TFormWarning.
void InstallWarningForm();

}  // namespace pvx::app

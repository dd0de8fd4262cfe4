#pragma once
// One snapshot at full size below a tool bar that saves it or copies it to the clipboard.

#include <QDialog>
#include <QImage>

class QPushButton;
class QWidget;

namespace pvx::snapshots {

class TFormShowImage final : public QDialog {
  Q_OBJECT
 public:
  TFormShowImage(const QImage& picture, QWidget* parent = nullptr);

  void BitBtnSaveClick();
  void BitBtnCopyToClipperBoardClick();

  const QImage& Picture() const { return picture_; }
  QPushButton* BitBtnSave() const { return BitBtnSave_; }
  QPushButton* BitBtnCopyToClipperBoard() const { return BitBtnCopyToClipperBoard_; }
  int ToolBarHeight() const;

 private:
  QImage picture_;
  QWidget* toolBar_ = nullptr;
  QPushButton* BitBtnSave_ = nullptr;
  QPushButton* BitBtnCopyToClipperBoard_ = nullptr;
};

}  // namespace pvx::snapshots

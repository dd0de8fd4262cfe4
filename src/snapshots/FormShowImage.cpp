#include "snapshots/FormShowImage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "snapshots/FormTexts.h"
#include "snapshots/PictureSaveDialog.h"
#include "snapshots/SnapshotInfo.h"

namespace pvx::snapshots {

namespace {

// The picture stretched over the whole area.
class TPictureArea final : public QWidget {
 public:
  TPictureArea(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
    setObjectName("ImagePicture");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (!picture_.isNull()) painter.drawImage(rect(), picture_);
  }

 private:
  const QImage& picture_;
};

}  // namespace

TFormShowImage::TFormShowImage(const QImage& picture, QWidget* parent) : QDialog(parent), picture_(picture) {
  setObjectName("FormShowImage");
  ApplyLanguageFont(*this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  toolBar_ = new QWidget(this);
  auto* buttons = new QHBoxLayout(toolBar_);
  buttons->setContentsMargins(4, 4, 4, 4);
  BitBtnSave_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), {}, toolBar_);
  BitBtnSave_->setObjectName("BitBtnSave");
  BitBtnCopyToClipperBoard_ = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogDetailedView), {}, toolBar_);
  BitBtnCopyToClipperBoard_->setObjectName("BitBtnCopyToClipperBoard");
  ApplyText(BitBtnSave_, nullptr, "SavePic", "Save");
  ApplyText(BitBtnCopyToClipperBoard_, nullptr, "Copy", "Copy");
  buttons->addWidget(BitBtnSave_);
  buttons->addWidget(BitBtnCopyToClipperBoard_);
  buttons->addStretch();
  layout->addWidget(toolBar_);
  layout->addWidget(new TPictureArea(picture_, this), 1);
  connect(BitBtnSave_, &QPushButton::clicked, this, &TFormShowImage::BitBtnSaveClick);
  connect(BitBtnCopyToClipperBoard_, &QPushButton::clicked, this, &TFormShowImage::BitBtnCopyToClipperBoardClick);

  setWindowTitle(QString("%1 X %2").arg(picture_.width()).arg(picture_.height()));
  // The picture at its own size below the tool bar; a tiny one still shows both buttons.
  resize(qMax(picture_.width(), toolBar_->sizeHint().width()), picture_.height() + ToolBarHeight());
  BitBtnSave_->setFocus();
}

int TFormShowImage::ToolBarHeight() const { return toolBar_->sizeHint().height(); }

void TFormShowImage::BitBtnSaveClick() {
  const QString name = RunPictureSaveDialog(this);
  if (!name.isEmpty()) WritePicture(picture_, name);
}

void TFormShowImage::BitBtnCopyToClipperBoardClick() {
  if (!picture_.isNull()) QGuiApplication::clipboard()->setImage(picture_);
}

}  // namespace pvx::snapshots

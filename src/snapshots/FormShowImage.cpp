#include "snapshots/FormShowImage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "snapshots/FormTexts.h"
#include "snapshots/PictureSaveDialog.h"
#include "snapshots/SnapshotInfo.h"

namespace pvx::snapshots {

namespace {

constexpr int kMinWidth = 640;

// The picture as large as the area allows, in its own shape, on black.
class TPictureArea final : public QWidget {
 public:
  TPictureArea(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
    setObjectName("ImagePicture");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (picture_.isNull()) return;
    QRect fit(QPoint(), picture_.size().scaled(size(), Qt::KeepAspectRatio));
    fit.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fit, picture_);
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
  // The picture below the tool bar at its own size, a small one (a preview-sized grab) doubled
  // up to at least 640 wide, within the screen; a tiny one still shows both buttons.
  QSize shown = picture_.size();
  if (!shown.isEmpty() && shown.width() < kMinWidth) shown = shown.scaled(kMinWidth, kMinWidth * 4, Qt::KeepAspectRatio);
  if (const QScreen* s = screen(); s && !shown.isEmpty()) {
    const QSize room = s->availableSize() * 9 / 10 - QSize(0, ToolBarHeight());
    if (!room.isEmpty() && (shown.width() > room.width() || shown.height() > room.height()))
      shown = shown.scaled(room, Qt::KeepAspectRatio);
  }
  resize(qMax(shown.width(), toolBar_->sizeHint().width()), shown.height() + ToolBarHeight());
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

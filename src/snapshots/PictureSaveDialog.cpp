#include "snapshots/PictureSaveDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace pvx::snapshots {

namespace {

TPictureChooser& Chooser() {
  static TPictureChooser chooser;
  return chooser;
}

TPictureChoice AskWithFileDialog(QWidget* parent, const QString& proposed, const QStringList& filters) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  dialog.selectFile(proposed);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter()))};
}

}  // namespace

void SetPictureChooser(TPictureChooser chooser) { Chooser() = std::move(chooser); }

QString RunPictureSaveDialog(QWidget* parent) {
  static const QStringList filters = {"Jpeg files (*.jpg *.jpeg)", "Bitmap files (*.bmp)"};
  const TPictureChooser& ask = Chooser() ? Chooser() : TPictureChooser(AskWithFileDialog);
  TPictureChoice choice = ask(parent, "Snapshot", filters);
  if (choice.FileName.isEmpty()) return {};
  if (QFileInfo(choice.FileName).suffix().isEmpty()) choice.FileName += choice.FilterIndex == 0 ? ".jpg" : ".bmp";
  return choice.FileName;
}

}  // namespace pvx::snapshots

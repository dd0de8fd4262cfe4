#include "platform/QtDialogService.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace pvx::platform {
namespace {

QMessageBox::StandardButtons ToQt(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

std::unique_ptr<QDialog> PlainWarning(const QStringList& lines) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, "Warning", lines.join('\n'),
                                           QMessageBox::Ok);
  return box;
}

}  // namespace

MsgResult QtDialogService::MessageBox(const QString& text, const QString& caption,
                                      MsgButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, ToQt(buttons), QApplication::activeWindow());
  switch (box.exec()) {
    case QMessageBox::Ok: return MsgResult::Ok;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
  }
}

void QtDialogService::ShowWarning(const QStringList& lines) {
  std::unique_ptr<QDialog> dialog = warningFactory_ ? warningFactory_(lines) : PlainWarning(lines);
  if (!dialog) return;
  openWarning_ = dialog.get();
  dialog->exec();
  openWarning_ = nullptr;
}

void QtDialogService::CloseWarning() {
  if (openWarning_) openWarning_->accept();
}

QString QtDialogService::BrowseFolder(const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start,
                                           QFileDialog::ShowDirsOnly);
}

}  // namespace pvx::platform

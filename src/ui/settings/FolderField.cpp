#include "ui/settings/FolderField.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "platform/DialogService.h"
#include "ui/settings/ConfigText.h"
#include "util/Folders.h"

namespace pvx::ui {

bool FolderAccepted(const QString& folder) {
  return util::EnsureFolder(folder) && QFileInfo(folder).isWritable();
}

void ReportRefusedFolder(const QString& folder, const QString& kept) {
  const QString text =
      QStringLiteral("The folder \"%1\" cannot hold recordings: it is read-only or cannot be "
                     "created. Please choose another folder.")
          .arg(folder);
  platform::Dialogs().MessageBox(kept.isEmpty() ? text : text + QStringLiteral("\n\nThe folder \"%1\" is kept.").arg(kept),
                                 Text("Setup", QStringLiteral("Setup")), platform::MsgButtons::Ok);
}

void ReportRefusedBaseName(const QString& name, const QString& kept) {
  platform::Dialogs().MessageBox(
      QStringLiteral("The file name \"%1\" cannot be used: a name may not contain \"/\" or control "
                     "characters, be \".\" or \"..\", or be longer than 240 bytes.\n\nThe name \"%2\" is kept.")
          .arg(name, kept),
      Text("Setup", QStringLiteral("Setup")), platform::MsgButtons::Ok);
}

TFolderField::TFolderField(const char* editName, const char* buttonName, QWidget* parent)
    : QWidget(parent),
      edit_(Named(new QLineEdit(this), editName)),
      button_(Named(new QToolButton(this), buttonName)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(edit_, 1);
  row->addWidget(button_);
  button_->setText(QStringLiteral("..."));
  button_->setToolTip(Text("ChooseFolder", QStringLiteral("Choose a folder")));
  connect(button_, &QToolButton::clicked, this, &TFolderField::Browse);
  setFocusProxy(edit_);
}

QString TFolderField::Folder() const { return edit_->text(); }

void TFolderField::SetFolder(const QString& folder) { edit_->setText(folder); }

void TFolderField::Browse() {
  const QString chosen = util::BrowseFolder(window());
  if (chosen.isEmpty()) return;
  if (!FolderAccepted(chosen)) {
    ReportRefusedFolder(chosen, {});
    return;
  }
  edit_->setText(chosen);
}

}  // namespace pvx::ui

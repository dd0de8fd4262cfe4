#pragma once
// A folder edit field with its browse button. A chosen folder that cannot hold recordings (on a
// read-only or optical mount, not writable, or not creatable) is refused with a message.

#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace pvx::ui {

// True when recordings can be written to the folder (created when missing, one level).
bool FolderAccepted(const QString& folder);
// Tells the user why the folder is not taken and that `kept` stays.
void ReportRefusedFolder(const QString& folder, const QString& kept);
// Tells the user why the base name (see util::BaseNameAccepted) is not taken and that `kept` stays.
void ReportRefusedBaseName(const QString& name, const QString& kept);

class TFolderField final : public QWidget {
  Q_OBJECT
 public:
  TFolderField(const char* editName, const char* buttonName, QWidget* parent);

  QString Folder() const;
  void SetFolder(const QString& folder);
  QLineEdit* Edit() const { return edit_; }
  QToolButton* Button() const { return button_; }

 private:
  void Browse();

  QLineEdit* edit_;
  QToolButton* button_;
};

}  // namespace pvx::ui

#pragma once
// Modal dialogs (message boxes, the warning window, the folder browser) behind one interface,
// so tests can answer them without a person.

#include <QString>
#include <QStringList>

namespace pvx::platform {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // A plain message box; returns the button pressed (Cancel or No when closed otherwise).
  virtual MsgResult MessageBox(const QString& text, const QString& caption, MsgButtons buttons) = 0;
  // The modal warning window, one line per message; returns when it is dismissed.
  virtual void ShowWarning(const QStringList& lines) = 0;
  // Ends an open warning as if OK had been pressed; nothing when none is open.
  virtual void CloseWarning() = 0;
  // A folder chooser titled `title`; the chosen folder without a trailing "/", or empty when
  // the user cancelled.
  virtual QString BrowseFolder(const QString& title, const QString& start) = 0;
};

IDialogService& Dialogs();
// Installs a dialog service; nullptr restores the Qt one. The caller keeps ownership.
void SetDialogs(IDialogService* service);

}  // namespace pvx::platform

#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/DialogService.h"


namespace pvx::platform {

class QtDialogService final : public IDialogService {
 public:
  // Builds the warning window; the application installs its own form here.
  using WarningFactory = std::function<std::unique_ptr<QDialog>(const QStringList& lines)>;
  void SetWarningFactory(WarningFactory factory) { warningFactory_ = std::move(factory); }

  MsgResult MessageBox(const QString& text, const QString& caption, MsgButtons buttons) override;
  void ShowWarning(const QStringList& lines) override;
  void CloseWarning() override;
  QString BrowseFolder(const QString& title, const QString& start) override;

  // The warning window while it is open, else nullptr.
  QDialog* OpenWarning() const { return openWarning_; }

 private:
  WarningFactory warningFactory_;
  QPointer<QDialog> openWarning_;
};

// The Qt service used when no other is installed.
QtDialogService& DefaultDialogs();

}  // namespace pvx::platform

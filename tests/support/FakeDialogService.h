#pragma once
// Dialogs answered from a queue, with a record of everything shown.

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "platform/DialogService.h"

namespace pvx::test {

class FakeDialogService final : public platform::IDialogService {
 public:
  struct Box {
    QString text, caption;
    platform::MsgButtons buttons;
  };

  std::vector<QStringList> Warnings;
  std::vector<Box> Boxes;
  std::deque<platform::MsgResult> BoxAnswers;  // empty: Ok
  std::deque<QString> FolderAnswers;           // empty: cancelled
  QStringList FolderTitles;
  int CloseWarningCalls = 0;
  // Runs while a warning is "open", as a timer or a posted message would.
  std::function<void()> WhileWarningOpen;

  platform::MsgResult MessageBox(const QString& text, const QString& caption,
                                 platform::MsgButtons buttons) override;
  void ShowWarning(const QStringList& lines) override;
  void CloseWarning() override { ++CloseWarningCalls; }
  QString BrowseFolder(const QString& title, const QString& start) override;
};

}  // namespace pvx::test

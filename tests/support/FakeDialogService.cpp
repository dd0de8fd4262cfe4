#include "support/FakeDialogService.h"

namespace pvx::test {

platform::MsgResult FakeDialogService::MessageBox(const QString& text, const QString& caption,
                                                  platform::MsgButtons buttons) {
  Boxes.push_back({text, caption, buttons});
  if (BoxAnswers.empty()) return platform::MsgResult::Ok;
  const platform::MsgResult answer = BoxAnswers.front();
  BoxAnswers.pop_front();
  return answer;
}

void FakeDialogService::ShowWarning(const QStringList& lines) {
  Warnings.push_back(lines);
  if (WhileWarningOpen) {
    auto hook = std::move(WhileWarningOpen);
    WhileWarningOpen = nullptr;
    hook();
  }
}

QString FakeDialogService::BrowseFolder(const QString& title, const QString&) {
  FolderTitles << title;
  if (FolderAnswers.empty()) return {};
  QString answer = FolderAnswers.front();
  FolderAnswers.pop_front();
  return answer;
}

}  // namespace pvx::test

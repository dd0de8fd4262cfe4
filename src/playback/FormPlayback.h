#pragma once
// The "Playback" dialog: the play list is built from the recordings made (Done page) and the
// files played lately (Recent page), plus imported files; recordings can be deleted or renamed.
// OK hands the list to PlaybackInfo->PlayList.

#include <QDialog>
#include <QStringList>
#include <functional>
#include <set>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace pvx::playback {

class TPlaybackInfo;

class TFormPlayback final : public QDialog {
  Q_OBJECT
 public:
  // The dialog shows and edits `lists` (none: empty lists). fmPanelShown picks the audio filters
  // for Import.
  explicit TFormPlayback(TPlaybackInfo* lists, QWidget* parent = nullptr, bool fmPanelShown = false);

  void FormCreate();
  void PageControlPlayListChange();
  void BitBtnAddClick();
  void BitBtnDeleteClick();
  void BitBtnDeleteAllClick();
  void BitBtnRenameClick();
  void BitBtnImportClick();
  void BitBtnClearClick();
  void BitBtnOKClick();
  void EditItemExit();

  bool IsMarked(int row) const { return marks_.count(row) > 0; }
  const TPlaybackInfo* Lists() const { return lists_; }
  bool MarksClear() const { return marks_.empty(); }

  // The file chooser behind Import: takes a filter ("Text|patterns|..."), returns the chosen
  // files, empty when cancelled. Defaults to the desktop's open dialog.
  std::function<QStringList(const QString& filter)> OpenDialog;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TPlaybackInfo* lists_;
  void FillDoneGrid();
  void FillRecentGrid();
  void FitDoneColumns();
  // Appends the row's file to the play list; a vanished file is reported and dropped.
  void AddRow(QTableWidget& grid, int row);
  void AppendUnique(const QString& path);
  void ToggleMark(int row);
  void ClearMarks();
  void DeleteMarkedRows(bool deleteFiles);
  void StringGridDoneListDblClick(int row);
  void StringGridRecentPlayListDblClick(int row);

  bool fmPanelShown_;
  int renameRow_ = -1;
  std::set<int> marks_;
  QString DeletePrompt_;
  QTabWidget* PageControlPlayList_;
  QWidget* TabSheetDone_;
  QWidget* TabSheetRecent_;
  QTableWidget* StringGridDoneList_;
  QLineEdit* EditItem_;
  QTableWidget* StringGridRecentPlayList_;
  QWidget* PanelPlayList_;
  QLabel* LabelPlayList_;
  QListWidget* ListBoxPlayback_;
  QPushButton* BitBtnImport_;
  QPushButton* BitBtnClear_;
  QPushButton* BitBtnAdd_;
  QPushButton* BitBtnDelete_;
  QPushButton* BitBtnDeleteAll_;
  QPushButton* BitBtnRename_;
  QPushButton* BitBtnOK_;
  QPushButton* BitBtnCancel_;
};

// Shows the dialog modally; true when it closed with OK.
bool ShowPlaybackDialog(TPlaybackInfo& lists, QWidget* parent = nullptr, bool fmPanelShown = false);

// A file name typed for a recording is taken only when it keeps the file in its folder.
bool IsPlainFileName(const QString& name);

// "Text|patterns|Text|patterns" as a desktop file-dialog filter.
QString ToDialogFilter(const QString& filter);

}  // namespace pvx::playback

#include "playback/FormPlayback.h"

#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>

#include "platform/DialogService.h"
#include "playback/FormTexts.h"
#include "playback/PlaybackInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "util/GridRows.h"
#include "util/TimeFormat.h"

namespace pvx::playback {
namespace {

constexpr int kNoItemsToPlayback = 1105;
constexpr int kFileNameColumn = 0;
constexpr int kFolderColumn = 4;
const char* const kAudioFilter = "Wave files (*.wav;*.wave)|*.wav;*.wave|MP3 files (*.mp3)|*.mp3";
const char* const kVideoFilter = "Mpeg files (*.mpg;*.mpeg)|*.mpg;*.mpeg|AVI files (*.avi)|*.avi";

struct Column {
  const char* key;
  const char* title;
  int width;
};
constexpr Column kDoneColumns[] = {{"CaptureFilename", "File Name", 170}, {"StartingTime", "Starting Time", 113},
                                   {"Duration", "Duration", 75},          {"Channel", "Channel", 56},
                                   {"StoredPath", "Stored Path", 262},    {"Description", "Description", 142}};

QString StartingTimeText(const QDateTime& when) {
  const QLocale locale = settings::LanguageLocale();
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove('t');  // no zone name in a list of local times
  return locale.toString(when.date(), QLocale::ShortFormat) + ' ' + when.time().toString(timeFormat.trimmed());
}

// Marked rows are drawn like the selected one; text sits 2 pixels in from the cell's corner.
class DoneGridDelegate final : public QStyledItemDelegate {
 public:
  DoneGridDelegate(const TFormPlayback& form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool listed = form_.Lists() && !form_.Lists()->Items.empty();
    const bool lit = form_.IsMarked(index.row()) || (listed && (option.state & QStyle::State_Selected));
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, lit ? palette.highlight() : palette.base());
    painter->setPen(lit ? QColor(Qt::white) : QColor(Qt::black));
    painter->drawText(option.rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, option.rect.width() - 4));
  }

 private:
  const TFormPlayback& form_;
};

QPushButton* Button(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap icon,
                    QRect geometry) {
  auto* button = new QPushButton(parent->style()->standardIcon(icon), text, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(geometry);
  return button;
}

QTableWidget* Grid(QWidget* parent, const char* name, int columns) {
  auto* grid = new QTableWidget(1, columns, parent);
  grid->setObjectName(QLatin1String(name));
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(20);
  grid->horizontalHeader()->setHighlightSections(false);
  grid->setWordWrap(false);
  QPalette palette = grid->horizontalHeader()->palette();
  palette.setColor(QPalette::ButtonText, Qt::blue);
  grid->horizontalHeader()->setPalette(palette);
  return grid;
}

void SetCell(QTableWidget& grid, int row, int column, const QString& text) {
  if (QTableWidgetItem* item = grid.item(row, column))
    item->setText(text);
  else
    grid.setItem(row, column, new QTableWidgetItem(text));
}

QString Cell(const QTableWidget& grid, int row, int column) {
  const QTableWidgetItem* item = grid.item(row, column);
  return item ? item->text() : QString();
}

bool HasRow(const QTableWidget& grid, int row, std::size_t entries) {
  return row >= 0 && row < static_cast<int>(entries);
}

}  // namespace

bool IsPlainFileName(const QString& name) {
  return !name.trimmed().isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\');
}

QString ToDialogFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) filters << QString(parts[i]).replace(';', ' ');
  return filters.join(";;");
}

TFormPlayback::TFormPlayback(TPlaybackInfo* lists, QWidget* parent, bool fmPanelShown)
    : QDialog(parent), lists_(lists), fmPanelShown_(fmPanelShown) {
  setObjectName("FormPlayback");
  setWindowTitle("Playback");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(576, 439);

  PageControlPlayList_ = new QTabWidget(this);
  PageControlPlayList_->setObjectName("PageControlPlayList");
  PageControlPlayList_->setGeometry(8, 8, 394, 370);
  TabSheetDone_ = new QWidget;
  TabSheetDone_->setObjectName("TabSheetDone");
  TabSheetRecent_ = new QWidget;
  TabSheetRecent_->setObjectName("TabSheetRecent");
  PageControlPlayList_->addTab(TabSheetDone_, "Recordings");
  PageControlPlayList_->addTab(TabSheetRecent_, "Recent Files");
  const QRect page(4, 4, 380, 330);

  StringGridDoneList_ = Grid(TabSheetDone_, "StringGridDoneList", std::size(kDoneColumns));
  StringGridDoneList_->setGeometry(page);
  StringGridDoneList_->setItemDelegate(new DoneGridDelegate(*this, StringGridDoneList_));
  for (int c = 0; c < static_cast<int>(std::size(kDoneColumns)); ++c) {
    StringGridDoneList_->setHorizontalHeaderItem(c, new QTableWidgetItem(kDoneColumns[c].title));
    StringGridDoneList_->setColumnWidth(c, kDoneColumns[c].width);
  }
  StringGridDoneList_->viewport()->installEventFilter(this);
  EditItem_ = new QLineEdit(StringGridDoneList_->viewport());
  EditItem_->setObjectName("EditItem");
  EditItem_->installEventFilter(this);
  connect(EditItem_, &QLineEdit::editingFinished, this, &TFormPlayback::EditItemExit);

  StringGridRecentPlayList_ = Grid(TabSheetRecent_, "StringGridRecentPlayList", 1);
  StringGridRecentPlayList_->setGeometry(page);
  StringGridRecentPlayList_->setHorizontalHeaderItem(0, new QTableWidgetItem("Recent Files"));
  StringGridRecentPlayList_->horizontalHeader()->setStretchLastSection(true);

  PanelPlayList_ = new QWidget(this);
  PanelPlayList_->setObjectName("PanelPlayList");
  PanelPlayList_->setGeometry(410, 8, 158, 370);
  LabelPlayList_ = new QLabel("Play List", PanelPlayList_);
  LabelPlayList_->setObjectName("LabelPlayList");
  LabelPlayList_->setGeometry(0, 4, 158, 18);
  ListBoxPlayback_ = new QListWidget(PanelPlayList_);
  ListBoxPlayback_->setObjectName("ListBoxPlayback");
  ListBoxPlayback_->setGeometry(0, 25, 158, 300);
  ListBoxPlayback_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Full paths are long: keep both the folder's start and the file name in sight.
  ListBoxPlayback_->setTextElideMode(Qt::ElideMiddle);
  ListBoxPlayback_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBoxPlayback_->installEventFilter(this);
  BitBtnImport_ = Button(PanelPlayList_, "BitBtnImport", "Import", QStyle::SP_DialogOpenButton, {0, 334, 77, 30});
  BitBtnClear_ = Button(PanelPlayList_, "BitBtnClear", "Clear", QStyle::SP_DialogResetButton, {81, 334, 77, 30});

  BitBtnAdd_ = Button(this, "BitBtnAdd", "Add", QStyle::SP_ArrowRight, {8, 388, 94, 30});
  BitBtnDelete_ = Button(this, "BitBtnDelete", "Delete", QStyle::SP_TrashIcon, {108, 388, 94, 30});
  BitBtnDeleteAll_ = Button(this, "BitBtnDeleteAll", "Delete All", QStyle::SP_DialogDiscardButton, {208, 388, 94, 30});
  BitBtnRename_ = Button(this, "BitBtnRename", "Rename", QStyle::SP_FileDialogDetailedView, {308, 388, 94, 30});
  BitBtnOK_ = Button(this, "BitBtnOK", "OK", QStyle::SP_DialogOkButton, {410, 388, 77, 30});
  BitBtnCancel_ = Button(this, "BitBtnCancel", "Cancel", QStyle::SP_DialogCancelButton, {491, 388, 77, 30});
  BitBtnOK_->setDefault(true);

  connect(PageControlPlayList_, &QTabWidget::currentChanged, this, &TFormPlayback::PageControlPlayListChange);
  connect(BitBtnAdd_, &QPushButton::clicked, this, &TFormPlayback::BitBtnAddClick);
  connect(BitBtnDelete_, &QPushButton::clicked, this, &TFormPlayback::BitBtnDeleteClick);
  connect(BitBtnDeleteAll_, &QPushButton::clicked, this, &TFormPlayback::BitBtnDeleteAllClick);
  connect(BitBtnRename_, &QPushButton::clicked, this, &TFormPlayback::BitBtnRenameClick);
  connect(BitBtnImport_, &QPushButton::clicked, this, &TFormPlayback::BitBtnImportClick);
  connect(BitBtnClear_, &QPushButton::clicked, this, &TFormPlayback::BitBtnClearClick);
  connect(BitBtnOK_, &QPushButton::clicked, this, &TFormPlayback::BitBtnOKClick);
  connect(BitBtnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(StringGridDoneList_, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { StringGridDoneListDblClick(row); });
  connect(StringGridRecentPlayList_, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { StringGridRecentPlayListDblClick(row); });

  OpenDialog = [this](const QString& filter) {
    return QFileDialog::getOpenFileNames(this, QString(), QString(), ToDialogFilter(filter));
  };
  FormCreate();
}

void TFormPlayback::FormCreate() {
  DeletePrompt_ = "Delete file(s)?";
  if (const settings::TMultiLangInfo* lang = settings::MultiLangInfo) {
    ApplyLanguageFont(*this, *lang);
    QString caption, hint;
    if (lang->Lookup("Play", &caption)) setWindowTitle(caption);
    const std::pair<const char*, QPushButton*> buttons[] = {
        {"OK", BitBtnOK_},         {"Cancel", BitBtnCancel_}, {"Add", BitBtnAdd_},         {"Delete", BitBtnDelete_},
        {"DeleteAll", BitBtnDeleteAll_}, {"Rename", BitBtnRename_}, {"Import", BitBtnImport_}, {"Clear", BitBtnClear_}};
    for (const auto& [key, button] : buttons) {
      if (!lang->Lookup(key, &caption, &hint)) continue;
      button->setText(caption);
      button->setToolTip(hint);
      // The buttons keep their places; a longer caption takes the icon's room.
      const int textRoom = button->width() - 8 - button->fontMetrics().horizontalAdvance(QString(caption).remove('&'));
      if (textRoom < button->iconSize().width() + 4) button->setIcon({});
    }
    for (int c = 0; c < static_cast<int>(std::size(kDoneColumns)); ++c)
      if (lang->Lookup(kDoneColumns[c].key, &caption)) StringGridDoneList_->horizontalHeaderItem(c)->setText(caption);
    if (lang->Lookup("Done", &caption)) PageControlPlayList_->setTabText(0, caption);
    if (lang->Lookup("Recent", &caption)) {
      PageControlPlayList_->setTabText(1, caption);
      StringGridRecentPlayList_->horizontalHeaderItem(0)->setText(caption);
    }
    if (lang->Lookup("PlayList", &caption)) LabelPlayList_->setText(caption);
    if (lang->Lookup("DeletePrompt", &caption)) DeletePrompt_ = caption;
  }
  FillDoneGrid();
  marks_.clear();
  EditItem_->hide();
  PageControlPlayList_->setCurrentWidget(TabSheetDone_);
  PageControlPlayListChange();
  FillRecentGrid();
}

void TFormPlayback::FillDoneGrid() {
  util::ResetGrid(*StringGridDoneList_);
  if (!lists_ || lists_->Items.empty()) return FitDoneColumns();
  const auto& items = lists_->Items;
  StringGridDoneList_->setRowCount(static_cast<int>(items.size()));
  for (int row = 0; row < static_cast<int>(items.size()); ++row) {
    const TPlaybackItem& item = *items[row];
    const QString cells[] = {NamePart(item.FilePath),
                             StartingTimeText(item.StartTime),
                             util::FormatSeconds(util::SecondsBetween(item.StartTime, item.EndTime)),
                             QString::number(item.Channel),
                             FolderPart(item.FilePath),
                             item.Description};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) SetCell(*StringGridDoneList_, row, c, cells[c]);
  }
  FitDoneColumns();
  StringGridDoneList_->setCurrentCell(0, 0);
}

void TFormPlayback::FitDoneColumns() {
  // Each column as wide as its header or its widest entry needs (a long path stays bounded and
  // elided), never narrower than designed.
  constexpr int kWidest = 360;
  QHeaderView* header = StringGridDoneList_->horizontalHeader();
  for (int c = 0; c < static_cast<int>(std::size(kDoneColumns)); ++c) {
    const int entries = static_cast<const QAbstractItemView*>(StringGridDoneList_)->sizeHintForColumn(c);
    const int needed = std::max(entries, header->sectionSizeHint(c));
    StringGridDoneList_->setColumnWidth(c, std::clamp(needed, kDoneColumns[c].width, kWidest));
  }
}

void TFormPlayback::FillRecentGrid() {
  util::ResetGrid(*StringGridRecentPlayList_);
  if (!lists_ || lists_->RecentFiles.isEmpty()) return;
  StringGridRecentPlayList_->setRowCount(lists_->RecentFiles.size());
  for (int row = 0; row < lists_->RecentFiles.size(); ++row)
    SetCell(*StringGridRecentPlayList_, row, 0, lists_->RecentFiles[row]);
  StringGridRecentPlayList_->setCurrentCell(0, 0);
}

void TFormPlayback::PageControlPlayListChange() {
  const bool done = PageControlPlayList_->currentWidget() == TabSheetDone_;
  for (QPushButton* button : {BitBtnDelete_, BitBtnDeleteAll_, BitBtnRename_}) button->setEnabled(done);
}

void TFormPlayback::ToggleMark(int row) {
  if (!marks_.erase(row)) marks_.insert(row);
  StringGridDoneList_->viewport()->update();
}

void TFormPlayback::ClearMarks() {
  marks_.clear();
  StringGridDoneList_->viewport()->update();
}

void TFormPlayback::AppendUnique(const QString& path) {
  for (int i = 0; i < ListBoxPlayback_->count(); ++i)
    if (ListBoxPlayback_->item(i)->text().compare(path, Qt::CaseInsensitive) == 0) return;
  ListBoxPlayback_->addItem(path);
  ListBoxPlayback_->item(ListBoxPlayback_->count() - 1)->setToolTip(path);
}

void TFormPlayback::AddRow(QTableWidget& grid, int row) {
  const bool done = &grid == StringGridDoneList_;
  const QString path = done ? Cell(grid, row, kFolderColumn) + Cell(grid, row, kFileNameColumn) : Cell(grid, row, 0);
  if (path.isEmpty()) return;
  if (QFile::exists(path)) return AppendUnique(path);
  settings::ShowErrorText(path + " is no more existing, delete it...");
  if (done) {
    lists_->DeleteItem(row, false);
    // Marks below the dropped row move up with their rows.
    std::set<int> moved;
    for (int mark : marks_)
      if (mark != row) moved.insert(mark > row ? mark - 1 : mark);
    marks_ = std::move(moved);
  } else {
    lists_->RecentFiles.removeAt(row);
  }
  util::DeleteGridRow(grid, row);
}

void TFormPlayback::BitBtnAddClick() {
  if (!lists_) return;
  if (PageControlPlayList_->currentWidget() == TabSheetDone_) {
    if (lists_->Items.empty()) return;
    const int current = StringGridDoneList_->currentRow();
    for (int row = StringGridDoneList_->rowCount() - 1; row >= 0; --row)
      if (IsMarked(row) || row == current) AddRow(*StringGridDoneList_, row);
    ClearMarks();
  } else if (!lists_->RecentFiles.isEmpty()) {
    const int current = StringGridRecentPlayList_->currentRow();
    if (current >= 0) AddRow(*StringGridRecentPlayList_, current);
  }
}

void TFormPlayback::StringGridDoneListDblClick(int row) {
  ClearMarks();
  if (lists_ && HasRow(*StringGridDoneList_, row, lists_->Items.size()))
    AddRow(*StringGridDoneList_, row);
}

void TFormPlayback::StringGridRecentPlayListDblClick(int row) {
  if (lists_ && HasRow(*StringGridRecentPlayList_, row, lists_->RecentFiles.size()))
    AddRow(*StringGridRecentPlayList_, row);
}

void TFormPlayback::DeleteMarkedRows(bool deleteFiles) {
  const int current = StringGridDoneList_->currentRow();
  for (int row = StringGridDoneList_->rowCount() - 1; row >= 0; --row) {
    if (!IsMarked(row) && row != current) continue;
    if (lists_->DeleteItem(row, deleteFiles)) util::DeleteGridRow(*StringGridDoneList_, row);
  }
}

void TFormPlayback::BitBtnDeleteClick() {
  if (!lists_ || lists_->Items.empty()) return;
  const bool deleteFiles =
      platform::Dialogs().MessageBox(DeletePrompt_, "Confirm", platform::MsgButtons::YesNo) == platform::MsgResult::Yes;
  DeleteMarkedRows(deleteFiles);
  ClearMarks();
  ListBoxPlayback_->clear();
}

void TFormPlayback::BitBtnDeleteAllClick() {
  if (!lists_ || lists_->Items.empty()) return;
  const bool deleteFiles = platform::Dialogs().MessageBox("Delete all file?", "Confirm", platform::MsgButtons::YesNo) ==
                           platform::MsgResult::Yes;
  lists_->DeleteAllItems(deleteFiles);
  util::ResetGrid(*StringGridDoneList_);
  ClearMarks();
  ListBoxPlayback_->clear();
}

void TFormPlayback::BitBtnRenameClick() {
  if (!lists_ || lists_->Items.empty()) return;
  renameRow_ = StringGridDoneList_->currentRow();
  if (renameRow_ < 0) return;
  // Only the file-name cell is edited: the text becomes the file's new name.
  const QRect cell = StringGridDoneList_->visualRect(StringGridDoneList_->model()->index(renameRow_, kFileNameColumn));
  EditItem_->setGeometry(cell.left(), cell.top(), cell.width(), EditItem_->sizeHint().height());
  EditItem_->setText(Cell(*StringGridDoneList_, renameRow_, kFileNameColumn));
  EditItem_->show();
  EditItem_->setFocus();
  EditItem_->selectAll();
}

void TFormPlayback::EditItemExit() {
  if (EditItem_->isHidden()) return;
  EditItem_->hide();
  const int row = std::exchange(renameRow_, -1);
  if (!lists_ || !HasRow(*StringGridDoneList_, row, lists_->Items.size())) return;
  const QString name = EditItem_->text();
  TPlaybackItem& item = *lists_->Items[row];
  const QString newPath = FolderPart(item.FilePath) + name;
  // A name with a folder in it would move the recording elsewhere, perhaps out of its folder.
  if (!IsPlainFileName(name) || newPath == item.FilePath || !QFile::rename(item.FilePath, newPath)) return;
  for (int i = 0; i < ListBoxPlayback_->count(); ++i)
    if (ListBoxPlayback_->item(i)->text() == item.FilePath) ListBoxPlayback_->item(i)->setText(newPath);
  item.FilePath = newPath;
  SetCell(*StringGridDoneList_, row, kFileNameColumn, name);
}

void TFormPlayback::BitBtnImportClick() {
  const QStringList files = OpenDialog ? OpenDialog(fmPanelShown_ ? kAudioFilter : kVideoFilter) : QStringList();
  for (auto file = files.crbegin(); file != files.crend(); ++file) AppendUnique(*file);
}

void TFormPlayback::BitBtnClearClick() { ListBoxPlayback_->clear(); }

void TFormPlayback::BitBtnOKClick() {
  QStringList list;
  for (int i = 0; i < ListBoxPlayback_->count(); ++i) list << ListBoxPlayback_->item(i)->text();
  if (lists_) lists_->PlayList = list;
  if (list.isEmpty()) {
    settings::ShowErrorCode(kNoItemsToPlayback);
    reject();
    return;
  }
  accept();
}

bool TFormPlayback::eventFilter(QObject* watched, QEvent* event) {
  if (watched == StringGridDoneList_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int row = StringGridDoneList_->rowAt(mouse->position().toPoint().y());
    if ((mouse->modifiers() & Qt::ControlModifier) && lists_ &&
        HasRow(*StringGridDoneList_, row, lists_->Items.size()))
      ToggleMark(row);
  } else if (watched == EditItem_ && event->type() == QEvent::FocusOut) {
    EditItemExit();
  } else if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == ListBoxPlayback_ && key == Qt::Key_Delete) {
      qDeleteAll(ListBoxPlayback_->selectedItems());
      return true;
    }
    // Return ends the edit only; the dialog's default button must not take it.
    if (watched == EditItem_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      EditItemExit();
      return true;
    }
    if (watched == EditItem_ && key == Qt::Key_Escape) {
      EditItem_->hide();  // leaves the name as it was
      renameRow_ = -1;
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool ShowPlaybackDialog(TPlaybackInfo& lists, QWidget* parent, bool fmPanelShown) {
  TFormPlayback dialog(&lists, parent, fmPanelShown);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pvx::playback

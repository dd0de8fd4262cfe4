#include "snapshots/FormSnapshotList.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include "settings/ErrorMessages.h"
#include "snapshots/FormShowImage.h"
#include "snapshots/FormTexts.h"
#include "snapshots/PictureSaveDialog.h"
#include "snapshots/SnapshotInfo.h"

namespace pvx::snapshots {

namespace {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 165;
constexpr int kSlotSize = 100;
constexpr int kSlotTop = 8;
constexpr int kSlotLeft[TFormSnapshotList::kSlots] = {16, 136, 256, 376, 496};
constexpr int kToolTop = 122;
constexpr int kButtonSize = 36;
constexpr int kFramePen = 4;
constexpr int kErrorNoFileName = 1022;

// Button and menu item names, language key, built-in text.
struct TCommandText {
  const char* Button;
  const char* Item;
  const char* Key;
  const char* Fallback;
};
constexpr TCommandText kCommandTexts[] = {
    {"SpeedButtonPreviousPage", "itemPreviousPage", "PrePage", "Previous Page"},
    {"SpeedButtonNextPage", "itemNextPage", "NextPage", "Next Page"},
    {"SpeedButtonViewDetail", "itemView", "ViewPic", "View"},
    {"SpeedButtonSave", "itemSave", "SavePic", "Save"},
    {"SpeedButtonSaveAll", "itemSaveAll", "SaveAllPic", "Save All"},
    {"SpeedButtonDelete", "itemDelete", "Delete", "Delete"},
    {"SpeedButtonDeleteAll", "itemDeleteAll", "DeleteAll", "Delete All"},
    {"SpeedButtonExit", "itemExit", "Exit", "Exit"},
};

}  // namespace

TFormSnapshotList::TFormSnapshotList(TSnapshotInfo& store, QWidget* owner)
    : QWidget(owner, Qt::Tool), store_(store) {
  setObjectName("FormSnapshotList");
  setFixedSize(kClientWidth, kClientHeight);
  setFocusPolicy(Qt::StrongFocus);
  for (int k = 0; k < kSlots; ++k) {
    auto* slot = new QLabel(this);
    slot->setObjectName(QString("Image%1").arg(k + 1));
    slot->setGeometry(kSlotLeft[k], kSlotTop, kSlotSize, kSlotSize);
    slot->setScaledContents(true);
    slot->installEventFilter(this);
    slots_[size_t(k)] = slot;
  }
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu");
  const QStyle::StandardPixmap icons[] = {QStyle::SP_ArrowLeft,         QStyle::SP_ArrowRight,
                                          QStyle::SP_FileDialogContentsView, QStyle::SP_DialogSaveButton,
                                          QStyle::SP_DriveFDIcon,       QStyle::SP_TrashIcon,
                                          QStyle::SP_DialogDiscardButton, QStyle::SP_DialogCloseButton};
  void (TFormSnapshotList::*runs[])() = {&TFormSnapshotList::PreviousPage, &TFormSnapshotList::NextPage,
                                         &TFormSnapshotList::View,         &TFormSnapshotList::Save,
                                         &TFormSnapshotList::SaveAll,      &TFormSnapshotList::Delete,
                                         &TFormSnapshotList::DeleteAll,    &TFormSnapshotList::Exit};
  for (size_t i = 0; i < std::size(kCommandTexts); ++i) AddCommand(kCommandTexts[i].Button, icons[i], runs[i]);
  LabelPageIndicator_ = new QLabel(this);
  LabelPageIndicator_->setObjectName("LabelPageIndicator");
  LabelPageIndicator_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LabelPageIndicator_->setGeometry(kSlotLeft[4], kToolTop, kSlotSize, kButtonSize);

  // Centred, its bottom 25 pixels above the bottom of the screen.
  if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.bottom() + 1 - height() - 25);
  }
  ApplyLanguage();
  SelectedIndex = 0;
  Normalise();
  Fill();
  DrawSelectedImageFrame(0);
}

void TFormSnapshotList::AddCommand(const char* name, int icon, void (TFormSnapshotList::*run)()) {
  const int index = int(commands_.size());
  auto* button = new QToolButton(this);
  button->setObjectName(name);
  button->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setAutoRaise(true);
  button->setGeometry(kSlotLeft[0] + index * (kButtonSize + 4), kToolTop, kButtonSize, kButtonSize);
  button->setIconSize(QSize(24, 24));
  button->installEventFilter(this);
  QAction* item = popup_->addAction(QString());
  item->setObjectName(kCommandTexts[index].Item);
  connect(button, &QToolButton::clicked, this, run);
  connect(item, &QAction::triggered, this, run);
  commands_.push_back({button, item});
}

QToolButton* TFormSnapshotList::Button(const QString& name) const { return findChild<QToolButton*>(name); }

QAction* TFormSnapshotList::Item(const QString& name) const {
  for (const TCommandEntry& entry : commands_)
    if (entry.Item->objectName() == name) return entry.Item;
  return nullptr;
}

void TFormSnapshotList::ApplyLanguage() {
  ApplyLanguageFont(*this);
  setWindowTitle(Caption("Snapshot", "Snapshot"));
  for (size_t i = 0; i < commands_.size(); ++i)
    ApplyText(commands_[i].Button, commands_[i].Item, kCommandTexts[i].Key, kCommandTexts[i].Fallback);
}

void TFormSnapshotList::Normalise() {
  const int count = StoreCount();
  if (count == 0) {
    SelectedIndex = -1;
    FrameShown = false;
    update();
  } else if (SelectedIndex >= count) {
    SelectedIndex = count - 1;
  } else if (SelectedIndex < 0) {
    SelectedIndex = 0;  // the first picture taken after all were deleted
  }
  PageCount = (count + kSlots - 1) / kSlots;
}

void TFormSnapshotList::Fill() {
  for (QLabel* slot : slots_) slot->clear();
  if (SelectedIndex >= 0) {
    const int first = PageStart();
    for (int k = 0; k <= LastFilledSlot(); ++k) {
      // The slot keeps its own scaled copy.
      slots_[size_t(k)]->setPixmap(QPixmap::fromImage(
          store_.Images.at(first + k).scaled(kSlotSize, kSlotSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
  }
  CheckCurrentStatus();
}

int TFormSnapshotList::LastFilledSlot() const {
  if (SelectedIndex < 0) return -1;
  return qMin(PageStart() + kSlots - 1, StoreCount() - 1) - PageStart();
}

void TFormSnapshotList::CheckCurrentStatus() {
  const bool selected = SelectedIndex >= 0;
  LabelPageIndicator_->setText(selected ? QString("%1/%2").arg((SelectedIndex + kSlots) / kSlots).arg(PageCount)
                                        : QString("0/0"));
  const bool enabled[] = {SelectedIndex >= kSlots, (PageCount - 1) * kSlots > SelectedIndex, selected, true, true,
                          selected, selected, true};
  for (size_t i = 0; i < commands_.size(); ++i) {
    commands_[i].Button->setEnabled(enabled[i]);
    commands_[i].Item->setEnabled(enabled[i]);
  }
}

void TFormSnapshotList::DrawSelectedImageFrame(int slot) {
  if (slot < 0 || slot >= kSlots || slots_[size_t(slot)]->pixmap().isNull()) return;
  FrameRect = slots_[size_t(slot)]->geometry().adjusted(-1, -1, 1, 1);
  FrameShown = true;
  SelectedIndex = PageStart() + slot;
  update();
}

void TFormSnapshotList::paintEvent(QPaintEvent*) {
  if (!FrameShown) return;
  QPainter painter(this);
  painter.setPen(QPen(QColor(255, 255, 0), kFramePen, Qt::SolidLine));
  painter.drawRect(FrameRect);
}

void TFormSnapshotList::MoveSelection(bool right) {
  const int slot = SelectedIndex - PageStart();
  const int last = LastFilledSlot();
  if (right)
    DrawSelectedImageFrame(slot >= last ? 0 : slot + 1);
  else
    DrawSelectedImageFrame(slot <= 0 ? last : slot - 1);
}

bool TFormSnapshotList::HandleKey(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (SelectedIndex >= 0) MoveSelection(key == Qt::Key_Right);
      return true;
    case Qt::Key_Delete:
      if (SelectedIndex >= 0) Delete();
      return true;
    case Qt::Key_Escape:
      Exit();
      return true;
    default:
      return false;
  }
}

bool TFormSnapshotList::eventFilter(QObject* watched, QEvent* event) {
  // The window sees the keys before its buttons do.
  if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event)->key())) return true;
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    for (int k = 0; k < kSlots; ++k) {
      if (watched != slots_[size_t(k)]) continue;
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      DrawSelectedImageFrame(k);
      if (event->type() == QEvent::MouseButtonDblClick && !slots_[size_t(k)]->pixmap().isNull()) View();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFormSnapshotList::keyPressEvent(QKeyEvent* event) {
  // Enter on the window itself views the selected picture.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && SelectedIndex >= 0)
    View();
  else if (!HandleKey(event->key()))
    QWidget::keyPressEvent(event);
}

void TFormSnapshotList::contextMenuEvent(QContextMenuEvent* event) {
  CheckCurrentStatus();
  popup_->exec(event->globalPos());
}

void TFormSnapshotList::PreviousPage() {
  Normalise();
  if (SelectedIndex < 0) return;
  SelectedIndex = qMax(0, SelectedIndex - kSlots);
  Fill();
  update();
}

void TFormSnapshotList::NextPage() {
  Normalise();
  if (SelectedIndex < 0) return;
  SelectedIndex = qMin(SelectedIndex + kSlots, StoreCount() - 1);
  Fill();
  DrawSelectedImageFrame(0);
}

void TFormSnapshotList::View() {
  if (SelectedIndex < 0 || SelectedIndex >= StoreCount()) return;
  TFormShowImage viewer(store_.Images.at(SelectedIndex), this);
  viewer.exec();
}

void TFormSnapshotList::Save() {
  if (SelectedIndex < 0) return;
  const QString name = RunPictureSaveDialog(this);
  if (name.isEmpty())
    settings::ShowErrorCode(kErrorNoFileName);
  else
    store_.SaveImage(SelectedIndex, name);
}

void TFormSnapshotList::SaveAll() {
  const QString name = RunPictureSaveDialog(this);
  if (name.isEmpty())
    settings::ShowErrorCode(kErrorNoFileName);
  else
    store_.SaveAllImages(name);
}

void TFormSnapshotList::Delete() {
  if (SelectedIndex < 0) return;
  store_.DeleteImage(SelectedIndex);
  Normalise();
  Fill();
  const int last = LastFilledSlot();
  if (SelectedIndex >= 0 && SelectedIndex - PageStart() >= last) DrawSelectedImageFrame(last);
}

void TFormSnapshotList::DeleteAll() {
  store_.ClearImages();
  Normalise();
  Fill();
}

void TFormSnapshotList::Exit() { close(); }

int TFormSnapshotList::StoreCount() const { return store_.Count(); }

TFormSnapshotList* TSnapshotBrowser::Show(QWidget* owner) {
  if (form_) {
    form_->show();
    form_->Normalise();
    form_->Fill();
    form_->DrawSelectedImageFrame(0);
  } else {
    form_ = new TFormSnapshotList(store_, owner);
    form_->show();
  }
  form_->raise();
  return form_;
}

}  // namespace pvx::snapshots

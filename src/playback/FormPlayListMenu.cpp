#include "playback/FormPlayListMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <utility>

#include "playback/FormTexts.h"
#include "playback/PlaybackInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "util/WindowPlacement.h"

namespace pvx::playback {
namespace {

constexpr int kCannotDeleteCurrentItem = 1106;
constexpr int kWidth = 172;
constexpr int kHeight = 333;
constexpr int kPanelHeight = 34;
const QEvent::Type kPlayNextEvent = static_cast<QEvent::Type>(QEvent::User + TFormPlayListMenu::kPlayNextMessage);

QPointer<TFormPlayListMenu> g_menu;

QToolButton* SpeedButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& hint, int x) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setIcon(parent->style()->standardIcon(icon));
  button->setIconSize({20, 20});
  button->setAutoRaise(true);
  button->setToolTip(hint);
  button->setGeometry(x, (kPanelHeight - 28) / 2, 28, 28);
  return button;
}

}  // namespace

TFormPlayListMenu::TFormPlayListMenu(TPlaybackInfo& lists, QWidget* parent) : QDialog(parent), lists_(lists) {
  setObjectName("FormPlayListMenu");
  setWindowTitle("Play List");
  setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  ListBoxPlaybak_ = new QListWidget(this);
  ListBoxPlaybak_->setObjectName("ListBoxPlaybak");
  ListBoxPlaybak_->setGeometry(0, 0, kWidth, kHeight - kPanelHeight);
  ListBoxPlaybak_->setFrameShape(QFrame::NoFrame);
  // The desktop's list look, as in the program's other dialogs, with room around each entry.
  ListBoxPlaybak_->setAlternatingRowColors(true);
  ListBoxPlaybak_->setStyleSheet("QListWidget::item { padding: 3px 4px; }");
  ListBoxPlaybak_->setTextElideMode(Qt::ElideMiddle);
  ListBoxPlaybak_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBoxPlaybak_->installEventFilter(this);
  connect(ListBoxPlaybak_, &QListWidget::itemDoubleClicked, this, &TFormPlayListMenu::ListBoxPlaybakDblClick);

  // The panel's free space is the part of the client area that drags the window.
  auto* panel = new QWidget(this);
  panel->setObjectName("PanelButtons");
  panel->setGeometry(0, kHeight - kPanelHeight, kWidth, kPanelHeight);
  SbtnPrevious_ = SpeedButton(panel, "SbtnPrevious", QStyle::SP_MediaSkipBackward, "Previous Track", 8);
  SbtnNext_ = SpeedButton(panel, "SbtnNext", QStyle::SP_MediaSkipForward, "Next Track", 44);
  SbtnDelete_ = SpeedButton(panel, "SbtnDelete", QStyle::SP_TrashIcon, "Delete", 100);
  SbtnExit_ = SpeedButton(panel, "SbtnExit", QStyle::SP_DialogCloseButton, "Exit", 136);
  connect(SbtnPrevious_, &QToolButton::clicked, this, &TFormPlayListMenu::SbtnPreviousClick);
  connect(SbtnNext_, &QToolButton::clicked, this, &TFormPlayListMenu::SbtnNextClick);
  connect(SbtnDelete_, &QToolButton::clicked, this, &TFormPlayListMenu::SbtnDeleteClick);
  connect(SbtnExit_, &QToolButton::clicked, this, &TFormPlayListMenu::SbtnExitClick);

  FormCreate();
}

void TFormPlayListMenu::FormCreate() {
  if (const settings::TMultiLangInfo* lang = settings::MultiLangInfo) {
    ApplyLanguageFont(*this, *lang);
    QString caption, hint;
    if (lang->Lookup("PlayList", &caption)) setWindowTitle(caption);
    const std::pair<const char*, QToolButton*> buttons[] = {
        {"PreTrack", SbtnPrevious_}, {"NextTrack", SbtnNext_}, {"Delete", SbtnDelete_}, {"Exit", SbtnExit_}};
    for (const auto& [key, button] : buttons)
      if (lang->Lookup(key, &caption, &hint)) button->setToolTip(hint.isEmpty() ? caption : hint);
  }
  ListBoxPlaybak_->clear();
  for (const QString& path : lists_.PlayList) ListBoxPlaybak_->addItem(NamePart(path));
  ListBoxPlaybak_->setCurrentRow(0);
}

void TFormPlayListMenu::SyncRows() {
  if (ListBoxPlaybak_->count() != lists_.PlayList.size()) {
    const int row = ListBoxPlaybak_->currentRow();
    FormCreate();
    ListBoxPlaybak_->setCurrentRow(qMin(row, ListBoxPlaybak_->count() - 1));
  }
}

void TFormPlayListMenu::SbtnPreviousClick() {
  lists_.PlayPrevious();
  SyncRows();
}

void TFormPlayListMenu::SbtnNextClick() {
  lists_.PlayNext();
  SyncRows();
}

void TFormPlayListMenu::SbtnDeleteClick() {
  const int row = ListBoxPlaybak_->currentRow();
  if (row < 0) return;
  if (row == lists_.CurrentIndex) {
    settings::ShowErrorCode(kCannotDeleteCurrentItem);
    return;
  }
  if (!lists_.RemoveFromPlayList(row)) return;
  // The playing entry moved up one place with the rows after the one removed.
  if (row < lists_.CurrentIndex) --lists_.CurrentIndex;
  delete ListBoxPlaybak_->takeItem(row);
}

void TFormPlayListMenu::SbtnExitClick() {
  if (g_menu == this) g_menu = nullptr;
  close();
}

void TFormPlayListMenu::ListBoxPlaybakDblClick() {
  const int row = ListBoxPlaybak_->currentRow();
  if (row < 0 || row == lists_.CurrentIndex) return;
  if (!lists_.PlayIndex(row)) delete ListBoxPlaybak_->takeItem(row);
  SyncRows();
}

void TFormPlayListMenu::OnPlay(int index) {
  SyncRows();
  ListBoxPlaybak_->setCurrentRow(index);
}

void TFormPlayListMenu::PostEndOfStream() { QCoreApplication::postEvent(this, new QEvent(kPlayNextEvent)); }

bool TFormPlayListMenu::event(QEvent* event) {
  if (event->type() == kPlayNextEvent) {
    SbtnNextClick();
    return true;
  }
  return QDialog::event(event);
}

bool TFormPlayListMenu::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListBoxPlaybak_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      key == Qt::Key_Up ? SbtnPreviousClick() : SbtnNextClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormPlayListMenu::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  // Let the window manager move the window where it can; elsewhere follow the mouse.
  dragging_ = !(windowHandle() && windowHandle()->startSystemMove());
  dragOffset_ = event->globalPosition().toPoint() - pos();
  event->accept();
}

void TFormPlayListMenu::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return QDialog::mouseMoveEvent(event);
  move(event->globalPosition().toPoint() - dragOffset_);
  event->accept();
}

void ShowPlayListMenu(TPlaybackInfo& lists, QWidget* parent) {
  ClosePlayListMenu();
  g_menu = new TFormPlayListMenu(lists, parent);
  // Left of the picture, where the remote-control panel is not.
  if (parent && parent->screen())
    g_menu->move(util::AsideFrom(parent->window()->frameGeometry(), g_menu->frameGeometry().size(),
                                 parent->screen()->availableGeometry(), true, 8));
  g_menu->show();
}

void ClosePlayListMenu() {
  if (TFormPlayListMenu* menu = std::exchange(g_menu, nullptr)) menu->close();
}

TFormPlayListMenu* PlayListMenu() { return g_menu; }

}  // namespace pvx::playback

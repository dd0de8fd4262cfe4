#include "app/MainForm.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <utility>

#include "app/MenuImage.h"
#include "platform/video/TVideoWindow.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::app {
namespace {

using settings::TAppMode;

// The sizing grip along the window's outer edge (the borders themselves drag the window).
constexpr int kGrip = 4;

}  // namespace

TFormMainWindow::TFormMainWindow(settings::TMainInfo* main, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      main_(main),
      borders_(this),
      display_(*this, Panels, main) {
  setObjectName("FormMainWindow");
  setWindowTitle("OKA PVX");
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  CreateComponents();

  display_.ScreenSize = [this] { return ScreenSize(); };
  display_.ShowBorders = [this](bool visible) { borders_.SetVisible(visible); };
  display_.InChannelPreview = [this] { return previewActive_; };
  display_.VideoWindow = [this] { return VideoWindow(); };
  display_.PIPPlaying = [this] { return PIPPlaying(); };
  display_.Changed = [this] {
    LayoutVideo();
    RefreshMenu();
  };

  resize(kDesignSize);
  const QSize screen = ScreenSize();
  move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
  display_.ApplyConstraints();
  LayoutBorders();

  SleepCountdown.Main = main_;
  SleepCountdown.CloseMainWindow = [this] { close(); };
  ApplyLanguage();
  RefreshMenu();
}

TFormMainWindow::~TFormMainWindow() {
  // The grid frees its cells, which are children of this window.
  delete grid_;
  grid_ = nullptr;
}

void TFormMainWindow::CreateComponents() {
  borders_.MenuImage()->RunCommand = [this](commands::TCommand code) {
    if (ExecuteCommand) ExecuteCommand(code);
  };

  ImageTimeShiftingPreview_ = new QLabel(this);
  ImageTimeShiftingPreview_->setObjectName("ImageTimeShiftingPreview");
  ImageTimeShiftingPreview_->setGeometry(368, 248, 73, 57);
  ImageTimeShiftingPreview_->setScaledContents(true);
  ImageTimeShiftingPreview_->setAttribute(Qt::WA_TransparentForMouseEvents);
  ImageTimeShiftingPreview_->hide();

  badge_ = new TRecordingBadge(this);

  menu_ = new TMainMenu(this);
  menu_->ExecuteCommand = [this](commands::TCommand code) {
    if (ExecuteCommand) ExecuteCommand(code);
  };
  menu_->ToggleAlwaysOnTop = [this] { SetAlwaysOnTop(!(main_ && main_->Prefs().AlwaysOnTop)); };
  menu_->SetAspect = [this](int aspect) { SetAspect(aspect); };
  menu_->SelectCamera = [this] {
    if (SelectCamera) SelectCamera();
  };

  osd_ = new TFormOSD(this, this, main_);
}

// --- geometry ------------------------------------------------------------------------------

QSize TFormMainWindow::ScreenSize() const {
  if (screen_) return screen_();
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1024, 768);
}

QMargins TFormMainWindow::BorderSizes() const { return borders_.Sizes(); }

void TFormMainWindow::LayoutBorders() {
  borders_.Layout(size());
  // Keeps its design distance from the right and bottom edges.
  ImageTimeShiftingPreview_->move(width() - (kDesignSize.width() - 368),
                                  height() - (kDesignSize.height() - 248));
}

QRect TFormMainWindow::InnerRect() const { return borders_.Inner(rect()); }

QRect TFormMainWindow::InsetRect() const {
  const QMargins border = BorderSizes();
  return QRect(border.left(), border.top(), (width() - 2 * border.left()) / 3,
               (height() - 2 * border.top()) / 3);
}

// --- video windows ---------------------------------------------------------------------------

void TFormMainWindow::SetVideoWindow(platform::video::TVideoWindow* window) {
  videos_.SetEngineWindow(window);
  osd_->SetVideoWindow(window);
  if (previewActive_ && grid_)
    grid_->SetVideoWindow(window);
  else
    LayoutVideo();
}

void TFormMainWindow::SetPlayer(bool exists, platform::video::TVideoWindow* window, bool pip) {
  videos_.SetPlayer(exists, window);
  playerPip_ = pip;
  if (!exists) badge_->hide();
  menuState_.PlayerPaused = false;
  LayoutVideo();
  RefreshMenu();
}

bool TFormMainWindow::PIPPlaying() const {
  return main_ && main_->Prefs().PIPEnabled && playerPip_ && videos_.PlayerExists();
}

void TFormMainWindow::LayoutVideo() {
  if (previewActive_ || IsOverlayFullScreen()) return;
  videos_.Layout(InnerRect(), InsetRect(), main_ && main_->Prefs().PIPEnabled && playerPip_);
  if (ImageTimeShiftingPreview_->isVisible()) ImageTimeShiftingPreview_->raise();
  PlaceBadge();
}

void TFormMainWindow::PlaceBadge() {
  const QRect inner = InnerRect();
  // Top centre: the station's own caption and clock sit in the corners.
  badge_->move(inner.center().x() - badge_->width() / 2, inner.top() + 8);
  if (badge_->isVisible()) badge_->raise();
}

void TFormMainWindow::ShowPlayProgress(int currentSeconds, int totalSeconds, bool paused) {
  badge_->SetPlaying(currentSeconds, totalSeconds, paused);
  if (badge_->isHidden() && !previewActive_) {
    PlaceBadge();
    badge_->show();
  }
  badge_->raise();
}

void TFormMainWindow::SetPlayerRunning(bool running) {
  menuState_.PlayerPaused = !running;
  RefreshMenu();
  badge_->SetPaused(!running);
}

void TFormMainWindow::ShowRecordingProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes) {
  badge_->SetProgress(timeShift, elapsedSeconds, bytes);
  if (badge_->isHidden() && !previewActive_) {
    PlaceBadge();
    badge_->show();
    badge_->raise();
  }
}

// --- painting and resizing -------------------------------------------------------------------

void TFormMainWindow::setVisible(bool visible) {
  // FormShow: the stored always-on-top choice applies before the window appears.
  if (visible && !isVisible() && main_) display_.ApplyTopmost(main_->Prefs().AlwaysOnTop);
  QWidget::setVisible(visible);
}

void TFormMainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutBorders();
  if (previewActive_ && grid_) {
    grid_->Layout(rect(), BorderSizes());
    return;
  }
  osd_->HideOSD();
  if (!IsFullScreen() && FormCanResize(size()) != size()) {
    // The height follows the width; the next resize lays the video out.
    display_.FollowAspect();
    return;
  }
  LayoutVideo();
}

void TFormMainWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (previewActive_ && grid_) {
    QPainter painter(this);
    grid_->PaintSelection(painter);
  }
}

// --- mouse -----------------------------------------------------------------------------------

bool TFormMainWindow::AtResizeEdge(QPoint point, Qt::Edges* edges) const {
  Qt::Edges found;
  if (point.x() < kGrip) found |= Qt::LeftEdge;
  if (point.x() >= width() - kGrip) found |= Qt::RightEdge;
  if (point.y() < kGrip) found |= Qt::TopEdge;
  if (point.y() >= height() - kGrip) found |= Qt::BottomEdge;
  *edges = found;
  return found != Qt::Edges();
}

void TFormMainWindow::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  clickPending_ = event->button() == Qt::LeftButton;
  clickPosition_ = point;
  dragging_ = false;
  const bool plainLeft = event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton &&
                         event->modifiers() == Qt::NoModifier;
  if (!plainLeft || IsFullScreen() || previewActive_) return;
  // The outer edge sizes the window, as a sizing frame would.
  Qt::Edges edges;
  if (AtResizeEdge(point, &edges) && windowHandle() && windowHandle()->startSystemResize(edges)) {
    clickPending_ = false;
    return;
  }
  dragOrigin_ = point;
  dragging_ = true;
}

void TFormMainWindow::mouseMoveEvent(QMouseEvent* event) {
  borders_.MenuImage()->FormMouseMove();
  if (!dragging_ || event->buttons() != Qt::LeftButton || IsFullScreen() || previewActive_) return;
  const QPoint point = event->position().toPoint();
  if (point == dragOrigin_) return;
  osd_->HideOSD();
  move(point.x() - dragOrigin_.x() + x(), point.y() - dragOrigin_.y() + y());
}

void TFormMainWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  if (event->button() != Qt::LeftButton || !clickPending_) return;
  clickPending_ = false;
  FormClick();
}

void TFormMainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  clickPending_ = false;
  if (event->button() != Qt::LeftButton) return;
  clickPosition_ = event->position().toPoint();
  FormDblClick();
}

void TFormMainWindow::FormClick() {
  if (previewActive_ && grid_) {
    const int cell = grid_->CellAt(clickPosition_);
    if (cell >= 0) grid_->SelectPreviewCell(cell);
    return;
  }
  const TPanelHooks& p = Panels;
  if (IsFullScreen() && p.TVPanelExists && p.TVPanelExists() && p.TVPanelVisible && p.TVPanelVisible() &&
      p.SetTVPanelFloating)
    p.SetTVPanelFloating(!(p.TVPanelFloating && p.TVPanelFloating()));
}

void TFormMainWindow::FormDblClick() {
  if (previewActive_) {
    LeavePreviewWithSelection();
    return;
  }
  if (StillShown()) return;
  if (IsOverlayFullScreen()) {
    // The renderer's full screen has no frame to leave it by: a double click returns.
    SetOverlayFullScreen(false);
    return;
  }
  const TAppMode mode = main_ ? main_->Mode() : settings::amTV;
  const bool timeShift = mode == settings::amTimeShifting || mode == settings::amTimeShiftPlayback;
  if (timeShift || !PIPPlaying()) {
    SetFullScreen(!IsFullScreen());
    return;
  }
  videos_.SetSwapped(!videos_.Swapped());
  LayoutVideo();
}

void TFormMainWindow::RefreshPictureSwap() {
  FormDblClick();
  FormDblClick();
}

void TFormMainWindow::ToggleTimeShiftingPreview() {
  ImageTimeShiftingPreview_->setVisible(ImageTimeShiftingPreview_->isHidden());
  if (ImageTimeShiftingPreview_->isVisible()) ImageTimeShiftingPreview_->raise();
}

void TFormMainWindow::contextMenuEvent(QContextMenuEvent* event) {
  PopupMenuAt(event->globalPos());
  event->accept();
}

void TFormMainWindow::PopupMenuAt(QPoint global) { menu_->popup(global); }

void TFormMainWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (FormClose) FormClose();
}

// --- keys ------------------------------------------------------------------------------------

void TFormMainWindow::keyPressEvent(QKeyEvent* event) {
  event->accept();
  if (previewActive_ || !KeyPress) return;
  for (QChar c : event->text()) KeyPress(c);
}

void TFormMainWindow::keyReleaseEvent(QKeyEvent* event) {
  event->accept();
  // A held key acts once, when it is let go.
  if (event->isAutoRepeat()) return;
  FormKeyUp(event->key(), event->modifiers());
}

void TFormMainWindow::FormKeyUp(int key, Qt::KeyboardModifiers modifiers) {
  if (previewActive_ && grid_) {
    grid_->FormKeyUp(key);
    return;
  }
  if (KeyUp) KeyUp(key, modifiers);
}

// --- channel preview -------------------------------------------------------------------------

bool TFormMainWindow::EnterChannelPreview() {
  if (!PreviewSource.Count || PreviewSource.Count() < 1) return false;
  osd_->HideOSD();
  osd_->EnableOSD(false);
  SetOverlayFullScreen(false);
  SetFullScreen(false);
  display_.SaveForPreview();
  if (PreviewSource.FirstPage) PreviewSource.FirstPage();

  // A grid still waiting for message 4026; it may still be on the stack, in a tuning's wait.
  if (grid_) grid_->deleteLater();
  grid_ = nullptr;
  previewActive_ = true;
  // The grid fills the screen; the remote-control panel, which follows the window, would cover a
  // cell. It comes back with the picture.
  const TPanelHooks& p = Panels;
  previewHidPanel_ = p.TVPanelVisible && p.TVPanelVisible() && p.HideTVPanel;
  if (previewHidPanel_) p.HideTVPanel();
  borders_.SetVisible(false);
  platform::video::TVideoWindow* video = VideoWindow();
  if (video) video->hide();
  setMinimumSize(display_.MinimumSize());
  const QSize screen = ScreenSize();
  setGeometry(0, 0, screen.width(), screen.height());

  grid_ = new TChannelPreviewGrid(this, PreviewSource);
  grid_->GrabStill = GrabStill;
  grid_->LeaveWithCell = [this](int cell) { LeavePreviewWithCell(cell); };
  grid_->Start(rect(), BorderSizes(), video);
  RefreshMenu();
  return true;
}

void TFormMainWindow::LeaveChannelPreview() {
  if (!previewActive_) return;
  if (grid_) grid_->Stop();
  previewActive_ = false;
  display_.RestoreAspectAfterPreview();
  borders_.SetVisible(true);
  LayoutVideo();
  if (platform::video::TVideoWindow* video = VideoWindow()) video->show();
  osd_->EnableOSD(true);
  // Message 4026: the cells go once the event that led here (a cell's double click) is done.
  QMetaObject::invokeMethod(
      this, [this] { RestoreAfterPreview(); }, Qt::QueuedConnection);
  RefreshMenu();
}

void TFormMainWindow::RestoreAfterPreview() {
  if (previewActive_) return;
  display_.RestoreBoundsAfterPreview();
  // Back beside the window once the window is back in its place.
  if (std::exchange(previewHidPanel_, false) && Panels.ShowTVPanel) Panels.ShowTVPanel();
  // Deferred: a dwell step may be on the stack still, waiting for the tuner.
  if (grid_) grid_->HideCells(), grid_->deleteLater();
  grid_ = nullptr;
  LayoutVideo();
  update();
}

void TFormMainWindow::SelectPreviewCell(int cell) {
  if (previewActive_ && grid_) grid_->SelectPreviewCell(cell);
}

void TFormMainWindow::LeavePreviewWithSelection() {
  LeavePreviewWithCell(previewActive_ && grid_ ? grid_->Selected() : -1);
}

void TFormMainWindow::LeavePreviewWithCell(int cell) {
  if (!previewActive_) return;
  if (cell >= 0 && PreviewSource.Select) PreviewSource.Select(cell);
  if (main_)
    main_->SetMode(settings::amTV);
  else
    LeaveChannelPreview();
}

// --- menu ------------------------------------------------------------------------------------

void TFormMainWindow::RefreshMenu() {
  menuState_.DisplayMode = DisplayMode();
  menuState_.Aspect = Aspect();
  menuState_.PIPPlaying = PIPPlaying();
  menuState_.ChannelPreview = previewActive_;
  if (main_) {
    menuState_.FMEnabled = main_->FMEnabled();
    menuState_.AlwaysOnTop = main_->Prefs().AlwaysOnTop;
  }
  menu_->Update(menuState_);
}

void TFormMainWindow::UpdateForMode(TAppMode mode) {
  if (mode >= settings::amClosed || mode == settings::amFMRadio) return;
  menuState_.Mode = mode;
  menuState_.PlayerPaused = false;
  // A buffer is ready only for the time-shift run that made it.
  if (mode != settings::amTimeShifting && mode != settings::amTimeShiftPlayback) menuState_.TimeShiftReady = false;
  // The figures show from the start, before the first second is counted.
  const bool timeShift = mode == settings::amTimeShifting || mode == settings::amTimeShiftPlayback;
  if (!timeShift && mode != settings::amCapture && mode != settings::amScheduledCapture)
    badge_->hide();
  else if (badge_->isHidden())
    ShowRecordingProgress(timeShift, 0, 0);
  if (mode == settings::amTV) {
    if (videos_.Swapped()) {
      videos_.SetSwapped(false);
      LayoutVideo();
    }
    if (SetLineMute) SetLineMute(false);
  }
  if ((mode == settings::amPlayback || mode == settings::amTimeShiftPlayback) && !PIPPlaying() && SetLineMute)
    SetLineMute(true);
  RefreshMenu();
  osd_->Show(menu_->ModeText(mode), true);
}

void TFormMainWindow::UpdateForSource(int source, int tunerMode) {
  menuState_.VideoSource = source;
  menuState_.TunerMode = tunerMode;
  RefreshMenu();
  osd_->Show(menu_->SourceWord(source, tunerMode), true);
}

void TFormMainWindow::ApplyLanguage() { menu_->ApplyLanguage(); }

}  // namespace pvx::app

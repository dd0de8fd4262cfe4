#include "app/ControlPanels.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include "app/FMCommands.h"
#include "app/MainForm.h"
#include "app/MainMenu.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "panels/FormFMMainPanel.h"
#include "panels/FormMainPanel.h"
#include "panels/PanelEnvironment.h"
#include "panels/SkinArt.h"
#include "playback/FilePlayback.h"
#include "playback/PlaybackSession.h"
#include "playback/PlaybackProject.h"
#include "playback/Player.h"
#include "playback/TimeShiftPlayback.h"
#include "playback/TimeShiftRoutines.h"
#include "settings/MainInfo.h"

namespace pvx::app {

QPoint TVPanelFirstPosition(QSize screen, QRect mainWindow, QSize panel) {
  const int half = (screen.width() - mainWindow.width()) / 2;
  const int left = half < panel.width() ? screen.width() - panel.width()
                                        : mainWindow.left() + mainWindow.width() + (half - panel.width()) / 2;
  return {left, (screen.height() - panel.height()) / 2};
}

QPoint FMPanelPosition(QSize screen, QSize panel) {
  return {(screen.width() - panel.width()) / 2, (screen.height() / 3) * 2};
}

TControlPanels::TControlPanels(TShell& shell) : shell_(shell) {
  ui_.ExecuteCommand = [&shell](int code) { shell.Dispatcher->ExecuteCommand(code); };
  tv_ = new panels::TFormMainPanel(panels::PaintTVSkin, Environment());
  tv_->setObjectName("FormMainPanel");
  // The panel keeps its place beside the main window when that moves.
  mainWindowPos_ = shell_.Window->pos();
  shell_.Window->installEventFilter(this);
}

panels::TFormMainPanel* TControlPanels::TV() const { return tv_; }
panels::TFormFMMainPanel* TControlPanels::FM() const { return fm_; }

TControlPanels::~TControlPanels() {
  delete tv_;
  delete fm_;
}

panels::TPanelEnvironment TControlPanels::Environment() {
  panels::TPanelEnvironment env;
  TShell& shell = shell_;
  env.UI = &ui_;
  env.Main = shell.Main;
  env.Channels = shell.Channels;
  env.Language = shell.Language;
  env.Capture = shell.Capture;
  env.Audio = shell.Audio;
  env.ExecuteCommand = [&shell](int code) { shell.Dispatcher->ExecuteCommand(code); };
  env.KeyPress = [&shell](QChar c) {
    if (shell.Window->KeyPress) shell.Window->KeyPress(c);
  };
  env.KeyUp = [&shell](int key, Qt::KeyboardModifiers m) { shell.Window->FormKeyUp(key, m); };
  env.MainPopupMenu = [&shell]() -> QMenu* { return shell.Window->PopupMainMenu(); };
  env.PIPPlaying = [&shell] { return shell.Window->PIPPlaying(); };
  env.TimeShiftReady = [&shell] { return shell.Capture->TimeShiftReady(); };
  env.Recording = [&shell] { return shell.Capture->Recording(); };
  env.SleepTimerRunning = [&shell] { return shell.Window->SleepCountdown.TimerSleeping.Enabled(); };
  env.SeekPlayer = [&shell](int fraction) {
    if (playback::IPlayer* player = playback::ActivePlayer(*shell.Playback))
      player->SetPosition(int(qint64(fraction) * playback::IPlayer::kPositionScale / 65536));
  };
  return env;
}

QSize TControlPanels::ScreenSize() const {
  const QScreen* screen = shell_.Window->screen() ? shell_.Window->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1024, 768);
}

void TControlPanels::CreateFMPanel() {
  if (fm_) return;
  fm_ = new panels::TFormFMMainPanel(panels::PaintFMSkin, Environment());
  fm_->setObjectName("FormFMMainPanel");
  fm_->setWindowTitle(shell_.Window->windowTitle());
}

void TControlPanels::ShowMainPanel() {
  if (!tvPlaced_) {
    tvPlaced_ = true;
    tv_->move(TVPanelFirstPosition(ScreenSize(), shell_.Window->frameGeometry(), tv_->size()));
  }
  tv_->show();
}

void TControlPanels::HideMainPanel() {
  if (tv_) tv_->hide();
}

void TControlPanels::ShowFMMainPanel() {
  CreateFMPanel();
  fm_->move(FMPanelPosition(ScreenSize(), fm_->size()));
  fm_->show();
  fm_->raise();
  fm_->activateWindow();
}

void TControlPanels::PlaceFMPanelForStart() {
  CreateFMPanel();
  fm_->move(FMPanelStartPosition(ScreenSize(), shell_.Window->size(), fm_->size()));
}

void TControlPanels::HideFMMainPanel() {
  if (fm_) fm_->hide();
}

void TControlPanels::ApplyLanguage() {
  if (tv_) tv_->ApplyPanelLanguage();
  if (fm_) fm_->ApplyPanelLanguage();
}

void TControlPanels::Minimise() {
  if (fm_ && fm_->isVisible())
    fm_->showMinimized();
  else
    shell_.Window->showMinimized();
}

void TControlPanels::FillHooks(TPanelHooks& hooks) {
  hooks.TVPanelExists = [this] { return !tv_.isNull(); };
  hooks.TVPanelVisible = [this] { return tv_ && tv_->isVisible(); };
  hooks.TVPanelFloating = [this] { return tv_ && tv_->Floating(); };
  hooks.SetTVPanelFloating = [this](bool floating) {
    if (tv_) tv_->SetFloating(floating);
  };
  hooks.ShowTVPanelNotTopmost = [this] {
    if (!tv_) return;
    tv_->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    tv_->show();
  };
  hooks.FMPanelVisible = [this] { return fm_ && fm_->isVisible(); };
  hooks.ShowTVPanel = [this] { ShowMainPanel(); };
  hooks.HideTVPanel = [this] { HideMainPanel(); };
  hooks.ShowFMPanel = [this] { ShowFMMainPanel(); };
  hooks.HideFMPanel = [this] { HideFMMainPanel(); };
}

QList<QRect> TControlPanels::VisiblePanelRects() const {
  QList<QRect> rects;
  if (tv_ && tv_->isVisible()) rects.append(tv_->frameGeometry());
  return rects;
}

void TControlPanels::ModeChanged(settings::TAppMode mode) {
  if (tv_) tv_->UpdateForMode(mode);
  if (fm_) fm_->UpdateForMode(mode);
}

void TControlPanels::VolumeChanged(qint32 volume, bool muted) {
  if (tv_) tv_->ShowVolume(volume, muted);
  if (fm_) fm_->ShowVolume(volume, muted);
}

void TControlPanels::EntryText(const QString& text) {
  if (tv_) tv_->ShowEntryText(text);
  if (fm_) fm_->ShowEntryText(text);
}

void TControlPanels::ChannelChanged(int channel) {
  if (tv_) tv_->ShowChannel(channel);
  if (fm_) fm_->ShowChannel(channel);
}

void TControlPanels::TableChanged(int table) {
  if (tv_) tv_->ShowTableChange(table);
}

void TControlPanels::SourceChanged() {
  if (tv_) tv_->ShowSourceChange();
}

void TControlPanels::TVAudioText(const QString& text) {
  if (tv_) tv_->ShowTVAudioText(text);
}

void TControlPanels::VideoStandardText(const QString& text) {
  if (tv_) tv_->ShowVideoStandardText(text);
}

void TControlPanels::CaptureProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes, qint64 third) {
  if (tv_) tv_->ShowCaptureProgress(timeShift, elapsedSeconds, bytes, third);
  if (fm_) fm_->ShowCaptureProgress(elapsedSeconds);
}

void TControlPanels::TimeShiftReady(bool ready) {
  if (tv_) tv_->SetTimeShiftReady(ready);
}

void TControlPanels::PlayPosition(bool timeShift, qint64 positionSeconds, qint64 durationSeconds) {
  if (tv_) tv_->ShowPlayPosition(timeShift, positionSeconds, durationSeconds);
  if (fm_) fm_->ShowPlayPosition(positionSeconds, durationSeconds);
}

void TControlPanels::PlayerRunning(bool running) {
  if (tv_) tv_->SetRunning(running);
  if (fm_) fm_->SetRunning(running);
}

void TControlPanels::FMTuned(quint32 hertz, bool locked) {
  if (fm_) fm_->ShowFMTuned(hertz, locked);
}

void TControlPanels::Capabilities(bool hasTuner) {
  if (tv_) tv_->ShowCapabilities(hasTuner);
}

void TControlPanels::SleepLabel(bool visible) {
  if (tv_) tv_->ShowSleepLabel(visible);
}

bool TControlPanels::eventFilter(QObject* watched, QEvent* event) {
  if (watched == shell_.Window && event->type() == QEvent::WindowStateChange && tv_) {
    // A tool window has no task-bar button to bring it back: it goes and comes with the window.
    if (shell_.Window->isMinimized() && tv_->isVisible()) {
      tv_->hide();
      tvHiddenWithWindow_ = true;
    } else if (!shell_.Window->isMinimized() && tvHiddenWithWindow_) {
      tvHiddenWithWindow_ = false;
      if (shell_.Window->isVisible()) tv_->show();
    }
  }
  if (watched == shell_.Window && event->type() == QEvent::Move &&
      shell_.Window->DisplayMode() == TDisplayModes::kNormal) {
    // Full screen moves the window too: the panel stays put then, and the way back is no move for
    // it either, since the place the window left is the one remembered.
    const QPoint now = shell_.Window->pos();
    const QPoint delta = now - mainWindowPos_;
    mainWindowPos_ = now;
    if (tv_ && tv_->isVisible() && !tv_->Floating() && !delta.isNull()) tv_->move(tv_->pos() + delta);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace pvx::app

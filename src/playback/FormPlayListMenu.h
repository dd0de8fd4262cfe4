#pragma once
// The "Play List" pop-up shown while a play list of more than one entry plays: previous, next,
// delete and exit over the list of entries. It moves on to the next entry at end of stream.

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

class QListWidget;
class QToolButton;

namespace pvx::playback {

class TPlaybackInfo;

class TFormPlayListMenu final : public QDialog {
  Q_OBJECT
 public:
  // The message the pop-up posts itself at end of stream; its handler plays the next entry.
  static constexpr int kPlayNextMessage = 6024;

  explicit TFormPlayListMenu(TPlaybackInfo& lists, QWidget* parent = nullptr);

  void FormCreate();
  void SbtnPreviousClick();
  void SbtnNextClick();
  void SbtnDeleteClick();
  void SbtnExitClick();
  void ListBoxPlaybakDblClick();
  // The lists' OnPlay: the entry at index started.
  void OnPlay(int index);
  // The file player reached the end: the next entry starts from the event loop, not from
  // inside the player's report.
  void PostEndOfStream();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  // Entries that failed to start left the play list; the rows follow it.
  void SyncRows();

  TPlaybackInfo& lists_;
  QPoint dragOffset_;
  bool dragging_ = false;
  QListWidget* ListBoxPlaybak_;
  QToolButton* SbtnPrevious_;
  QToolButton* SbtnNext_;
  QToolButton* SbtnDelete_;
  QToolButton* SbtnExit_;
};

// Creates the pop-up, replacing one already open, and shows it without waiting.
// Shows the pop-up beside `parent`'s window.
void ShowPlayListMenu(TPlaybackInfo& lists, QWidget* parent = nullptr);
void ClosePlayListMenu();
// The open pop-up, or nullptr.
TFormPlayListMenu* PlayListMenu();

}  // namespace pvx::playback

#pragma once
// The sleeping timer: a dialog to choose the minutes (0 to 300) after which the program closes
// and the computer is switched off, and the countdown that does it.

#include <QDialog>
#include <functional>

#include "platform/TTimer.h"

class QLabel;
class QPushButton;
class QSlider;

namespace pvx::settings {
class TMainInfo;
}

namespace pvx::app {

class TFormSleepingTimer final : public QDialog {
  Q_OBJECT
 public:
  // The dialog shows and sets `main`'s sleep minutes; nullptr: nothing is kept.
  explicit TFormSleepingTimer(settings::TMainInfo* main, QWidget* parent = nullptr);

  // Language texts and the stored minutes.
  void FormCreate();
  void BitBtnOKClick();
  void BitBtnCancelClick();
  void TrackBarSleepingTimerChange(int position);

 protected:
  // Escape does what Cancel does: it stops the timer (the close box leaves it as it was).
  void keyPressEvent(QKeyEvent* event) override;

 private:
  settings::TMainInfo* main_;
  QLabel* LabelSleeping_;
  QLabel* LabelTimerValue_;
  QLabel* LabelMinute_;
  QSlider* TrackBarSleepingTimer_;
  QLabel* LabelMin_;
  QLabel* LabelMax_;
  QPushButton* BitBtnOK_;
  QPushButton* BitBtnCancel_;
};

// Shows the dialog modally; true when it was closed with OK.
bool ShowSleepingTimerDialog(settings::TMainInfo* main, QWidget* parent);

// The countdown ("TimerSleeping") after which the program closes and the computer is switched
// off, or the scheduled-recording program is told to do it.
class TSleepCountdown {
 public:
  TSleepCountdown();

  // Command 12: the dialog, then the countdown restarts from the full interval or stops,
  // whichever way the dialog was closed.
  void Execute(QWidget* parent);
  // Restarts the countdown with SleepMinutes x 60000 ms, or stops it below 1 minute.
  void Apply();
  // The countdown ran out.
  void TimerSleepingTimer();

  platform::TTimer TimerSleeping;
  // A minute before, the desktop is told (for countdowns of two minutes or more).
  platform::TTimer TimerWarning;
  // Where the minutes are kept.
  settings::TMainInfo* Main = nullptr;

  // Shows the dialog; the default is ShowSleepingTimerDialog.
  std::function<bool(QWidget* parent)> ShowDialog;
  // Closes the main window, which runs the exit sequence.
  std::function<void()> CloseMainWindow;
  // Whether the scheduled-recording window exists, and posting it message 3035 (0, 0).
  std::function<bool()> SchedulerWindowExists;
  std::function<void()> NotifyScheduler;
  // The TV panel's sleep label shows while minutes are chosen.
  std::function<void(bool visible)> ShowSleepLabel;
};

}  // namespace pvx::app

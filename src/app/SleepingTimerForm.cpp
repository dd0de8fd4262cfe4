#include "app/SleepingTimerForm.h"

#include <QKeyEvent>

#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "platform/SystemServices.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"

namespace pvx::app {
namespace {

constexpr int kMaxMinutes = 300;
constexpr int kMsPerMinute = 60000;

template <typename W>
W* Place(W* widget, const char* name, int x, int y) {
  widget->setObjectName(QLatin1String(name));
  widget->move(x, y);
  return widget;
}

void SetPointSize(QWidget* widget, int size) {
  QFont font = widget->font();
  font.setPointSize(size);
  widget->setFont(font);
}

}  // namespace

TFormSleepingTimer::TFormSleepingTimer(settings::TMainInfo* main, QWidget* parent) : QDialog(parent), main_(main) {
  setObjectName("FormSleepingTimer");
  setWindowTitle("Set Sleeping timer");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(263, 110);

  LabelSleeping_ = Place(new QLabel("Sleeping timer to shutdown: ", this), "LabelSleeping", 10, 7);
  LabelTimerValue_ = Place(new QLabel("30", this), "LabelTimerValue", 179, 7);
  LabelMinute_ = Place(new QLabel("Minute", this), "LabelMinute", 204, 7);

  TrackBarSleepingTimer_ = new QSlider(Qt::Horizontal, this);
  TrackBarSleepingTimer_->setObjectName("TrackBarSleepingTimer");
  TrackBarSleepingTimer_->setGeometry(16, 32, 225, 25);
  TrackBarSleepingTimer_->setRange(0, kMaxMinutes);
  TrackBarSleepingTimer_->setValue(30);
  TrackBarSleepingTimer_->setTickPosition(QSlider::NoTicks);
  TrackBarSleepingTimer_->setPageStep(10);
  connect(TrackBarSleepingTimer_, &QSlider::valueChanged, this,
          &TFormSleepingTimer::TrackBarSleepingTimerChange);

  LabelMin_ = Place(new QLabel("0", this), "LabelMin", 19, 60);
  LabelMax_ = Place(new QLabel(this), "LabelMax", 232, 58);

  BitBtnOK_ = new QPushButton("OK", this);
  BitBtnOK_->setObjectName("BitBtnOK");
  BitBtnOK_->setGeometry(103, 75, 80, 35);
  BitBtnOK_->setDefault(true);
  connect(BitBtnOK_, &QPushButton::clicked, this, &TFormSleepingTimer::BitBtnOKClick);

  BitBtnCancel_ = new QPushButton("Cancel", this);
  BitBtnCancel_->setObjectName("BitBtnCancel");
  BitBtnCancel_->setGeometry(183, 75, 80, 35);
  connect(BitBtnCancel_, &QPushButton::clicked, this, &TFormSleepingTimer::BitBtnCancelClick);

  FormCreate();
  for (QLabel* label : {LabelSleeping_, LabelTimerValue_, LabelMinute_, LabelMin_, LabelMax_})
    label->adjustSize();
}

void TFormSleepingTimer::FormCreate() {
  if (const settings::TMultiLangInfo* lang = settings::MultiLangInfo) {
    SetPointSize(this, lang->FontSize);
    QString caption;
    if (lang->Lookup("SleepTimer", &caption)) setWindowTitle(caption);
    const std::pair<const char*, QWidget*> texts[] = {
        {"Shutdown", LabelSleeping_}, {"Minute", LabelMinute_}, {"OK", BitBtnOK_}, {"Cancel", BitBtnCancel_}};
    for (const auto& [key, widget] : texts) {
      if (!lang->Lookup(key, &caption)) continue;
      if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
      if (auto* button = qobject_cast<QPushButton*>(widget)) button->setText(caption);
      SetPointSize(widget, lang->FontSize);
    }
  }
  LabelMax_->setText(QString::number(TrackBarSleepingTimer_->maximum()));
  if (main_ && main_->Prefs().SleepMinutes > 0) TrackBarSleepingTimer_->setValue(main_->Prefs().SleepMinutes);
}

void TFormSleepingTimer::TrackBarSleepingTimerChange(int position) {
  LabelTimerValue_->setText(QString::number(position));
  LabelTimerValue_->adjustSize();
}

void TFormSleepingTimer::BitBtnOKClick() {
  if (main_) main_->SetSleepMinutes(TrackBarSleepingTimer_->value());
  accept();
}

void TFormSleepingTimer::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) return BitBtnCancelClick();
  QDialog::keyPressEvent(event);
}

void TFormSleepingTimer::BitBtnCancelClick() {
  if (main_) main_->SetSleepMinutes(0);
  reject();
}

bool ShowSleepingTimerDialog(settings::TMainInfo* main, QWidget* parent) {
  TFormSleepingTimer dialog(main, parent);
  return dialog.exec() == QDialog::Accepted;
}

TSleepCountdown::TSleepCountdown() {
  TimerSleeping.SetEnabled(false);
  TimerSleeping.OnTimer = [this](platform::TTimer&) { TimerSleepingTimer(); };
  TimerWarning.SetEnabled(false);
  TimerWarning.OnTimer = [this](platform::TTimer& t) {
    t.SetEnabled(false);
    const bool powerOff = !SchedulerWindowExists || !SchedulerWindowExists();
    platform::System().Notify(
        settings::LanguageText("SleepTimer", QStringLiteral("Sleeping Timer")),
        powerOff ? settings::LanguageText("NoticeSleep", QStringLiteral("OKA PVX closes in one minute and the computer switches off."))
                 : settings::LanguageText("NoticeSleepScheduler", QStringLiteral("OKA PVX closes in one minute.")));
  };
}

void TSleepCountdown::Execute(QWidget* parent) {
  if (ShowDialog)
    ShowDialog(parent);
  else
    ShowSleepingTimerDialog(Main, parent);
  Apply();
}

void TSleepCountdown::Apply() {
  const int minutes = Main ? Main->Prefs().SleepMinutes : 0;
  TimerSleeping.SetEnabled(false);
  TimerWarning.SetEnabled(false);
  if (minutes >= 1) {
    TimerSleeping.SetInterval(minutes * kMsPerMinute);
    TimerSleeping.SetEnabled(true);
  }
  if (minutes >= 2) {
    TimerWarning.SetInterval((minutes - 1) * kMsPerMinute);
    TimerWarning.SetEnabled(true);
  }
  if (ShowSleepLabel) ShowSleepLabel(minutes > 0);
}

void TSleepCountdown::TimerSleepingTimer() {
  // Once only, even if closing the window is refused.
  TimerSleeping.SetEnabled(false);
  if (CloseMainWindow) CloseMainWindow();
  if (SchedulerWindowExists && SchedulerWindowExists()) {
    if (NotifyScheduler) NotifyScheduler();
    return;
  }
  platform::System().PowerOff();
}

}  // namespace pvx::app

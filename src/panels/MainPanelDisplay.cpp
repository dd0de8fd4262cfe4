#include "panels/MainPanelDisplay.h"

#include <QDateTime>
#include <QPalette>
#include <QWidget>

#include "settings/Globals.h"
#include "util/TimeFormat.h"

namespace pvx::panels {

using namespace settings;

namespace {

// The display's labels: where they sit on the skin, how they align and which face they use.
// Right-aligned texts end inside the display window, which closes at x 211.
struct TLabelDef {
  const char* Name;
  const char* DesignText;
  QRect Box;
  Qt::Alignment Align;
  bool Mono;
  int PixelSize;
  bool Bold;
  bool Visible;
};

// In the order of TMainPanelDisplay's label enum.
const TLabelDef kLabels[] = {
    {"LabelTime", "00:00:00", {109, 49, 62, 14}, Qt::AlignLeft, true, 12, true, true},
    {"LabelDuration", "0MB", {128, 69, 80, 13}, Qt::AlignRight, true, 10, false, true},
    {"LabelCurretPos", "0:00:00", {108, 84, 100, 13}, Qt::AlignRight, true, 10, false, true},
    {"LabelDVCRState", "Live", {58, 69, 84, 13}, Qt::AlignLeft, false, 10, true, true},
    {"LabelVideoStandard", "", {118, 69, 40, 13}, Qt::AlignLeft, false, 10, false, false},
    {"LabelTVChannelAudio", "Mono", {50, 83, 52, 13}, Qt::AlignLeft, false, 10, false, true},
    {"LabelChannel", "00", {178, 123, 42, 20}, Qt::AlignHCenter, true, 15, true, true},
    {"LabelSleep", "Sleep", {103, 83, 32, 13}, Qt::AlignLeft, false, 9, true, false},
};

QLabel* CreateLabel(const TLabelDef& def, QWidget* parent, const QColor& color) {
  auto* label = new QLabel(QString::fromLatin1(def.DesignText), parent);
  label->setObjectName(QLatin1String(def.Name));
  QFont font(def.Mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  font.setPixelSize(def.PixelSize);
  font.setBold(def.Bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  label->setFont(font);
  label->setGeometry(def.Box);
  label->setAlignment(def.Align | Qt::AlignVCenter);
  // Transparent on the display, and the skin under it gets the mouse.
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  label->setVisible(def.Visible);
  return label;
}

}  // namespace

TMainPanelDisplay::TMainPanelDisplay(QWidget* parent, const QColor& color) {
  for (int i = 0; i < kLabelCount; ++i) labels_[size_t(i)] = CreateLabel(kLabels[i], parent, color);
}

void TMainPanelDisplay::ShowMode(TAppMode mode, const QString& sourceText) {
  switch (mode) {
    case amTV:
      Label(lbDVCRState)->setText(sourceText);
      Label(lbDuration)->setText(QStringLiteral(" 0MB"));
      Label(lbCurretPos)->setText(QStringLiteral("0:00:00"));
      break;
    case amCapture:
    case amScheduledCapture:
      Label(lbDVCRState)->setText(settings::LanguageText("BadgeRecording", QStringLiteral("REC")));
      break;
    case amPlayback:
      Label(lbDVCRState)->setText(settings::LanguageText("Play", QStringLiteral("Play")));
      break;
    case amTimeShifting:
    case amTimeShiftPlayback:
      Label(lbDVCRState)->setText(settings::LanguageText("BadgeTimeShift", QStringLiteral("Time-Shifting")));
      break;
    default:
      break;
  }
}

void TMainPanelDisplay::ShowStateText(const QString& text) { Label(lbDVCRState)->setText(text); }

void TMainPanelDisplay::SetStateFontSize(int languagePointSize) {
  QFont font = Label(lbDVCRState)->font();
  font.setPixelSize(qBound(9, languagePointSize * 4 / 3, 13));
  Label(lbDVCRState)->setFont(font);
}

void TMainPanelDisplay::ShowCaptureProgress(bool timeShift, bool keepPosition, qint64 elapsedSeconds, qint64 bytes,
                                            qint64 third) {
  const QString elapsed = util::FormatSeconds(elapsedSeconds);
  if (timeShift) {
    // The buffer's share of its limit, once there is one to speak of; until then (a limit of
    // gigabytes reads "0.00 %" for many minutes) the bytes written, as a recording shows them.
    const double share = third > 0 ? double(bytes) * 100 / third : 0;
    Label(lbDuration)->setText(bytes <= 0 ? QString()
                               : share >= 1 ? QString::asprintf("%.2f %%", share)
                                            : QString::asprintf("%.2f MB", double(bytes) / 1000000));
    if (!keepPosition) Label(lbCurretPos)->setText(elapsed);
  } else {
    Label(lbDuration)->setText(QString::asprintf("%.2f MB", double(bytes) / 1000000));
    Label(lbCurretPos)->setText(elapsed);
  }
}

void TMainPanelDisplay::ShowPlayTimes(bool timeShift, qint64 positionSeconds, qint64 durationSeconds) {
  const QString position = util::FormatSeconds(positionSeconds), duration = util::FormatSeconds(durationSeconds);
  if (timeShift) {
    Label(lbCurretPos)->setText(position + '/' + duration);
  } else {
    Label(lbDuration)->setText(duration);
    Label(lbCurretPos)->setText(position);
  }
}

void TMainPanelDisplay::ShowChannel(int channel) {
  Label(lbChannel)->setText(QString::number(channel).rightJustified(2, ' '));
}

void TMainPanelDisplay::ShowChannelText(const QString& text) { Label(lbChannel)->setText(text); }

void TMainPanelDisplay::SetChannelShown(bool shown) { Label(lbChannel)->setVisible(shown); }

void TMainPanelDisplay::ShowTVAudioText(const QString& text) { Label(lbTVChannelAudio)->setText(text); }

void TMainPanelDisplay::SetTVAudioShown(bool shown) { Label(lbTVChannelAudio)->setVisible(shown); }

void TMainPanelDisplay::ShowVideoStandardText(const QString& text) { Label(lbVideoStandard)->setText(text); }

void TMainPanelDisplay::ShowClock(const QDateTime& now) { Label(lbTime)->setText(util::FormatClock(now)); }

void TMainPanelDisplay::Tick(const QDateTime& now, bool recording, bool sleepRunning) {
  ShowClock(now);
  QLabel* state = Label(lbDVCRState);
  state->setVisible(recording ? !state->isVisible() : true);
  QLabel* sleep = Label(lbSleep);
  sleep->setVisible(sleepRunning && !sleep->isVisible());
}

void TMainPanelDisplay::SetSleepShown(bool shown) { Label(lbSleep)->setVisible(shown); }

}  // namespace pvx::panels

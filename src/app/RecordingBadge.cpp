#include "app/RecordingBadge.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "settings/Globals.h"

namespace pvx::app {

namespace {
constexpr int kPad = 8;
constexpr int kDot = 10;
}  // namespace

TRecordingBadge::TRecordingBadge(QWidget* parent) : QWidget(parent) {
  setObjectName("RecordingBadge");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont f = font();
  f.setBold(true);
  f.setPixelSize(12);
  setFont(f);
  Fit();
  hide();
}

QString TRecordingBadge::ElapsedText(qint64 seconds) {
  seconds = std::max<qint64>(seconds, 0);
  return QString::asprintf("%lld:%2.2lld:%2.2lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QString TRecordingBadge::SizeText(qint64 bytes) {
  return QString::asprintf("%.2f MB", double(std::max<qint64>(bytes, 0)) / 1000000.0);
}

QString TRecordingBadge::Text() const {
  using settings::LanguageText;
  switch (kind_) {
    case Kind::Playing: {
      const QString state = paused_ ? LanguageText("Pause", "Pause") : LanguageText("Play", "Play");
      return state + "  " + ElapsedText(elapsed_) + " / " + ElapsedText(bytes_);
    }
    case Kind::TimeShift:
      return LanguageText("BadgeTimeShift", "Time-Shifting") + "  " + ElapsedText(elapsed_) + "  " + SizeText(bytes_);
    default: return LanguageText("BadgeRecording", "REC") + "  " + ElapsedText(elapsed_) + "  " + SizeText(bytes_);
  }
}

void TRecordingBadge::SetPlaying(qint64 currentSeconds, qint64 totalSeconds, bool paused) {
  kind_ = Kind::Playing;
  paused_ = paused;
  // A position reported past the end (the last picture's duration) shows as the end.
  elapsed_ = totalSeconds > 0 ? std::min(currentSeconds, totalSeconds) : currentSeconds;
  bytes_ = totalSeconds;
  Fit();
  update();
}

void TRecordingBadge::SetPaused(bool paused) {
  if (kind_ != Kind::Playing || paused == paused_) return;
  paused_ = paused;
  Fit();
  update();
}

void TRecordingBadge::SetProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes) {
  kind_ = timeShift ? Kind::TimeShift : Kind::Recording;
  elapsed_ = elapsedSeconds;
  bytes_ = bytes;
  Fit();
  update();
}

void TRecordingBadge::Fit() {
  // Digits are of one width, so the badge grows only when a figure gains a digit.
  const QFontMetrics m(font());
  const QSize size(kPad * 3 + kDot + m.horizontalAdvance(Text()), m.height() + kPad);
  if (size == this->size()) return;
  const int centre = x() + width() / 2;
  resize(size);
  if (isVisible()) move(centre - width() / 2, y());
}

void TRecordingBadge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath frame;
  frame.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  p.fillPath(frame, QColor(0, 0, 0, 170));
  // Recording: a red dot that blinks with the seconds (steady for a time-shift buffer);
  // playing: a green play mark.
  const QRectF dot(kPad, (height() - kDot) / 2.0, kDot, kDot);
  p.setPen(Qt::NoPen);
  if (kind_ == Kind::Playing && paused_) {
    p.setBrush(QColor(230, 190, 60));
    p.drawRect(QRectF(dot.left(), dot.top(), dot.width() * 0.35, dot.height()));
    p.drawRect(QRectF(dot.right() - dot.width() * 0.35, dot.top(), dot.width() * 0.35, dot.height()));
  } else if (kind_ == Kind::Playing) {
    p.setBrush(QColor(80, 200, 90));
    p.drawPolygon(QPolygonF({dot.topLeft(), QPointF(dot.right(), dot.center().y()), dot.bottomLeft()}));
  } else {
    const bool lit = kind_ == Kind::TimeShift || elapsed_ % 2 == 0;
    p.setBrush(lit ? QColor(230, 40, 40) : QColor(120, 30, 30));
    p.drawEllipse(dot);
  }
  p.setPen(Qt::white);
  p.drawText(QRect(kPad * 2 + kDot, 0, width() - kPad * 3 - kDot, height()), Qt::AlignVCenter | Qt::AlignLeft,
             Text());
}

}  // namespace pvx::app

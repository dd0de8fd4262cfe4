#include "app/RecordingBadge.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

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
  const QString head = timeShift_ ? QStringLiteral("Time-Shifting") : QStringLiteral("REC");
  return head + "  " + ElapsedText(elapsed_) + "  " + SizeText(bytes_);
}

void TRecordingBadge::SetProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes) {
  timeShift_ = timeShift;
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
  // The dot blinks with the seconds while recording; it stays lit for a time-shift buffer.
  const bool lit = timeShift_ || elapsed_ % 2 == 0;
  const QRectF dot(kPad, (height() - kDot) / 2.0, kDot, kDot);
  p.setPen(Qt::NoPen);
  p.setBrush(lit ? QColor(230, 40, 40) : QColor(120, 30, 30));
  p.drawEllipse(dot);
  p.setPen(Qt::white);
  p.drawText(QRect(kPad * 2 + kDot, 0, width() - kPad * 3 - kDot, height()), Qt::AlignVCenter | Qt::AlignLeft,
             Text());
}

}  // namespace pvx::app

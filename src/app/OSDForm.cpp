#include "app/OSDForm.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/video/TVideoWindow.h"
#include "settings/MainInfo.h"

namespace pvx::app {

namespace {

// Yellow bold text with a dark outline: readable over any picture on a see-through window.
class TOutlinedLabel final : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const QString line = text();
    // The advance keeps trailing spaces, which hold right-justified text off the edge.
    const int width = metrics.horizontalAdvance(line);
    int x = 0;
    if (alignment() & Qt::AlignRight)
      x = this->width() - width;
    else if (alignment() & Qt::AlignHCenter)
      x = (this->width() - width) / 2;
    const int y = (height() - metrics.height()) / 2 + metrics.ascent();
    QPainterPath path;
    path.addText(x, y, font(), line);
    painter.strokePath(path, QPen(QColor(0, 0, 0, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, QColor(Qt::yellow));
  }
};

}  // namespace

TFormOSD::TFormOSD(QWidget* owner, IOSDHost* host, const settings::TMainInfo* main)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      owner_(owner),
      host_(host),
      main_(main) {
  setObjectName("FormOSD");
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  resize(130, 23);

  LabelOSD_ = new TOutlinedLabel(this);
  LabelOSD_->setObjectName("LabelOSD");
  LabelOSD_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LabelOSD_->setLayoutDirection(Qt::RightToLeft);
  LabelOSD_->setAttribute(Qt::WA_TranslucentBackground);
  QFont font = LabelOSD_->font();
  font.setBold(true);
  font.setPixelSize(16);
  LabelOSD_->setFont(font);
  LabelOSD_->setGeometry(rect());

  TimerShowOSD.SetInterval(kShowMs);
  TimerShowOSD.OnTimer = [this](platform::TTimer&) { HideOSD(); };
}

TFormOSD::~TFormOSD() = default;

TOSDPlacement TFormOSD::PlaceOSD(const IOSDHost& host, bool atTop) {
  TOSDPlacement place;
  if (host.IsFullScreen()) {
    const QSize screen = host.ScreenSize();
    const int width = screen.width() / 2;
    const int height = screen.height() / 15;
    if (atTop) {
      place.Bounds = QRect(screen.width() / 2, 10, width, height);
      place.Alignment = Qt::AlignRight | Qt::AlignVCenter;
    } else {
      place.Bounds = QRect(screen.width() / 2 - width / 2, screen.height() - 144, width, height);
      place.Alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    }
    place.FontSize = screen.height() < 601 ? 24 : 36;
    return place;
  }
  const QRect window = host.Bounds();
  const QMargins border = host.BorderSizes();
  const int left = window.left() + border.left() + 20;
  const int top =
      atTop ? window.top() + border.top() + 20 : window.top() + window.height() - border.bottom() - 60;
  const int width = window.width() - border.left() - border.right() - 40;
  place.Bounds = QRect(left, top, width, window.height() / 18);
  place.Alignment = (atTop ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignVCenter;
  place.FontSize = window.height() > 360 ? window.height() / 30 : 12;
  return place;
}

void TFormOSD::ShowText(const QString& text) {
  showing_ = true;
  // A new text restarts the two seconds.
  TimerShowOSD.SetEnabled(false);
  TimerShowOSD.SetEnabled(true);
  LabelOSD_->setText(text + "  ");
  LabelOSD_->setGeometry(rect());
  // Stays on top by its flags; shown without taking the focus.
  show();
  LabelOSD_->update();
}

void TFormOSD::HideOSD() {
  if (!showing_) return;
  hide();
  TimerShowOSD.SetEnabled(false);
  showing_ = false;
}

void TFormOSD::keyPressEvent(QKeyEvent* event) {
  const bool preview = main_ && main_->Mode() == settings::amChannelPreview;
  if (!preview && KeyPress)
    for (QChar c : event->text()) KeyPress(c);
  event->accept();
}

void TFormOSD::keyReleaseEvent(QKeyEvent* event) {
  const bool preview = main_ && main_->Mode() == settings::amChannelPreview;
  if (!preview && !event->isAutoRepeat() && KeyUp) KeyUp(event->key(), event->modifiers());
  event->accept();
}

void TFormOSD::Show(const QString& text, bool atTop) {
  if (!host_ || text.isEmpty() || !enabled_) return;
  const IOSDHost& host = *host_;
  if (!owner_ || !owner_->isVisible() || host.IsOverlayFullScreen()) return;
  if (main_ && main_->Mode() == settings::amChannelPreview) return;
  if (host.StillShown() || host.PlayerExists()) return;
  // The text needs the renderer's overlay surface; the user may have switched it off.
  if (videoWindow_ && main_ && main_->Prefs().NoOverlay) return;

  const TOSDPlacement place = PlaceOSD(host, atTop);
  if (CoveringWindows)
    for (const QRect& other : CoveringWindows())
      if (other.intersects(place.Bounds)) return;

  setGeometry(place.Bounds);
  LabelOSD_->setAlignment(place.Alignment);
  QFont font = LabelOSD_->font();
  font.setPointSize(place.FontSize);
  LabelOSD_->setFont(font);
  ShowText(text);
}

}  // namespace pvx::app

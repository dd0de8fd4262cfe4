#include "app/WindowBorders.h"

#include "app/BorderArtwork.h"
#include "app/MenuImage.h"

namespace pvx::app {
namespace {

QLabel* BorderImage(QWidget* form, const char* name, TBorderArtwork::Edge edge) {
  auto* image = new QLabel(form);
  image->setObjectName(QLatin1String(name));
  image->setScaledContents(true);
  image->setPixmap(TBorderArtwork::Border(edge));
  image->setAttribute(Qt::WA_TransparentForMouseEvents);
  return image;
}

}  // namespace

TWindowBorders::TWindowBorders(QWidget* form)
    : top_(BorderImage(form, "ImageBoarderTop", TBorderArtwork::Top)),
      bottom_(BorderImage(form, "ImageBoarderBottom", TBorderArtwork::Bottom)),
      left_(BorderImage(form, "ImageBoarderLeft", TBorderArtwork::Left)),
      right_(BorderImage(form, "ImageBoarderRight", TBorderArtwork::Right)),
      menu_(new TMenuImage(form)) {}

void TWindowBorders::Layout(QSize client) {
  const int w = client.width();
  const int h = client.height();
  const int top = TBorderArtwork::kTopHeight;
  const int bottom = TBorderArtwork::kBottomHeight;
  const int side = TBorderArtwork::kSideWidth;
  top_->setGeometry(0, 0, w, top);
  bottom_->setGeometry(0, h - bottom, w, bottom);
  left_->setGeometry(0, top, side, h - top - bottom);
  right_->setGeometry(w - side, top, side, h - top - bottom);
}

void TWindowBorders::SetVisible(bool visible) {
  for (QWidget* part : std::initializer_list<QWidget*>{top_, bottom_, left_, right_, menu_})
    part->setVisible(visible);
}

QMargins TWindowBorders::Sizes() const {
  return {left_->width(), top_->height(), right_->width(), bottom_->height()};
}

QRect TWindowBorders::Inner(const QRect& client) const {
  return Visible() ? client.marginsRemoved(Sizes()) : client;
}

}  // namespace pvx::app

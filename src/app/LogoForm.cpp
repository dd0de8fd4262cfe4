#include "app/LogoForm.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/ProgramFolder.h"

namespace pvx::app {
namespace {
constexpr int kWidth = 641;
constexpr int kHeight = 481;
}  // namespace

TFormLogo::TFormLogo()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
  setObjectName("FormLogo");
  setFixedSize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Image_ = new QLabel(this);
  Image_->setObjectName("Image1");
  Image_->setScaledContents(true);
  layout->addWidget(Image_);
  if (QScreen* screen = QApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

void TFormLogo::ShowLogo() {
  const QString path = platform::DataFile("QLOGO.BMP");
  QPixmap logo;
  hasLogo_ = !path.isEmpty() && logo.load(path);
  if (!hasLogo_) return;
  Image_->setPixmap(logo);
  show();
  raise();
  RepaintLogo();
}

void TFormLogo::RepaintLogo() {
  if (hasLogo_) Image_->repaint();
}

}  // namespace pvx::app

// OKA PVX: watch and record analogue TV and FM radio.

#include <QApplication>
#include <QTimer>

#include "app/Startup.h"

namespace {
// How long the splash stays before the program closes, until live TV arrives in the window.
constexpr int kSplashMs = 2500;
}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("oka-pvx");
  QApplication::setApplicationDisplayName("OKA PVX");

  if (!pvx::app::InitializeApplication()) {
    pvx::app::ShutdownApplication();
    return 1;
  }
  bool ok = false;
  const int splashMs = qEnvironmentVariableIntValue("OKA_PVX_SPLASH_MS", &ok);
  QTimer::singleShot(ok ? splashMs : kSplashMs, &app, &QApplication::quit);
  const int result = app.exec();
  pvx::app::ShutdownApplication();
  return result;
}

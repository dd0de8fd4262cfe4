#include "app/WindowLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>

namespace pvx::app {

namespace {

Q_LOGGING_CATEGORY(lcWindows, "pvx.windows", QtWarningMsg)

class TWindowLog final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
      qCInfo(lcWindows) << "shown" << watched->metaObject()->className();
    return false;
  }
};

}  // namespace

void LogOpenedWindows(QCoreApplication& app) {
  // A filter on every event of the program only when someone reads the lines.
  if (lcWindows().isInfoEnabled()) app.installEventFilter(new TWindowLog(&app));
}

}  // namespace pvx::app

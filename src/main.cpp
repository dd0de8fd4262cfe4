// OKA PVX: watch and record analogue TV and FM radio.

#include <QApplication>

#include "app/Application.h"
#include "app/WindowLog.h"
#include "platform/BuiltinComponents.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "platform/TerminationSignals.h"
#include "platform/ipc/TInstanceLock.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("oka-pvx");
  QApplication::setApplicationDisplayName("OKA PVX");
  pvx::app::LogOpenedWindows(app);

  namespace ipc = pvx::platform::ipc;
  // One instance per user: a second start brings the first to the front and leaves.
  ipc::TInstanceLock lock;
  if (!lock.Acquire()) {
    ipc::SendMessage(ipc::kMainWindowClass, ipc::kMsgActivate, 0, 0);
    return 0;
  }

  // The composition root: the graphs find the program's components through this registry.
  pvx::platform::graph::TComponentRegistry components;
  pvx::platform::RegisterBuiltinComponents(components);

  pvx::app::TApplication shell(components, QApplication::arguments().mid(1));
  // A logout or kill ends through Exit: graph closed, settings written.
  pvx::platform::HandleTerminationSignals([&shell] { shell.RequestExit(); });
  if (!shell.InitializeApplication()) return 1;
  return app.exec();
}

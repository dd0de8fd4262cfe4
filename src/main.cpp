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
#include "util/StandardOptions.h"

namespace {

constexpr char kUsage[] =
    "Usage: oka-pvx [fm | srec_tv | srec_fm] [--serve] [Qt options]\n"
    "       oka-pvx --help | --version\n"
    "\n"
    "Watches and records analogue TV and FM radio from a TV card, or from the built-in\n"
    "virtual card when there is none.\n"
    "\n"
    "  fm         start in FM radio (when FM is enabled and the card has a tuner)\n"
    "  srec_tv    start, then record what the scheduler handed over\n"
    "  srec_fm    the same, starting in FM radio\n"
    "  --serve    also serve a remote-control page and its API on http://127.0.0.1:8765/\n"
    "  --help     print this text\n"
    "  --version  print the version and the build date\n"
    "\n"
    "A second start brings the running program to the front. oka-remote drives it from a\n"
    "shell; Scheduled records programmes at set times.\n"
    "Environment: OKA_PVX_HOME (the program folder, default ~/.config/oka-pvx),\n"
    "QT_QPA_PLATFORM=offscreen (no screen).\n";

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before any window, lock or socket exists, so it works without a screen.
  // Beside ours, what QApplication takes from the command line itself.
  if (const auto status = pvx::util::AnswerStandardOptions(
          argc, argv, "oka-pvx", kUsage,
          {"--serve", "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry", "-geometry",
           "-qwindowtitle", "-title", "-qwindowicon", "-icon", "-display", "-name", "-reverse", "-session",
           "-style", "-stylesheet", "-widgetcount", "-sync", "-nograb", "-dograb"}))
    return *status;
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

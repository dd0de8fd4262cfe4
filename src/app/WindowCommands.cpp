// The application's own commands: exit, minimise, full screen, help, About, the TV guide and
// the sleeping timer; and the dialogs this build does not have yet.

#include "app/AboutDialog.h"
#include "app/ChannelCommands.h"
#include "app/FMCommands.h"
#include "app/ControlPanels.h"
#include "app/MainForm.h"
#include "app/ShellContext.h"
#include "app/SourceCommands.h"
#include "handoff/SchedulerLink.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemServices.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ChannelInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "snapshots/FormSnapshotList.h"
#include "ui/settings/ConfigForm.h"
#include "util/Services.h"

namespace pvx::app {

namespace ipc = pvx::platform::ipc;

bool TShell::FMPanelVisible() const {
  const auto& hook = Window ? Window->Panels.FMPanelVisible : std::function<bool()>();
  return hook ? hook() : FMPanelShown;
}

namespace {

void OpenHelp() {
  using settings::MultiLangInfo;
  const QString name = MultiLangInfo ? "PVX_" + MultiLangInfo->LanguageName + ".html" : QString();
  QString help = name.isEmpty() ? QString() : platform::DataFile(name);
  // A language without its own page reads the English one.
  if (help.isEmpty()) help = platform::DataFile("PVX_English.html");
  if (!help.isEmpty()) platform::System().OpenUrl(help);
}

// The settings dialog over the main window; afterwards the window keeps its always-on-top
// setting unless it fills the screen.
void ShowSettings(TShell& shell) {
  TFormMainWindow* window = shell.Window;
  ui::TConfigEnvironment env;
  env.Main = shell.Main;
  env.Channels = shell.Channels;
  env.Preview = shell.Preview;
  env.Language = shell.Language;
  env.Capture = shell.Capture;
  env.Audio = shell.Audio;
  env.ApplyServing = shell.ApplyServing;
  env.FMMode = shell.FMPanelVisible();
  env.Aspect = [window] { return window->Aspect(); };
  env.SetAspect = [window](int aspect) { window->SetAspect(aspect); };
  env.OverlayFullScreen = [window] { return window->IsOverlayFullScreen(); };
  env.SetOverlayFullScreen = [window](bool on) { window->SetOverlayFullScreen(on); };
  env.SwitchSource = [&shell](int source) {
    switch (source) {
      case settings::TChannelInfo::kTuner: {
        const int table = shell.Channels->CurrentTable();
        SelectSource(shell, table == settings::TChannelInfo::kMemory  ? TSourceChoice::Memory
                            : table == settings::TChannelInfo::kCable ? TSourceChoice::Cable
                                                           : TSourceChoice::Antenna);
        break;
      }
      case settings::TChannelInfo::kSVideo: SelectSource(shell, TSourceChoice::SVideo); break;
      case settings::TChannelInfo::kCamera: SelectSource(shell, TSourceChoice::Camera); break;
      default: SelectSource(shell, TSourceChoice::Composite); break;
    }
  };
  env.Relocalise = [&shell, window] {
    window->ApplyLanguage();
    if (shell.Panels) shell.Panels->ApplyLanguage();
    if (snapshots::TFormSnapshotList* list = shell.SnapshotBrowser->Form()) list->ApplyLanguage();
  };
  env.Help = [] { OpenHelp(); };
  ui::ShowConfigForm(env, window);
  if (!window->IsFullScreen() && !window->IsOverlayFullScreen())
    window->SetAlwaysOnTop(shell.Main->Prefs().AlwaysOnTop);
}

}  // namespace

void RegisterWindowCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  TFormMainWindow* window = shell.Window;
  using enum commands::TCommand;
  // Exit stops a running scan at its next channel.
  d.RegisterAtOnce(Exit, [&shell] {
    shell.Exiting = true;
    if (shell.Channels->Scanning()) shell.Channels->RequestAbort();
    return false;
  });
  d.Register(Exit, [&shell] {
    shell.Exiting = true;
    if (shell.FMPanelVisible()) KeepFMStateForExit(shell);
    shell.Main->SetStartInFM(shell.FMPanelVisible());
    shell.CloseProgram();
  });
  d.Register(Minimise, [&shell, window] {
    if (shell.Panels)
      shell.Panels->Minimise();
    else
      window->showMinimized();
  });
  d.Register(MinimiseOrRestore, [window] {
    if (window->isMinimized())
      window->showNormal();
    else
      window->showMinimized();
  });
  d.Register(FullScreen, [window] { window->SetFullScreen(!window->IsFullScreen()); });
  d.Register(Help, [] { OpenHelp(); });
  d.Register(SleepTimer, [window] { window->SleepCountdown.Execute(window); });
  d.Register(About, [&shell, window] {
    TDialogAbout about(*shell.OEM, window);
    about.exec();
  });
  d.Register(IEPG, [] { util::OpenTVGuide(); });
  d.Register(Setup, [&shell] { ShowSettings(shell); });
  d.Register(TVSetupWizard, [&shell] {
    if (!shell.Channels->Scanning()) SetupWizard(shell, false);
  });
  d.Register(Schedule, [] {
    if (!handoff::ShowScheduler())
      settings::ShowErrorText(QStringLiteral("The scheduled-recording program \"%1\" could not be started. "
                                             "It should be installed beside this program.")
                                  .arg(handoff::kSchedulerProgram));
  });

  // When the countdown runs out the scheduler, if it runs, switches the computer off.
  TSleepCountdown& countdown = window->SleepCountdown;
  countdown.SchedulerWindowExists = [] { return handoff::FindSchedulerWindow(); };
  countdown.NotifyScheduler = [] {
    ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgSleepTimerExpired, 0, 0);
  };
}

}  // namespace pvx::app

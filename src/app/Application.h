#pragma once
// The program's spine: the process-wide objects created and freed in their fixed order, the
// two start-up phases, the relay of model events to the windows, the command dispatcher with
// its handlers (by domain, in their own files), the main window's message endpoint, and the
// exit sequence.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

class QTimer;

#include "app/CommandDispatcher.h"
#include "app/ShellContext.h"
#include "settings/MainInfo.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"

namespace pvx::engine {
class TAudioAdjustInfo;
class TCaptureInfo;
class TChannelTunerAdapter;
}  // namespace pvx::engine
namespace pvx::platform::graph {
class TComponentRegistry;
}
namespace pvx::platform::ipc {
class TMessageEndpoint;
}
namespace pvx::settings {
class TChannelInfo;
class TCountryInfo;
class TMultiLangInfo;
class TPreviewInfo;
class THotkeyControlInfo;
}
namespace pvx::playback {
struct TPlaybackSession;
}
namespace pvx::util {
class TOEMInfo;
}


namespace pvx::app {

class TFormLogo;
class TFormMainWindow;
class TMediaPlayerLink;
class THomeServing;

class TApplication final : public QObject {
  Q_OBJECT
 public:
  // `arguments` are the command line after the program name: "fm" starts in FM radio,
  // "srec_tv" and "srec_fm" start the scheduler's recording once running.
  // `components` is the registry start-up filled; it outlives the application.
  explicit TApplication(const platform::graph::TComponentRegistry& components,
                        QStringList arguments = {});
  ~TApplication() override;

  // Phase 1; false means the program must end (the user was told why).
  bool InitializeApplication();
  // Phase 2, run from the event loop by the start-up continuation; false means the program
  // must end.
  bool StartApplication();
  // Exit: closes the graph, writes both settings files, frees the objects. Runs once.
  void ShutdownApplication();

  TCommandResult ExecuteCommand(commands::TCommand code) { return dispatcher_.ExecuteCommand(code); }
  TCommandResult ExecuteCommand(int code) { return dispatcher_.ExecuteCommand(code); }
  // The session ends or the user kills the program: dialogs close and Exit runs once the
  // current command (a tune waiting for its picture) is done.
  void RequestExit();
  // A message to the main window's endpoint (command, scheduled start, FM, activation).
  qint32 HandleMessage(quint32 message, qint32 wParam, qint32 lParam);
  // Starts the home server (the page and its API) on OKA_PVX_SERVE_PORT (0: a free one) or the
  // usual port, for this computer or the whole home network; the port it listens on, 0 when
  // it cannot.
  quint16 Serve(bool otherDevices = false);
  void StopServing();
  // The RTSP address of the live view with its token; empty without the RTSP server.
  QString LiveStreamLink() const;
  // The page's address with its token; empty while it does not serve.
  QString ServingLink() const;
  quint16 ServerPort() const;

  TFormMainWindow* MainWindow() const { return mainWindow_; }
  engine::TCaptureInfo* CaptureInfo() const { return capture_.get(); }
  engine::TAudioAdjustInfo* AudioAdjustInfo() const { return audio_.get(); }
  TCommandDispatcher& Dispatcher() { return dispatcher_; }
  TControlPanels* Panels() const { return panels_.get(); }
  const snapshots::TSnapshotInfo& Snapshots() const { return snapshots_; }
  // The models of the run, from creation to the exit sequence.
  settings::TMainInfo& Main() const { return *main_; }
  settings::TChannelInfo& Channels() const { return *channels_; }
  settings::TPreviewInfo& Preview() const { return *preview_; }
  playback::TPlaybackSession& Playback() const { return *playback_; }

  static QString MainSettingsPath();
  static QString ChannelSettingsPath();

 signals:
  // Phase 2 finished (or failed): the program shows live TV now.
  void Started(bool ok);

 private:
  void CreateModelObjects();
  void ContinueStartUp();
  // Closes the open dialogs for an exit; one still busy (a scan) is tried again shortly.
  void CloseDialogsForExit();
  QString FirstArgument() const;
  void WireRelays();
  void RegisterCommands();
  // Runs from the event loop, so a sender never waits on a modal dialog.
  void Later(std::function<void()> work);
  // The capture settings are the engine's, read into or written from `capture`.
  settings::TMainSettingsPeers Peers(settings::TCaptureSettings& capture);

  const platform::graph::TComponentRegistry& components_;
  QStringList arguments_;
  TCommandDispatcher dispatcher_;
  TShell shell_;
  std::unique_ptr<settings::TMainInfo> main_;
  std::unique_ptr<settings::TChannelInfo> channels_;
  std::unique_ptr<settings::TPreviewInfo> preview_;
  std::unique_ptr<settings::TCountryInfo> country_;
  std::unique_ptr<settings::TMultiLangInfo> language_;
  std::unique_ptr<engine::TAudioAdjustInfo> audio_;
  std::unique_ptr<settings::THotkeyControlInfo> hotkeys_;
  std::unique_ptr<util::TOEMInfo> oem_;
  // Outlives the windows that show it.
  snapshots::TSnapshotInfo snapshots_;
  snapshots::TSnapshotBrowser snapshotBrowser_{snapshots_};
  std::unique_ptr<playback::TPlaybackSession> playback_;
  std::unique_ptr<engine::TCaptureInfo> capture_;
  std::unique_ptr<engine::TChannelTunerAdapter> tunerAdapter_;
  std::unique_ptr<platform::ipc::TMessageEndpoint> endpoint_;
  std::unique_ptr<TMediaPlayerLink> mediaPlayer_;
  std::unique_ptr<THomeServing> serving_;
  std::unique_ptr<TControlPanels> panels_;
  TFormMainWindow* mainWindow_ = nullptr;
  TFormLogo* logo_ = nullptr;
  quint32 screenSaverCookie_ = 0;
  bool started_ = false;
  bool shutDown_ = false;
  // Asked to end before the commands could take it (a warning during the start).
  bool exitRequested_ = false;
  // The channel file is written back only once it was read (an early exit keeps the user's) and
  // not when the first start's wizard never finished (the next start asks again).
  bool saveChannels_ = false;
};

}  // namespace pvx::app

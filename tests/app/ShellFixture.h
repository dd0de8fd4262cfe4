#pragma once
// The whole shell in this process on the virtual card, started as the program starts, and a
// stand-in for the scheduled-recording program's window. It includes what the shell tests
// name most: the models, the clock, the messages and the fake services, and (through the form
// helpers) the main window.

#include "FormTestSupport.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QThread>
#include <QFile>
#include <QTest>
#include <mutex>
#include <utility>
#include <atomic>

#include "app/Application.h"
#include "app/ControlPanels.h"
#include "panels/FormMainPanel.h"
#include "engine/CaptureInfo.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/Clock.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "platform/video/TVideoRenderer.h"
#include "settings/ChannelInfo.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

using settings::TMainInfo;
namespace ipc = platform::ipc;
using commands::CodeOf;
using commands::TCommand;

// The program of the running Shell test, for checks outside the fixture (helpers, lambdas
// without captures); nullptr between tests.
inline app::TApplication* RunningProgram = nullptr;
inline settings::TMainInfo& ProgramMain() { return RunningProgram->Main(); }
inline settings::TChannelInfo& ProgramChannels() { return RunningProgram->Channels(); }

// Puts the model in `mode` as the gates and panels see it, without the mode's own steps:
// for checks of what each mode allows on a program that never really entered it.
// Runs `during` while a real antenna scan is at its first channel, then ends the scan.
inline void DuringAScan(const std::function<void()>& during) {
  settings::TChannelInfo::TScanListener listener;
  listener.AutoProgress = [&](settings::TChannelInfo& channels, int, bool, bool) {
    if (channels.AbortRequested()) return;
    during();
    channels.RequestAbort();
  };
  ASSERT_TRUE(ProgramChannels().AutoScan(0, listener));
}

inline void ForceMode(TMainInfo& main, settings::TAppMode mode) {
  auto leave = std::exchange(main.LeaveMode, nullptr);
  auto enter = std::exchange(main.EnterMode, nullptr);
  main.SetMode(mode);
  main.LeaveMode = std::move(leave);
  main.EnterMode = std::move(enter);
}

// Stands in for the scheduled-recording program: records what reaches its window. It listens
// on its own thread, as the real one runs in its own process, so that a send is answered.
class SchedulerWindow {
 public:
  SchedulerWindow() {
    QSemaphore ready;
    thread_.reset(QThread::create([this, &ready] {
      ipc::TMessageEndpoint endpoint(ipc::kSchedulerWindowClass, [this](quint32 m, qint32 w, qint32) {
        QThread::msleep(HandleMs);
        std::lock_guard lock(mutex_);
        (m == ipc::kMsgScheduledStatus ? status_ : messages_).push_back(m == ipc::kMsgScheduledStatus ? w : qint32(m));
        return 0;
      });
      endpoint.Listen();
      ready.release();
      QEventLoop().exec();
    }));
    thread_->start();
    ready.acquire();
  }
  ~SchedulerWindow() { thread_->quit(), thread_->wait(); }
  std::atomic<int> HandleMs = 0;  // a slow scheduler: a sender waits this long for the answer
  std::vector<qint32> Status() const { return std::lock_guard(mutex_), status_; }
  std::vector<qint32> Messages() const { return std::lock_guard(mutex_), messages_; }

 private:
  mutable std::mutex mutex_;
  std::vector<qint32> status_, messages_;  // 3028's parameter; the other messages
  std::unique_ptr<QThread> thread_;
};

class Shell : public ::testing::Test {
 protected:
  // Recordings go to the documents folder by default: the test's own.
  Shell() {
    System().Documents = Home() + "Documents/";
    System().Fallback = Home();
    // A dialog nobody answers would hold the test in its event loop for ever: one left open
    // is a failure, and it is closed so that the test goes on.
    QObject::connect(&modalWatch_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != modal_) modal_ = modal, modalOpen_.start();
      if (!modal || modalOpen_.elapsed() < 5000) return;
      ADD_FAILURE() << "a dialog was left open: " << modal->metaObject()->className() << " "
                    << modal->windowTitle().toStdString();
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject(); else modal->close();
    });
    modalWatch_.start(200);
  }
  ~Shell() override { app_.reset(), RunningProgram = nullptr; }

  // Phase 1, then the event loop until phase 2 has run.
  bool Start(const QStringList& arguments = {}) { return Initialize(arguments) && FinishStart(); }
  bool Initialize(const QStringList& arguments = {}) {
    if (!FirstStart && !QFile::exists(app::TApplication::ChannelSettingsPath())) StoreTunedChannels();
    app_ = std::make_unique<app::TApplication>(test::Components(), arguments);
    RunningProgram = app_.get();
    finished_ = ok_ = false;
    QObject::connect(app_.get(), &app::TApplication::Started, [this](bool result) { finished_ = true, ok_ = result; });
    return app_->InitializeApplication();
  }
  bool FinishStart() {
    EXPECT_TRUE(WaitUntil([&] { return finished_; }));
    // The test screen is small, so the TV panel lands on the picture, where the OSD gives way
    // to it; a user would move it aside.
    if (ok_ && app_->Panels() && app_->Panels()->TV())
      app_->Panels()->TV()->move(Window().frameGeometry().topRight() + QPoint(40, 0));
    return ok_;
  }

  // Runs what the event loop holds (a message's command) until the dispatcher is idle again.
  void Settle() {
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitUntil([&] { return !app_->Dispatcher().Busy(); }));
  }

  app::TApplication& App() { return *app_; }
  engine::TCaptureInfo& Engine() { return *app_->CaptureInfo(); }
  app::TFormMainWindow& Window() { return *app_->MainWindow(); }

  qint64 FramesShown() {
    auto* renderer = Engine().Preview().Graph() ? dynamic_cast<platform::video::TVideoRenderer*>(
                                          Engine().Preview().Graph()->FindFilter("VideoWindow"))
                                    : nullptr;
    return renderer ? renderer->FramesRendered() : -1;
  }
  // Live TV runs when new frames keep arriving.
  bool PictureRuns() {
    const qint64 before = FramesShown();
    return before >= 0 && WaitUntil([&] { return FramesShown() >= before + 3; });
  }

  // The label keeps a margin after the text for its outline.
  QString OSDText() { return app_ ? Window().OSD()->LabelOSD()->text().trimmed() : QString(); }
  bool MenuShows(const char* item) { return Window().PopupMainMenu()->Item(QLatin1String(item))->isVisible(); }

  static bool SettingsWritten() {
    return QFile::exists(app::TApplication::MainSettingsPath()) && QFile::exists(app::TApplication::ChannelSettingsPath());
  }
  static void StoreMainSettings(const std::function<void(TMainInfo&)>& change) {
    TMainInfo stored;
    change(stored);
    ASSERT_TRUE(stored.SaveMainSettings(app::TApplication::MainSettingsPath(), {}));
  }

  // Leaves the home without channels, so the start opens the setup wizard; otherwise the home
  // is one where the wizard has run once already.
  bool FirstStart = false;
  std::unique_ptr<app::TApplication> app_;
  bool finished_ = false, ok_ = false;

 private:
  QTimer modalWatch_;
  QWidget* modal_ = nullptr;
  QElapsedTimer modalOpen_;
};

// The shell started into live TV.
class LiveTV : public Shell {
 protected:
  void SetUp() override { ASSERT_TRUE(Start()); }
};

}  // namespace pvx::test

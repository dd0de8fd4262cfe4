// Every state a person can leave the program in, ended as a logout ends it (SIGTERM) and by the
// remote control's exit: the program itself on the virtual card, on a home of its own per run,
// brought into the state by remote-control commands, then ended. Prints per run the time from the
// ending to the process gone (goal <= 3000 ms), its exit status, whether the settings files read
// back whole, and for a recording whether the file plays and is on the Done list. Fails when a run
// does not end, ends badly or loses something.
//
//   bench-exit [STATE...]     every state, or those whose names contain one of the words
//   bench-exit --smoke        a dialog and a recording

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "commands/CommandTable.h"
#include "common/BenchHome.h"
#include "common/Serving.h"
#include "common/StreamSpan.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "playback/PlayListFiles.h"
#include "settings/CaptureSettings.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"
#include "settings/PreviewInfo.h"

namespace ipc = pvx::platform::ipc;
using pvx::settings::TCaptureSettings;

namespace {

enum class Start { FirstRun, DamagedSettings, Tuned };

struct TState {
  const char* name;
  Start start = Start::Tuned;
  QStringList commands;           // remote-control command names, sent in turn
  QString shown;                  // the window that shows the state is there (a class name pattern)
  int format = -1;                // a recording: record format, kind, sound (see TCaptureSettings)
  int kind = 0, sound = 0;
  QStringList after{};            // commands once the recording runs
  int viewers = 0;                // serving, with this many watching (RTSP and the page's stream)
};

const TState kStates[] = {
    {"first-run wizard", Start::FirstRun, {}, "TFormTVSetupWizard"},
    {"start-up warning", Start::DamagedSettings, {}, "TFormWarning|QMessageBox"},
    {"live TV", Start::Tuned, {}, ""},
    {"settings dialog", Start::Tuned, {"setup"}, "TFormConfig"},
    {"TV setup wizard", Start::Tuned, {"tv-setup-wizard"}, "TFormTVSetupWizard"},
    {"play-list dialog", Start::Tuned, {"play"}, "TFormPlayback"},
    {"sleep-timer dialog", Start::Tuned, {"sleep-timer"}, "TFormSleepingTimer"},
    {"about box", Start::Tuned, {"about"}, "TDialogAbout"},
    {"memorise dialog", Start::Tuned, {"memorise-channel"}, "TFormAddMemoryChannel"},
    {"channel preview", Start::Tuned, {"channel-preview"}, ""},
    {"FM seek running", Start::Tuned, {"tv-or-fm", "seek-up"}, ""},
    {"recording MPEG-1", Start::Tuned, {"capture"}, "", 0},
    {"recording MPEG-2", Start::Tuned, {"capture"}, "", 1},
    {"recording MPEG-4 AVI", Start::Tuned, {"capture"}, "", 2},
    {"recording AVI", Start::Tuned, {"capture"}, "", 3},
    {"recording DVD", Start::Tuned, {"capture"}, "", 7},
    {"recording WAV", Start::Tuned, {"capture"}, "", 1, 1, 0},
    {"recording MP3", Start::Tuned, {"capture"}, "", 1, 1, 1},
    {"time-shift", Start::Tuned, {"time-shifting"}, "", -1},
    {"playing a recording", Start::Tuned, {"capture"}, "", 0, 0, 0, {"stop", "play-given-file"}},
    {"recording DVD, four watching", Start::Tuned, {"capture"}, "", 7, 0, 0, {}, 4},
};

struct TResult {
  qint64 ms = -1;
  bool clean = false, settings = false, recording = true;
  QString note;
};

void Send(const QString& command) {
  if (const auto* def = pvx::commands::FindCommand(command.toStdString()))
    ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, def->Code(), 0);
}

// Polls until `done`, up to `ms`.
bool Within(int ms, const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QThread::msleep(20);
  }
  return true;
}

QString Text(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

qint64 Written(const QString& folder) {
  qint64 bytes = 0;
  for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) bytes += f.size();
  return bytes;
}

// Starts `count` viewers that decode the live streams into nothing, RTSP and the page's in turn.
bool Watch(int count, const QString& home, const QString& log, std::vector<pvx::bench::TViewer>& viewers) {
  pvx::bench::TServed served;
  Within(10000, [&] { return (served = pvx::bench::ServedBy(log, home)).Ready(); });
  if (!served.Ready()) return false;
  for (int i = 0; i < count; ++i) viewers.push_back(pvx::bench::Viewer(i % 2 ? served.BrowserLive() : served.RtspLive()));
  QThread::msleep(3000);
  return true;
}

TResult RunOnce(const TState& state, bool bySignal) {
  const pvx::bench::TBenchHome bench;
  const QString home = bench.Home(), folder = home + "rec/";
  QDir().mkpath(folder);
  TResult r;
  if (state.start != Start::FirstRun && !bench.StoreTunedChannels()) return r.note = "cannot tune the home", r;
  if (state.start == Start::DamagedSettings) {
    QFile damaged(home + "QDVCR.cfg");
    if (!damaged.open(QIODevice::WriteOnly) || damaged.write("damaged") <= 0) return r.note = "cannot write", r;
  } else if (state.start == Start::Tuned) {
    pvx::settings::TMainInfo main;
    pvx::settings::TMainPreferences prefs = main.Prefs();
    prefs.CaptureFolder = prefs.WaveFolder = folder;
    prefs.Serve = state.viewers > 0;
    main.SetPrefs(prefs);
    TCaptureSettings capture;
    if (state.format >= 0) capture.RecordFormat = quint8(state.format);
    capture.RecordKind = quint8(state.kind), capture.AudioFormat = quint8(state.sound);
    if (state.format == 7) capture.CaptureWidth = 720, capture.CaptureHeight = 576;
    pvx::settings::TMainSettingsPeers peers;
    peers.Capture = &capture;
    if (!main.SaveMainSettings(home + "QDVCR.cfg", peers)) return r.note = "cannot store settings", r;
  }
  QProcessEnvironment env = bench.ProgramEnvironment();
  env.insert("QT_LOGGING_RULES", "pvx.windows.info=true;" + qEnvironmentVariable("QT_LOGGING_RULES"));
  env.insert("OKA_PVX_SERVE_PORT", "0");
  env.insert("OKA_PVX_RTSP_PORT", "0");
  const QString log = home + "program.log";
  std::vector<pvx::bench::TViewer> viewers;
  QProcess program;
  program.setProcessEnvironment(env);
  program.setStandardOutputFile(log);
  program.setStandardErrorFile(log, QIODevice::Append);
  program.start(PVX_PROGRAM, {});
  program.waitForStarted();
  const bool endpoint = state.start == Start::Tuned;
  auto shown = [&](const QString& pattern) {
    const QRegularExpression line("shown (\\w+::)*(" + pattern + ")\\b");
    return Within(30000, [&] { return line.match(Text(log)).hasMatch(); });
  };
  if (endpoint && !Within(30000, [] { return ipc::FindWindow(ipc::kMainWindowClass, 50); })) {
    r.note = "no live TV within 30 s";
  } else {
    for (const QString& c : state.commands) Send(c);
    if (state.viewers > 0 && !Watch(state.viewers, home, log, viewers)) r.note = "the program does not serve";
    if (!state.shown.isEmpty() && !shown(state.shown)) r.note = "never shown: " + state.shown;
    const bool records = state.format >= 0 || state.commands.contains("time-shifting");
    if (records && !Within(15000, [&] { return Written(folder) > 20000; })) r.note = "nothing recorded";
    for (const QString& c : state.after) Send(c), QThread::msleep(1500);
    if (state.shown.isEmpty()) QThread::msleep(1500);  // the state settles: a seek runs, pictures flow
  }
  if (program.waitForFinished(0) && r.note.isEmpty()) r.note = "ended before it was asked to";
  QElapsedTimer clock;
  clock.start();
  if (bySignal) program.terminate();
  else Send("exit");
  const bool ended = program.waitForFinished(30000);
  r.ms = ended ? clock.elapsed() : -1;
  if (!ended) program.kill(), program.waitForFinished();
  viewers.clear();
  r.clean = ended && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
  pvx::settings::TMainInfo main;
  pvx::settings::TChannelInfo channels;
  pvx::settings::TPreviewInfo preview(channels);
  const bool channelsWhole = state.start == Start::FirstRun  // an unfinished first setup writes none
      ? !QFile::exists(home + pvx::settings::TChannelSettingsFile::kFileName)
      : pvx::settings::TChannelSettingsFile::Load(home + pvx::settings::TChannelSettingsFile::kFileName, channels, preview);
  r.settings = main.LoadMainSettings(home + "QDVCR.cfg", {}) && channelsWhole;
  if (state.format >= 0) {
    pvx::playback::TPlaybackItems items;
    pvx::playback::LoadPlayItems(home + "PLAYITEMS.LST", items);
    const QString file = items.empty() ? QString() : items.front()->FilePath;
    const char* stream = state.kind == 1 ? "a:0" : "V:0";
    r.recording = !file.isEmpty() && pvx::bench::StreamSpan(file, stream) > 0.5;
  }
  if (!r.note.isEmpty() || !r.clean) std::fprintf(stderr, "--- %s\n%s", state.name, qPrintable(Text(log).right(2000)));
  return r;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  QCoreApplication app(argc, argv);
  const QStringList only = smoke ? QStringList{"settings dialog", "recording DVD"} : app.arguments().mid(1);
  std::printf("%-22s %-8s %8s  %-6s %-8s %-9s %s\n", "state", "ending", "exit ms", "status", "settings",
              "recording", "note");
  int failed = 0, runs = 0;
  for (const TState& state : kStates) {
    if (!only.isEmpty() && std::none_of(only.begin(), only.end(), [&](const QString& w) { return QString(state.name).contains(w); }))
      continue;
    for (const bool bySignal : {true, false}) {
      // Before the main window there is no endpoint for the remote control to reach.
      if (!bySignal && state.start != Start::Tuned) {
        std::printf("%-22s %-8s %8s  %-6s %-8s %-9s %s\n", state.name, "remote", "-", "-", "-", "-",
                    "no remote control before the main window");
        continue;
      }
      const TResult r = RunOnce(state, bySignal);
      ++runs;
      const bool ok = r.clean && r.settings && r.recording && r.note.isEmpty();
      failed += !ok;
      const QByteArray ms = r.ms < 0 ? "-" : QByteArray::number(r.ms);
      std::printf("%-22s %-8s %8s  %-6s %-8s %-9s %s\n", state.name, bySignal ? "SIGTERM" : "remote", ms.constData(),
                  r.clean ? "0" : "BAD", r.settings ? "whole" : "LOST", state.format < 0 ? "-" : r.recording ? "listed" : "LOST",
                  qPrintable(r.note));
      std::fflush(stdout);
    }
  }
  if (runs == 0 || failed) {
    std::fprintf(stderr, "bench-exit: %d of %d runs did not end cleanly with everything kept\n", failed, runs);
    return 1;
  }
  return 0;
}

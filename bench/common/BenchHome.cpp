#include "common/BenchHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <cstring>

#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"
#include "tuning/CountryList.h"

namespace pvx::bench {

TBenchHome::TBenchHome() : home_(dir_.filePath("home") + '/') {
  const QString runtime = dir_.filePath("run");
  QDir().mkpath(home_);
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("OKA_PVX_HOME", home_.toUtf8());
  qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
}

bool TBenchHome::StoreTunedChannels() const {
  const QString path = home_ + settings::TChannelSettingsFile::kFileName;
  settings::TChannelInfo channels;
  settings::TPreviewInfo preview(channels);
  settings::TChannelSettingsFile::Load(path, channels, preview);
  if (!tuning::LoadCountryPlan(channels, 1)) return false;
  channels.SetVideoSource(settings::TChannelInfo::kTuner);
  channels.SetTable(settings::TChannelInfo::kAntenna);
  return settings::TChannelSettingsFile::Save(path, channels, preview);
}

QProcessEnvironment TBenchHome::ProgramEnvironment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("OKA_PVX_HOME", home_);
  env.insert("HOME", home_);
  env.insert("OKA_PVX_AUDIO_SINK", "null");
  if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
  return env;
}

bool StartProgram(QProcess& process, const QString& binary, const QProcessEnvironment& env, const QString& log) {
  process.setProcessEnvironment(env);
  process.setStandardOutputFile(log);
  process.setStandardErrorFile(log, QIODevice::Append);
  process.start(binary, {});
  process.waitForStarted(10000);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 30000 && process.state() != QProcess::NotRunning) {
    if (platform::ipc::FindWindow(platform::ipc::kMainWindowClass, 50)) return true;
    QThread::msleep(2);
  }
  process.kill();
  process.waitForFinished();
  std::fprintf(stderr, "%s showed no live TV within 30 s\n", qPrintable(binary));
  return false;
}

bool TakeSmokeFlag(int& argc, char** argv) {
  bool smoke = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0) {
      smoke = true;
      continue;
    }
    argv[kept++] = argv[i];
  }
  argc = kept;
  return smoke;
}

}  // namespace pvx::bench

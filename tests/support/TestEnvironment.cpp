#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <memory>

#include "platform/BuiltinComponents.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/SystemServices.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/FaultPlan.h"
#include "platform/graph/TComponentRegistry.h"
#include "settings/Globals.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"

namespace pvx::test {
namespace {

struct PerTest {
  QTemporaryDir home;
  QTemporaryDir runtime;
  FakeSystemServices system;
  FakeDialogService dialogs;
  platform::TestClock clock;
  platform::graph::TComponentRegistry components;
};

std::unique_ptr<PerTest> gCurrent;

// A test that leaves the language set must not hand it to the next one.
void ClearSettingsGlobals() { settings::MultiLangInfo = nullptr; }

PerTest& Current() {
  if (!gCurrent) ADD_FAILURE() << "test environment used outside a test";
  return *gCurrent;
}

}  // namespace

class TestEnvironmentListener : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    gCurrent = std::make_unique<PerTest>();
    ClearSettingsGlobals();
    qputenv("OKA_PVX_HOME", gCurrent->home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", gCurrent->runtime.path().toUtf8());
    qputenv("OKA_PVX_DEVICE", "virtual");  // a machine's own capture card never enters a test
    platform::SetSystemServices(&gCurrent->system);
    platform::SetDialogs(&gCurrent->dialogs);
    platform::SetClock(&gCurrent->clock);
    // Each test starts with a virtual card fresh from the shipped stations.
    platform::devices::DefaultVirtualProvider().SetCard(nullptr);
    platform::RegisterBuiltinComponents(gCurrent->components);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    platform::SetClock(nullptr);
    platform::SetDialogs(nullptr);
    platform::SetSystemServices(nullptr);
    ClearSettingsGlobals();
    gCurrent.reset();
  }
};

::testing::TestEventListener* NewTestEnvironmentListener() { return new TestEnvironmentListener; }

FakeSystemServices& System() { return Current().system; }
FakeDialogService& Dialogs() { return Current().dialogs; }
platform::TestClock& Clock() { return Current().clock; }
platform::graph::TComponentRegistry& Components() { return Current().components; }

QString Home() { return Current().home.path() + "/"; }

QString Fixture(const QString& relative) {
  return QStringLiteral(PVX_TEST_FIXTURES) + "/" + relative;
}

QString SourceData() { return QStringLiteral(PVX_SOURCE_DATA) + "/"; }

::testing::AssertionResult LooksAsStored(const QImage& picture, const QString& name) {
  const QString path = Fixture("golden/" + name + ".png");
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  if (qEnvironmentVariableIntValue("OKA_PVX_WRITE_GOLDEN") == 1 && !image.save(path))
    return ::testing::AssertionFailure() << "cannot store " << path.toStdString();
  const QImage stored = QImage(path).convertToFormat(QImage::Format_ARGB32);
  if (stored.size() != image.size())
    return ::testing::AssertionFailure() << name.toStdString() << ": no stored picture of this size";
  // Rounding moves a channel by a few steps; a fault moves whole pixels or colours.
  const auto apart = [](QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))}) > 8;
  };
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (apart(image.pixel(x, y), stored.pixel(x, y)))
        return ::testing::AssertionFailure() << name.toStdString() << " differs first at " << x << "," << y;
  return ::testing::AssertionSuccess();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

bool WithDiskFullAfter(qint64 bytes, const std::function<bool()>& write) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const rlimit full{rlim_t(bytes), old.rlim_max};
  setrlimit(RLIMIT_FSIZE, &full);
  const bool written = write();
  setrlimit(RLIMIT_FSIZE, &old);
  return written;
}

std::string RefusalsTakenAsSuccess(const std::function<void()>& setup, const std::function<bool()>& step) {
  std::vector<std::string> calls;
  setup();
  platform::graph::SetFaultPlan([&](const char* call) { return calls.emplace_back(call), false; });
  EXPECT_TRUE(step()) << "the step fails with nothing refused";
  platform::graph::SetFaultPlan({});
  std::string survived;
  for (size_t n = 0; n < calls.size(); ++n) {
    setup();
    size_t seen = 0;
    platform::graph::SetFaultPlan([&](const char*) { return seen++ == n; });
    const bool ok = step();
    platform::graph::SetFaultPlan({});
    if (ok) survived += (survived.empty() ? "" : " ") + calls[n] + "#" + std::to_string(n);
  }
  return survived;
}

void SaveShot(QWidget& widget, const QString& name) {
  if (const QString shots = qEnvironmentVariable("OKA_PVX_SHOTS"); !shots.isEmpty())
    widget.grab().save(shots + "/" + name + ".png");
}

bool WaitUntil(const std::function<bool()>& done, int maxMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > maxMs) return false;
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  return true;
}

}  // namespace pvx::test

namespace pvx::test {

QProcessEnvironment ProgramEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* home : {"OKA_PVX_HOME", "HOME"}) env.insert(home, Home());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("OKA_PVX_AUDIO_SINK", "null");
  return env;
}

}  // namespace pvx::test

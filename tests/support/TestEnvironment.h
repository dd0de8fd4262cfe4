#pragma once
// What every test gets: a fresh program folder ($OKA_PVX_HOME) and runtime folder, fake system
// services and dialogs, the test clock and a freshly filled component registry. All are
// replaced between tests.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

namespace pvx::platform {
class TestClock;
}
namespace pvx::platform::graph {
class TComponentRegistry;
}

namespace pvx::test {

class FakeDialogService;
class FakeSystemServices;

FakeSystemServices& System();
FakeDialogService& Dialogs();
platform::TestClock& Clock();
// This test's component registry, filled with the program's own components.
platform::graph::TComponentRegistry& Components();

// The test's program folder, ending with "/".
QString Home();
// A fixture file under tests/fixtures.
QString Fixture(const QString& relative);
// The source tree's data folder, ending with "/".
QString SourceData();

// For the real program and its companions: this test's home (also as HOME, so recordings stay
// in it), no screen and no sound device.
QProcessEnvironment ProgramEnvironment();

// Compares a painted picture with tests/fixtures/golden/<name>.png, allowing the rasteriser's
// rounding between machines. OKA_PVX_WRITE_GOLDEN=1 stores the picture instead, after a
// deliberate change of the artwork: look at it before committing it.
::testing::AssertionResult LooksAsStored(const QImage& picture, const QString& name);

// Writes bytes to a file, creating folders; fails the test when it cannot.
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// Runs `write` as on a disk that fills after `bytes` bytes of any file: the refused write
// fails the call, not the process.
bool WithDiskFullAfter(qint64 bytes, const std::function<bool()>& write);

// Runs `setup` then `step` once to count the media calls the step makes, then again once per call
// with that call refused (platform/graph/FaultPlan.h). Gives the refusals the step still reported
// as success, "Call#n" each, n counting calls from 0.
std::string RefusalsTakenAsSuccess(const std::function<void()>& setup, const std::function<bool()>& step);

// New capture settings for the engine, taken whole as the settings dialog hands them over.
template <class Engine, class Change>
void ChangeSettings(Engine& engine, Change change) {
  auto next = engine.Settings();
  change(next);
  engine.Apply(next);
}

// The child of `parent` of that type and name; a test failure when there is none.
template <typename T>
T* Child(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// With OKA_PVX_SHOTS=folder, saves what the widget shows as folder/name.png, to look at.
void SaveShot(QWidget& widget, const QString& name);

// Real-time wait, with the event loop running, for work on other threads or processes
// (streaming, sockets); bounded so a broken pipeline fails instead of hanging.
bool WaitUntil(const std::function<bool()>& done, int maxMs = 15000);

}  // namespace pvx::test

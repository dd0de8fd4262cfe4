// The built program starts on this machine, loads and writes its settings, and exits cleanly.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "support/TestEnvironment.h"

using namespace pvx;

namespace {

int RunProgram(QProcess& process) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("OKA_PVX_HOME", test::Home());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("OKA_PVX_SPLASH_MS", "0");
  process.setProcessEnvironment(env);
  process.start(PVX_PROGRAM, {});
  // Generous bound so a hung program fails the test instead of blocking the run.
  if (!process.waitForFinished(60000)) {
    process.kill();
    return -1;
  }
  return process.exitCode();
}

}  // namespace

TEST(ProgramRun, StartsAndWritesDefaultSettings) {
  QProcess process;
  EXPECT_EQ(RunProgram(process), 0) << process.readAllStandardError().toStdString();
  const QByteArray settings = test::ReadFile(test::Home() + "QDVCR.cfg");
  ASSERT_GE(settings.size(), 8);
  EXPECT_EQ(settings.left(4), QByteArray::fromHex("99110000"));
  EXPECT_EQ(settings.right(4), QByteArray::fromHex("07110000"));
}

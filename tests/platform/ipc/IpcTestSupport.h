#pragma once
// Helpers shared by the ipc tests: a second process, and waiting on real sockets.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include "support/TestEnvironment.h"

namespace pvx::test {

// Starts the helper process and returns its first line ("held", "busy", "ready"...).
inline QString StartHelper(QProcess& process, const QStringList& args) {
  process.setProgram(QStringLiteral(PVX_IPC_HELPER));
  process.setArguments(args);
  process.start();
  if (!process.waitForStarted(5000)) return {};
  while (!process.canReadLine())
    if (!process.waitForReadyRead(5000)) return {};
  return QString::fromUtf8(process.readLine()).trimmed();
}

// Lets the helper end on its own by closing its input.
inline int StopHelper(QProcess& process) {
  process.closeWriteChannel();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(5000);
    return -1;
  }
  return process.exitCode();
}

}  // namespace pvx::test

#pragma once
// Helpers shared by the ipc tests: a second process, and waiting on real sockets.

#include <QProcess>

#include "support/TestEnvironment.h"

namespace pvx::test {

// Starts the helper process and returns its first line ("held", "busy", "ready"...).
inline QString StartHelper(QProcess& process, const QStringList& args) {
  process.start(QStringLiteral(PVX_IPC_HELPER), args);
  if (!process.waitForStarted(5000)) return {};
  while (!process.canReadLine())
    if (!process.waitForReadyRead(5000)) return {};
  return QString::fromUtf8(process.readLine()).trimmed();
}

// Lets the helper end on its own by closing its input; a killed one gives its signal.
inline int StopHelper(QProcess& process) {
  process.closeWriteChannel();
  if (!process.waitForFinished(5000)) return -1;  // the QProcess kills it when it goes
  return process.exitStatus() == QProcess::CrashExit ? 9 : process.exitCode();
}

}  // namespace pvx::test

#pragma once
// A process's CPU time, for the benchmarks that watch the program from outside.

#include <unistd.h>

#include <QFile>
#include <QList>

namespace pvx::bench {

// User plus system CPU seconds of process `pid`, -1 once it is gone.
inline double CpuSecondsOf(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
  // utime and stime are fields 14 and 15 of the line, 12 and 13 after the command name.
  return (f.value(11).toDouble() + f.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

}  // namespace pvx::bench

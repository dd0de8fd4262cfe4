#pragma once
// For the benchmarks that read recorded files back: how long a stream really lasts.

#include <QProcess>
#include <QString>
#include <algorithm>

namespace pvx::bench {

// From the first packet's time to the end of the last one, of the first stream of a kind
// (an ffprobe stream specifier such as "V:0" or "a:0"); -1 when it has none.
inline double StreamSpan(const QString& path, const char* stream) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "packet=pts_time,duration_time",
                      "-select_streams", stream, "-of", "csv=p=0", path});
  p.waitForFinished(120000);
  double first = 1e18, last = -1e18;
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> f = line.split(',');
    if (f.size() < 2 || f[0].isEmpty() || f[0] == "N/A") continue;
    first = std::min(first, f[0].toDouble());
    last = std::max(last, f[0].toDouble() + f[1].toDouble());
  }
  return last > first ? last - first : -1.0;
}

}  // namespace pvx::bench

#pragma once
// For the benchmarks that read recorded files back: how long a stream really lasts.

#include <QProcess>
#include <QString>
#include <algorithm>
#include <utility>
#include <vector>

namespace pvx::bench {

// From the first packet's time to the end of the last one, of the first stream of a kind
// (an ffprobe stream specifier such as "V:0" or "a:0"); -1 when it has none.
inline double StreamSpan(const QString& path, const char* stream) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "packet=pts_time,duration_time",
                      "-select_streams", stream, "-of", "csv=p=0", path});
  p.waitForFinished(120000);
  // A packet without a duration (fragmented MP4's pictures) lasts as long as the gap between
  // two pictures.
  std::vector<std::pair<double, double>> packets;
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> f = line.split(',');
    if (f.size() < 2 || f[0].isEmpty() || f[0] == "N/A") continue;
    packets.emplace_back(f[0].toDouble(), f[1].toDouble());
  }
  std::sort(packets.begin(), packets.end());
  double gap = 0;
  for (size_t i = 1; i < packets.size(); ++i) {
    const double d = packets[i].first - packets[i - 1].first;
    if (d > 0 && (gap == 0 || d < gap)) gap = d;
  }
  double first = 1e18, last = -1e18;
  for (const auto& [pts, duration] : packets) {
    first = std::min(first, pts);
    last = std::max(last, pts + (duration > 0 ? duration : gap));
  }
  return last > first ? last - first : -1.0;
}

}  // namespace pvx::bench

#include "platform/devices/virtual/VirtualStations.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdlib>

#include "platform/ProgramFolder.h"

namespace pvx::platform::devices {
namespace {

struct NamedBit {
  const char* name;
  int bit;
};

constexpr NamedBit kStandards[] = {
    {"NTSC M", 0x1},      {"NTSC M (Japan)", 0x2}, {"NTSC 433", 0x4},  {"PAL B", 0x10},
    {"PAL D", 0x20},      {"PAL G", 0x40},         {"PAL H", 0x80},    {"PAL I", 0x100},
    {"PAL M", 0x200},     {"PAL N", 0x400},        {"PAL 60", 0x800},  {"SECAM B", 0x1000},
    {"SECAM D", 0x2000},  {"SECAM G", 0x4000},     {"SECAM H", 0x8000}, {"SECAM K", 0x10000},
    {"SECAM K1", 0x20000}, {"SECAM L", 0x40000},   {"SECAM L1", 0x80000},
};

constexpr NamedBit kAudioModes[] = {
    {"mono", 0x1}, {"stereo", 0x2}, {"lang_a", 0x10}, {"lang_b", 0x20}, {"lang_c", 0x40}};

int AudioModesOf(const QStringList& names) {
  int modes = 0;
  for (const QString& name : names) {
    for (const NamedBit& m : kAudioModes) {
      if (name.trimmed().compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) modes |= m.bit;
    }
  }
  return modes ? modes : 0x1;
}

}  // namespace

int TVirtualStations::StandardOfName(const QString& name) {
  for (const NamedBit& s : kStandards) {
    if (name.trimmed().compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) return s.bit;
  }
  return 0;
}

TVirtualStations TVirtualStations::Load(const QString& path) {
  TVirtualStations result;
  if (path.isEmpty()) return result;
  QSettings ini(path, QSettings::IniFormat);
  for (const QString& group : ini.childGroups()) {
    const bool fm = group.startsWith("fm", Qt::CaseInsensitive);
    if (!fm && !group.startsWith("tv", Qt::CaseInsensitive)) continue;
    ini.beginGroup(group);
    TVirtualStation s;
    s.IsFM = fm;
    s.Name = ini.value("name", group).toString();
    bool ok = false;
    s.Frequency = ini.value("frequency").toString().toUInt(&ok);
    const int standard = StandardOfName(ini.value("standard", "NTSC M").toString());
    s.Standard = standard ? standard : 0x1;
    // QSettings reads "mono,stereo" as a list.
    s.AudioModes = AudioModesOf(ini.value("audio", "mono").toStringList());
    s.Pattern = ini.value("pattern", "smpte").toString();
    s.ToneHz = qBound(20, ini.value("tone", 440).toInt(), 20000);
    for (const QString& note : ini.value("melody").toStringList())
      if (const int hz = note.trimmed().toInt(); hz > 0) s.Melody.push_back(qBound(20, hz, 20000));
    s.CopyProtected = ini.value("copy_protected", false).toBool();
    // A caption with commas comes back as a list of trimmed parts.
    s.Ticker = ini.value("ticker", s.Name).toStringList().join(", ");
    s.Pan = qBound(-64, ini.value("pan", 0).toInt(), 64);
    s.HeavyMotion = ini.value("motion").toString().compare("heavy", Qt::CaseInsensitive) == 0;
    s.Interlaced = ini.value("interlaced", false).toBool();
    s.FileName = ini.value("file").toString();
    if (!s.FileName.isEmpty())
      s.FilePath = QFileInfo(path).absoluteDir().absoluteFilePath(s.FileName);
    ini.endGroup();
    if (ok && s.Frequency > 0) result.stations_.push_back(s);
  }
  return result;
}

TVirtualStations TVirtualStations::LoadDefault() { return Load(DataFile("stations.ini")); }

std::optional<TVirtualStation> TVirtualStations::Receive(quint32 hertz, bool fm) const {
  std::optional<TVirtualStation> best;
  qint64 bestDistance = 0;
  for (const TVirtualStation& s : stations_) {
    if (s.IsFM != fm) continue;
    const qint64 distance = std::llabs(qint64(hertz) - qint64(s.Frequency));
    if (distance > kCaptureRange) continue;
    if (!best || distance < bestDistance) {
      best = s;
      bestDistance = distance;
    }
  }
  return best;
}

int TVirtualStations::PllOffset(quint32 hertz, bool fm) const {
  const auto station = Receive(hertz, fm);
  if (!station) return kNoCarrierOffset;
  // Truncation toward zero keeps a dead band of one step on each side of the carrier.
  return int((qint64(hertz) - qint64(station->Frequency)) / qint64(kPllStep));
}

}  // namespace pvx::platform::devices

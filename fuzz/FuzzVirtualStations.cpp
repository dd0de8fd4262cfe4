// stations.ini of the virtual card: every station kept has its values in range and is
// received, on its own band, with no PLL offset at its carrier.

#include "FuzzTarget.h"
#include "platform/devices/virtual/VirtualStations.h"

using namespace pvx;
using namespace pvx::platform::devices;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A new name each time: QSettings caches a file by name and could miss a quick rewrite.
  static int run = 0;
  const QString name = QStringLiteral("stations%1.ini").arg(++run);
  const QString path = fuzz::Put(name, fuzz::Bytes(data, size));
  const TVirtualStations stations = TVirtualStations::Load(path);
  QFile::remove(path);
  for (const TVirtualStation& s : stations.All()) {
    fuzz::Expect(s.Frequency > 0 && s.ToneHz >= 20 && s.ToneHz <= 20000 && qAbs(s.Pan) <= 64);
    for (int note : s.Melody) fuzz::Expect(note >= 20 && note <= 20000);
    fuzz::Expect(stations.PllOffset(s.Frequency, s.IsFM) == 0);
  }
  return 0;
}

#include "tuning/FrequencyTable.h"

#include <QFile>
#include <QtEndian>
#include <limits>

#include "platform/ProgramFolder.h"
#include "settings/ErrorMessages.h"

namespace pvx::tuning {
namespace {

constexpr int kCannotLoadTable = 1007;

void DecodeBlock(const char* bytes, TFrequencyBlock& block) {
  constexpr quint32 kLargestUnits = std::numeric_limits<quint32>::max() / kTableUnitHz;
  block[0] = 0;
  for (int n = 1; n <= kChannelCount; ++n) {
    const quint32 units = qFromLittleEndian<quint32>(bytes + 4 * n);
    // A value beyond the 32-bit hertz range is damage, not a channel; wrapping would tune nonsense.
    block[n] = units <= kLargestUnits ? units * kTableUnitHz : 0;
  }
}

bool ReadRecord(const QString& path, int tableIndex, TFrequencyBlock& antenna,
                TFrequencyBlock& cable) {
  if (path.isEmpty() || tableIndex < 0) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  if (!file.seek(qint64(tableIndex) * kTableRecordSize)) return false;
  const QByteArray record = file.read(kTableRecordSize);
  // A record cut short by the end of the file counts as a broken installation.
  if (record.size() != kTableRecordSize) return false;
  DecodeBlock(record.constData(), antenna);
  DecodeBlock(record.constData() + kBlockSize, cable);
  return true;
}

}  // namespace

bool LoadFrequencyTable(int tableIndex, TFrequencyBlock& antenna, TFrequencyBlock& cable) {
  return LoadFrequencyTable(platform::DataFile(QString::fromLatin1(kTVTableFileName)), tableIndex,
                            antenna, cable);
}

bool LoadFrequencyTable(const QString& path, int tableIndex, TFrequencyBlock& antenna,
                        TFrequencyBlock& cable) {
  TFrequencyBlock newAntenna{};
  TFrequencyBlock newCable{};
  if (!ReadRecord(path, tableIndex, newAntenna, newCable)) {
    settings::ShowErrorCode(kCannotLoadTable);
    return false;
  }
  antenna = newAntenna;
  cable = newCable;
  return true;
}

}  // namespace pvx::tuning

#pragma once
// The installed frequency tables (TVTable.tbl) that give every antenna and cable channel its
// default frequency. Record k of the file is table k: an antenna block, then a cable block,
// each 200 little-endian unsigned 32-bit values; value n is channel n in units of 10 kHz.

#include <QString>
#include <QtGlobal>
#include <array>

namespace pvx::tuning {

inline constexpr int kChannelCount = 160;
inline constexpr int kBlockValues = 200;
inline constexpr int kBlockSize = kBlockValues * 4;
inline constexpr int kTableRecordSize = 2 * kBlockSize;
// Tables the program ships and the country and TV-system lists refer to.
inline constexpr int kTableCount = 25;
// Hertz per stored unit.
inline constexpr quint32 kTableUnitHz = 10000;
inline constexpr char kTVTableFileName[] = "TVTable.tbl";

// Channel frequencies in hertz indexed by channel number 1..160; index 0 is unused.
using TFrequencyBlock = std::array<quint32, kChannelCount + 1>;

// Load frequency table: reads record `tableIndex` of TVTable.tbl, found among the data folders.
// When the file is missing or does not hold the whole record, shows error 1007 and returns
// false with both blocks untouched.
bool LoadFrequencyTable(int tableIndex, TFrequencyBlock& antenna, TFrequencyBlock& cable);
// The same from a given file.
bool LoadFrequencyTable(const QString& path, int tableIndex, TFrequencyBlock& antenna,
                        TFrequencyBlock& cable);

// Gives channels 1..160 their table frequency as default and tuned frequency, and makes each
// invalid, not found, audio mode 0, so a scan decides which channels exist. recordOf(n) returns
// the record of channel n; the standard and the names are left alone.
template <typename RecordOf>
void ApplyFrequencyBlock(const TFrequencyBlock& block, RecordOf&& recordOf) {
  for (int n = 1; n <= kChannelCount; ++n) {
    auto& record = recordOf(n);
    record.DefaultFrequency = block[n];
    record.Frequency = block[n];
    record.Valid = false;
    record.Found = false;
    record.AudioMode = 0;
  }
}

}  // namespace pvx::tuning
